// Message parameters stored as text records in the error handler's fixed parameter buffer,
// and the pending message built from a text and those records. Both buffers have fixed
// sizes; positions in them are 1-based.
#include "support/message_parameters.h"

#include <string>

#include "recio/edit.h"
#include "support/error_state.h"
#include "support/machine.h"
#include "support/message_layout.h"

namespace polylsq {
namespace {

constexpr std::size_t kMaxTextParameter = 255;
constexpr int kRecordOverhead = 8;  // "*", kind, digit, "*", up to 3 length digits, "%"

bool is_lower(char c) { return c >= 'a' && c <= 'z'; }
char upper_of(char c) { return is_lower(c) ? static_cast<char>(c - 'a' + 'A') : c; }

// Appends one record "*", KIND, digit, "*", length, "%", value. Ignored for a number
// outside 1..9 or when the record might not fit (the test is on the raw length LEN).
void ERR_STORE_PARAM(char KIND, int N, std::string_view VALUE) {
  ErrorHandlerState& state = error_handler_state;
  const int LEN = static_cast<int>(VALUE.size());
  const int n = N < 0 ? -N : N;
  if (n < 1 || n > 9 || state.param_end + LEN + kRecordOverhead > kParameterCapacity) return;
  int pos = state.param_end == 1 ? 1 : state.param_end + 1;
  state.param_buf[pos++] = '*';
  state.param_buf[pos++] = KIND;
  state.param_buf[pos++] = static_cast<char>('0' + n);
  state.param_buf[pos++] = '*';
  int L = LEN;
  if (N > 0) {
    while (L > 0 && VALUE[static_cast<std::size_t>(L - 1)] == ' ') --L;
    if (L < 1) L = 1;  // an all-blank value is stored as one blank
  }
  char field[3];
  INT_TO_TEXT(L, 3, field);
  for (char c : field) {
    if (c != ' ') state.param_buf[pos++] = c;
  }
  state.param_buf[pos++] = '%';
  for (int i = 0; i < L; ++i) {
    state.param_buf[pos++] = i < LEN ? VALUE[static_cast<std::size_t>(i)] : ' ';
  }
  state.param_end = pos - 1;
}

// The stored value for kind letter `kind` and digit `digit`: the first matching record.
// The tag is searched in the whole buffer, values included; a tag inside a text value
// counts only when a length of 1 to 3 digits, the "%" and the whole value follow it
// within the stored records.
bool find_param(char kind, char digit, int& value_start, int& value_len) {
  const ErrorHandlerState& state = error_handler_state;
  const char wanted = upper_of(kind);
  for (int i = 1; i + 3 <= state.param_end; ++i) {
    if (state.param_buf[i] != '*' || upper_of(state.param_buf[i + 1]) != wanted ||
        state.param_buf[i + 2] != digit || state.param_buf[i + 3] != '*') {
      continue;
    }
    int pos = i + 4;
    int L = 0;
    int length_digits = 0;
    while (pos <= state.param_end && length_digits < 3 && state.param_buf[pos] >= '0' &&
           state.param_buf[pos] <= '9') {
      L = L * 10 + (state.param_buf[pos] - '0');
      ++pos;
      ++length_digits;
    }
    if (length_digits == 0 || pos > state.param_end || state.param_buf[pos] != '%' ||
        pos + L > state.param_end) {
      continue;
    }
    value_start = pos + 1;
    value_len = L;
    return true;
  }
  return false;
}

bool is_placeholder_letter(char c) {
  switch (upper_of(c)) {
    case 'A': case 'C': case 'D': case 'I': case 'K': case 'L': case 'R': case 'S': case 'Z':
      return true;
    default:
      return false;
  }
}

}  // namespace

void build_message(std::string_view MSG) {
  ErrorHandlerState& state = error_handler_state;
  const int n = static_cast<int>(MSG.size() < kMessageCapacity ? MSG.size() : kMessageCapacity);
  auto in = [&](int i) { return MSG[static_cast<std::size_t>(i - 1)]; };
  int out = 0;
  auto append = [&](char c) {
    if (out < kMessageCapacity) state.msg_buf[++out] = c;
  };
  append('.');
  append(' ');
  append(' ');
  int i = 1;
  while (i <= n - 4) {
    if (in(i) == '%' && in(i + 1) == '(' && in(i + 4) == ')' && in(i + 3) >= '1' &&
        in(i + 3) <= '9' && is_placeholder_letter(in(i + 2))) {
      int start = 0;
      int len = 0;
      if (find_param(in(i + 2), in(i + 3), start, len)) {
        for (int k = 0; k < len; ++k) append(state.param_buf[start + k]);
        if (out >= kMessageCapacity) {
          state.msg_len = out;
          return;
        }
        i += 5;
        continue;
      }
    }
    append(in(i));
    ++i;
  }
  for (; i <= n; ++i) append(in(i));
  state.msg_len = out;
}

void set_message_directly(std::string_view text) {
  ErrorHandlerState& state = error_handler_state;
  int n = 0;
  for (char c : text) {
    if (n == kMessageCapacity) break;
    state.msg_buf[++n] = c;
  }
  state.msg_len = n;
}

void clear_parameters() { error_handler_state.param_end = 1; }

void MSG_SET_INT(int N, int IVALUE) {
  ensure_error_handler_initialised();
  if (N < 1 || N > 9) return;
  char field[14];
  if (!INT_TO_TEXT(IVALUE, 14, field)) return;
  int first = 0;
  while (first < 14 && field[first] == ' ') ++first;
  ERR_STORE_PARAM('I', N, std::string_view(field + first, static_cast<std::size_t>(14 - first)));
}

void MSG_SET_REAL(int N, float RVALUE) {
  ensure_error_handler_initialised();
  if (N < 1 || N > 9) return;
  // NaN and zero without the scale factor (".000000E+00"), the rest as 1PE14.6.
  const bool plain = IS_NAN(RVALUE) || RVALUE == 0.0f;
  const std::string field = recio::edit_E(RVALUE, 14, 6, plain ? 0 : 1);
  std::size_t first = 0;
  while (first < field.size() && field[first] == ' ') ++first;
  ERR_STORE_PARAM('R', N, std::string_view(field).substr(first));
}

void MSG_SET_TEXT(int N, std::string_view TEXT) {
  ensure_error_handler_initialised();
  const int n = N < 0 ? -N : N;
  if (n < 1 || n > 9) return;
  ERR_STORE_PARAM('L', N, TEXT.substr(0, kMaxTextParameter));
}

}  // namespace polylsq
