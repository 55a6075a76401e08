// Rows of plain numbers ("-3.14159 27.18282"), the common case of both file formats, read
// in one pass straight from the bytes read: the fast lane that the format readers take
// before their general reading, which gives the same values for these rows.
#pragma once

#include <array>
#include <cstddef>

namespace polylsq::input {

// How a character bears on a plain row.
enum class FieldClass : unsigned char {
  kField,      // part of a value: no plain number may end before it
  kBlank,      // separates values
  kDelimiter,  // one between two values, blanks around it allowed
  kStop,       // ends the row's values (line ends, comments, ...)
};
using FieldClasses = std::array<FieldClass, 256>;

// Blanks and tabs kBlank, `delimiters` kDelimiter, `stops`, "\r" and "\n" kStop, the
// rest kField.
FieldClasses make_field_classes(const char* delimiters, const char* stops);

// `count` plain reals (scan_plain_real) at `p`, separated by blanks or by one delimiter
// with optional blanks around, each followed by a character that is not kField or by
// `end`. Returns the position after the last value and the blanks after it, with
// values[0, count) set; or nullptr when the text is not of that form (values then
// undefined).
const char* scan_plain_fields(const char* p, const char* end, std::size_t count, double* values,
                              const FieldClasses& classes);

}  // namespace polylsq::input
