// Message parameters and the building of a message from its text: a routine stores values
// under a kind letter and a digit (MSG_SET_*), then E1MES builds the pending message with
// each placeholder "%(I1)", "%(R2)", "%(L1)" ... replaced by the value stored for it.
// Stored values live until the next message is issued.
#pragma once

#include <string_view>

namespace polylsq {

// Store the value for placeholders of kind I, R or L and digit N; an N outside 1..9, or a
// value that might not fit the parameter buffer, is ignored. Integers as their decimal
// digits; reals as 1PE14.6 without leading blanks (NaN and zero without the scale factor).
void MSG_SET_INT(int N, int IVALUE);
void MSG_SET_REAL(int N, float RVALUE);
// TEXT is cut to 255 characters. N > 0 drops its trailing blanks (an all-blank text is
// stored as one blank); N < 0 keeps them and the placeholder uses |N|.
void MSG_SET_TEXT(int N, std::string_view TEXT);

// For the handler's own files (E1MES and the direct terminal failure):
// The pending message becomes ".  " and MSG with its placeholders replaced (a placeholder
// without a stored value stays as written), cut at 1024 characters.
void build_message(std::string_view MSG);
// The pending message becomes `text` as given (it already begins with ".  "), cut at 1024
// characters.
void set_message_directly(std::string_view text);
// Forgets every stored parameter.
void clear_parameters();

}  // namespace polylsq
