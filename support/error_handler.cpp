// The error handler: one process-wide error state, the routine-name stack, message
// parameters stored as text records, the pending message, and the printer that lays
// out a message and its traceback as records on the error-message unit.
//
// Every buffer has a fixed size and the handler never allocates. Positions in the
// message and parameter buffers are 1-based, as are the per-level arrays (slot 0 unused).
#include "support/error_handler.h"

#include <cstdint>
#include <cstring>

#include "recio/edit.h"
#include "recio/io.h"
#include "recio/run_end.h"
#include "support/machine.h"
#include "support/testing.h"

namespace polylsq {
namespace {

constexpr int kMaxLevel = 50;
constexpr int kSlots = 51;
constexpr int kNameWidth = 32;
constexpr int kMsgCapacity = 1024;
constexpr int kParamCapacity = 300;
constexpr int kTypes = 7;
constexpr int kLineCapacity = 128;  // longest record: 78 characters

struct ErrorState {
  int level;
  int max_level;
  char routine_name[kSlots + 1][kNameWidth];
  int err_type[kSlots + 1];
  int err_code[kSlots + 1];
  bool user_called[kSlots + 1];
  char msg_buf[kMsgCapacity + 1];
  int msg_len;
  char param_buf[kParamCapacity + 1];
  int param_end;
  int print_on[kTypes + 1];
  int stop_on[kTypes + 1];
  int trace_on[kTypes + 1];
  int immediate_warning_flag;
  int immediate_fatal_flag;
};

ErrorState s;
bool init_done = false;

// One output record under construction.
struct Line {
  char buf[kLineCapacity];
  int len = 0;
  void put(char c) {
    if (len < kLineCapacity) buf[len++] = c;
  }
  void put(std::string_view text) {
    for (char c : text) put(c);
  }
  void put_blanks(int n) {
    for (int i = 0; i < n; ++i) put(' ');
  }
  std::string_view view() const { return {buf, static_cast<std::size_t>(len)}; }
};

constexpr std::string_view kLabels[kTypes + 1] = {
    "UNKNOWN ", "NOTE    ", "ALERT   ", "WARNING ", "FATAL   ", "TERMINAL", "WARNING ", "FATAL   "};

bool is_upper(char c) { return c >= 'A' && c <= 'Z'; }
bool is_lower(char c) { return c >= 'a' && c <= 'z'; }

char upper_of(char c) { return is_lower(c) ? static_cast<char>(c - 'a' + 'A') : c; }

void write_record(std::string_view text) {
  int nout = 0;
  UMACH(3, nout);
  recio::write_record(nout, text);
}

// Integer to right-justified decimal in WIDTH characters, "-" before the first digit of
// a negative value, blanks to the left. False (field untouched) when it does not fit.
bool INT_TO_TEXT(int VALUE, int WIDTH, char* field) {
  char digits[12];
  int n = 0;
  std::int64_t magnitude = VALUE < 0 ? -static_cast<std::int64_t>(VALUE) : VALUE;
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  const int needed = n + (VALUE < 0 ? 1 : 0);
  if (needed > WIDTH) return false;
  int pos = 0;
  for (; pos < WIDTH - needed; ++pos) field[pos] = ' ';
  if (VALUE < 0) field[pos++] = '-';
  while (n > 0) field[pos++] = digits[--n];
  return true;
}

// The decimal digits of VALUE without blanks.
void put_int(Line& line, int VALUE) {
  char field[14];
  INT_TO_TEXT(VALUE, 14, field);
  int first = 0;
  while (field[first] == ' ') ++first;
  line.put(std::string_view(field + first, static_cast<std::size_t>(14 - first)));
}

// VALUE right-justified in WIDTH columns; asterisks when it does not fit.
void put_int_field(Line& line, int VALUE, int WIDTH) {
  char field[14];
  if (WIDTH > 14 || !INT_TO_TEXT(VALUE, WIDTH, field)) {
    for (int i = 0; i < WIDTH; ++i) line.put('*');
    return;
  }
  line.put(std::string_view(field, static_cast<std::size_t>(WIDTH)));
}

// The stored name of a level, with a lower-case first letter before an upper-case
// second one shown in upper case.
void put_name(Line& line, int k, bool up_to_blank) {
  const char* name = s.routine_name[k];
  int n = kNameWidth;
  if (up_to_blank) {
    n = 0;
    while (n < kNameWidth && name[n] != ' ') ++n;
  }
  for (int i = 0; i < n; ++i) {
    const bool raise = i == 0 && is_upper(name[1]) && is_lower(name[0]);
    line.put(raise ? upper_of(name[0]) : name[i]);
  }
}

void ERR_INIT() {
  s.level = 1;
  s.max_level = kMaxLevel;
  for (int k = 0; k <= kSlots; ++k) {
    for (int i = 0; i < kNameWidth; ++i) s.routine_name[k][i] = ' ';
    s.err_type[k] = -1;
    s.err_code[k] = -1;
    s.user_called[k] = false;
  }
  const std::string_view user = "USER";
  for (std::size_t i = 0; i < user.size(); ++i) s.routine_name[1][i] = user[i];
  s.err_type[1] = 0;
  s.err_code[1] = 0;
  s.user_called[2] = true;
  s.msg_len = 0;
  s.param_end = 1;
  const int print_on[kTypes] = {0, 0, 1, 1, 1, 1, 1};
  const int stop_on[kTypes] = {0, 0, 0, 1, 1, 0, 1};
  for (int t = 1; t <= kTypes; ++t) {
    s.print_on[t] = print_on[t - 1];
    s.stop_on[t] = stop_on[t - 1];
    s.trace_on[t] = 1;
  }
  s.print_on[0] = s.stop_on[0] = s.trace_on[0] = 0;
  s.immediate_warning_flag = 0;
  s.immediate_fatal_flag = 0;
  init_done = true;
}

void ensure_init() {
  if (!init_done) ERR_INIT();
}

// Appends one record "*", KIND, digit, "*", length, "%", value. Ignored for a number
// outside 1..9 or when the record might not fit (the test is on the raw length LEN).
void ERR_STORE_PARAM(char KIND, int N, std::string_view VALUE) {
  const int LEN = static_cast<int>(VALUE.size());
  const int n = N < 0 ? -N : N;
  if (n < 1 || n > 9 || s.param_end + LEN + 8 > kParamCapacity) return;
  int pos = s.param_end == 1 ? 1 : s.param_end + 1;
  s.param_buf[pos++] = '*';
  s.param_buf[pos++] = KIND;
  s.param_buf[pos++] = static_cast<char>('0' + n);
  s.param_buf[pos++] = '*';
  int L = LEN;
  if (N > 0) {
    while (L > 0 && VALUE[static_cast<std::size_t>(L - 1)] == ' ') --L;
    if (L < 1) L = 1;  // an all-blank value is stored as one blank
  }
  char field[3];
  INT_TO_TEXT(L, 3, field);
  for (char c : field) {
    if (c != ' ') s.param_buf[pos++] = c;
  }
  s.param_buf[pos++] = '%';
  for (int i = 0; i < L; ++i) {
    s.param_buf[pos++] = i < LEN ? VALUE[static_cast<std::size_t>(i)] : ' ';
  }
  s.param_end = pos - 1;
}

// The stored value for kind letter `kind` and digit `digit`: the first matching record.
// The tag is searched in the whole buffer, values included; a tag inside a text value
// counts only when a length of 1 to 3 digits, the "%" and the whole value follow it
// within the stored records.
bool find_param(char kind, char digit, int& value_start, int& value_len) {
  const char wanted = upper_of(kind);
  for (int i = 1; i + 3 <= s.param_end; ++i) {
    if (s.param_buf[i] != '*' || upper_of(s.param_buf[i + 1]) != wanted ||
        s.param_buf[i + 2] != digit || s.param_buf[i + 3] != '*') {
      continue;
    }
    int pos = i + 4;
    int L = 0;
    int length_digits = 0;
    while (pos <= s.param_end && length_digits < 3 && s.param_buf[pos] >= '0' && s.param_buf[pos] <= '9') {
      L = L * 10 + (s.param_buf[pos] - '0');
      ++pos;
      ++length_digits;
    }
    if (length_digits == 0 || pos > s.param_end || s.param_buf[pos] != '%' || pos + L > s.param_end) {
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

// ".  " and MSG with its placeholders replaced, cut at 1024 characters, into msg_buf.
void build_message(std::string_view MSG) {
  const int n = static_cast<int>(MSG.size() < kMsgCapacity ? MSG.size() : kMsgCapacity);
  auto in = [&](int i) { return MSG[static_cast<std::size_t>(i - 1)]; };
  int out = 0;
  auto append = [&](char c) {
    if (out < kMsgCapacity) s.msg_buf[++out] = c;
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
        for (int k = 0; k < len; ++k) append(s.param_buf[start + k]);
        if (out >= kMsgCapacity) {
          s.msg_len = out;
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
  s.msg_len = out;
}

// Three header records, then one row per level from the top down to "USER".
void print_traceback() {
  write_record("     Here is a traceback of subprogram calls in reverse order:");
  write_record("     Routine name                    Error type  Error code");
  write_record("     ------------                    ----------  ----------");
  for (int k = s.level; k >= 1; --k) {
    Line row;
    row.put_blanks(5);
    put_name(row, k, false);
    put_int_field(row, s.err_type[k], 6);
    row.put_blanks(6);
    put_int_field(row, s.err_code[k], 6);
    if (k >= 2 && !s.user_called[k]) row.put("    (Called internally)");
    write_record(row.view());
  }
}

// Finds "%/" in msg_buf(from..to), both characters inside; 0 when absent.
int find_break(int from, int to) {
  for (int i = from; i < to; ++i) {
    if (s.msg_buf[i] == '%' && s.msg_buf[i + 1] == '/') return i;
  }
  return 0;
}

void put_text(Line& line, int from, int to) {
  for (int i = from; i <= to; ++i) line.put(s.msg_buf[i]);
}

// Prints the pending message under the current level's type, code and name, then the
// traceback when the level is deeper than the routine called by the user.
void ERR_PRINT() {
  if (s.msg_len == 0) return;
  const int t = s.err_type[s.level];
  const int c = s.err_code[s.level];
  const int len = s.msg_len;

  Line prefix;
  prefix.put(' ');
  put_int(prefix, c);
  prefix.put(" from ");
  put_name(prefix, s.level, true);
  const bool dots_added = !(len >= 3 && s.msg_buf[1] == '.' && s.msg_buf[2] == ' ' && s.msg_buf[3] == ' ');
  if (dots_added) prefix.put(".  ");
  const int PL = prefix.len;
  const int A = dots_added ? 3 : 0;
  const int CAP = 59 - PL - A;

  // First line: a forced break before CAP, the whole text, or a break at a blank.
  int first_end = 0;  // last position shown on the first line
  int next = 0;       // first position not yet consumed
  bool forced = false;
  const int p = find_break(1, len);
  if (p > 0 && p < CAP) {
    first_end = p - 1;
    next = p + 2;
    forced = true;
  } else if (len <= CAP) {
    first_end = len;
    next = len + 1;
  } else {
    int b = CAP;
    while (b >= 2 && s.msg_buf[b] != ' ') --b;
    if (b >= 2) {
      first_end = b - 1;
      next = b + 1;
    } else {
      first_end = CAP;
      next = CAP + 1;
    }
  }
  write_record("");
  Line first;
  first.put(" *** ");
  first.put(t >= 1 && t <= kTypes ? kLabels[t] : kLabels[0]);
  first.put(" ERROR");
  first.put(prefix.view());
  put_text(first, 1, first_end);
  write_record(first.view());

  // Continuation lines: a window of 64 characters after the last consumed position.
  while (next <= len) {
    const int window_end = next + 63 < len ? next + 63 : len;
    int line_start = next;
    if (s.msg_buf[next] == ' ' && !forced) line_start = next + 1;
    Line cont;
    cont.put(" *** ");
    cont.put_blanks(9);
    const int q = find_break(next, window_end);
    if (q > 0) {
      put_text(cont, line_start, q - 1);
      next = q + 2;
      forced = true;
    } else if (len <= next + 63) {
      put_text(cont, line_start, len);
      next = len + 1;
    } else {
      int b = window_end;
      while (b >= line_start + 1 && s.msg_buf[b] != ' ') --b;
      const int line_end = b >= line_start + 1 ? b : window_end;
      put_text(cont, line_start, line_end);
      next = line_end + 1;
      forced = false;
    }
    write_record(cont.view());
  }

  s.msg_len = 0;
  s.param_end = 1;

  // A type outside 1..7 (the illegal-type failure) keeps the traceback of every failure.
  const bool trace = t >= 1 && t <= kTypes ? s.trace_on[t] == 1 : true;
  if (trace && s.level > 2) print_traceback();
}

// 1 when a recorded immediate warning or fatal error asks for a stop; clears the flags.
int ERR_IMMEDIATE_STOP() {
  int result = 0;
  if (s.immediate_warning_flag != 0) {
    result = s.stop_on[6];
    s.immediate_warning_flag = 0;
  }
  if (s.immediate_fatal_flag != 0) {
    result = s.stop_on[7];
    s.immediate_fatal_flag = 0;
  }
  return result;
}

// Puts a ready-made text (already beginning with ".  ") in the pending message.
void set_pending_direct(std::string_view text) {
  int n = 0;
  for (char c : text) {
    if (n == kMsgCapacity) break;
    s.msg_buf[++n] = c;
  }
  s.msg_len = n;
}

// `text` cut or blank-padded to the stored width of a routine name.
void pad_name(std::string_view text, char (&padded)[kNameWidth]) {
  std::memset(padded, ' ', kNameWidth);
  const std::size_t n = text.size() < kNameWidth ? text.size() : kNameWidth;
  if (n > 0) std::memcpy(padded, text.data(), n);
}

// `name` and the stored name are equal once both are padded with blanks.
bool same_padded(std::string_view name, const char* stored) {
  char padded[kNameWidth];
  pad_name(name, padded);
  if (std::memcmp(padded, stored, kNameWidth) != 0) return false;
  for (std::size_t i = kNameWidth; i < name.size(); ++i) {
    if (name[i] != ' ') return false;  // beyond the stored width only blanks match
  }
  return true;
}

}  // namespace

void E1PSH(std::string_view NAME) {
  ensure_init();
  if (s.level < s.max_level) {
    ++s.level;
    pad_name(NAME, s.routine_name[s.level]);
    s.err_type[s.level] = 0;
    s.err_code[s.level] = 0;
    return;
  }
  MSG_SET_INT(1, s.max_level);
  E1MES(5, 1, "Error condition in E1PSH.  Push would cause stack level to exceed %(I1). ");
  recio::stop({}, kExitStoppedByMessage);
}

void E1POP(std::string_view NAME) {
  if (s.level <= 1) {
    E1PSH("E1POP");
    MSG_SET_TEXT(1, NAME);
    E1MES(5, 1, "Error condition in E1POP.  Cannot pop from %(L1) because stack is empty.");
    recio::stop({}, kExitStoppedByMessage);
  }
  if (!same_padded(NAME, s.routine_name[s.level])) {
    MSG_SET_TEXT(1, NAME);
    MSG_SET_TEXT(2, std::string_view(s.routine_name[s.level], kNameWidth));
    E1MES(5, 2, "Error condition in E1POP.  %(L1) does not match the name %(L2) in the stack.");
    recio::stop({}, kExitStoppedByMessage);
  }
  const int t = s.err_type[s.level];
  if (t != 0) {
    if (t >= 2 && t <= 7) {
      s.err_type[s.level - 1] = t;
      s.err_code[s.level - 1] = s.err_code[s.level];
    }
    bool stop = false;
    if (t >= 1 && t <= 4) {
      if (s.user_called[s.level] && s.print_on[t] == 1) ERR_PRINT();
      stop = s.user_called[s.level] && s.stop_on[t] == 1;
    } else if (t >= 5 && t <= 7) {
      if (s.print_on[t] == 1) ERR_PRINT();
      if (t == 5) {
        stop = s.stop_on[5] == 1;
      } else {
        stop = s.user_called[s.level] && ERR_IMMEDIATE_STOP() == 1;
      }
    }
    if (stop) {
      recio::stop({}, kExitStoppedByMessage);
    }
  }
  if (s.level < s.max_level) {
    s.err_type[s.level + 1] = -1;
    s.err_code[s.level + 1] = -1;
  }
  --s.level;
}

void E1MES(int IERTYP, int IERCOD, std::string_view MSG) {
  if (IERTYP != -1) {
    if (IERTYP < -1 || IERTYP > 7) {
      set_pending_direct(".  Error from E1MES.  Illegal error type specified.");
      ERR_PRINT();
      recio::stop({}, kExitStoppedByMessage);
    }
    s.err_type[s.level] = IERTYP;
  }
  if (IERCOD >= 0) s.err_code[s.level] = IERCOD;
  if (IERTYP == 0 || IERCOD == 0) {
    s.msg_len = 0;
  } else {
    const bool no_text = MSG.empty() || (MSG.size() == 1 && MSG[0] == ' ');
    if (!no_text) build_message(MSG);
    const int t = s.err_type[s.level];
    if (t == 6) s.immediate_warning_flag = 1;
    if (t == 7) s.immediate_fatal_flag = 1;
    if (t >= 5 && t <= kTypes && s.print_on[t] == 1) ERR_PRINT();
  }
  s.param_end = 1;
}

void MSG_SET_INT(int N, int IVALUE) {
  ensure_init();
  if (N < 1 || N > 9) return;
  char field[14];
  if (!INT_TO_TEXT(IVALUE, 14, field)) return;
  int first = 0;
  while (first < 14 && field[first] == ' ') ++first;
  ERR_STORE_PARAM('I', N, std::string_view(field + first, static_cast<std::size_t>(14 - first)));
}

void MSG_SET_REAL(int N, float RVALUE) {
  ensure_init();
  if (N < 1 || N > 9) return;
  // NaN and zero without the scale factor (".000000E+00"), the rest as 1PE14.6.
  const bool plain = IS_NAN(RVALUE) || RVALUE == 0.0f;
  const std::string field = recio::edit_E(RVALUE, 14, 6, plain ? 0 : 1);
  std::size_t first = 0;
  while (first < field.size() && field[first] == ' ') ++first;
  ERR_STORE_PARAM('R', N, std::string_view(field).substr(first));
}

void MSG_SET_TEXT(int N, std::string_view TEXT) {
  ensure_init();
  const int n = N < 0 ? -N : N;
  if (n < 1 || n > 9) return;
  ERR_STORE_PARAM('L', N, TEXT.substr(0, TEXT.size() < 255 ? TEXT.size() : 255));
}

int error_level() { return s.level; }

int error_type_at(int level) { return s.err_type[level]; }

int error_code_at(int level) { return s.err_code[level]; }

void error_terminal_direct(std::string_view text) {
  s.err_type[s.level] = 5;
  s.err_code[s.level] = 1;
  set_pending_direct(text);
  ERR_PRINT();
  recio::stop({}, kExitStoppedByMessage);
}

void error_handler_reset_for_tests() {
  s = ErrorState{};
  init_done = false;
}

}  // namespace polylsq
