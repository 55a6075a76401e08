// The layout of the error handler's records: labels, the prefix with the code and routine
// name, line breaking of the message text, and the traceback rows. Positions in the text
// are 1-based, as the line rules count them.
#include "support/message_layout.h"

#include <cstdint>

namespace polylsq {
namespace {

constexpr int kTypes = 7;
constexpr std::string_view kLabels[kTypes + 1] = {
    "UNKNOWN ", "NOTE    ", "ALERT   ", "WARNING ", "FATAL   ", "TERMINAL", "WARNING ", "FATAL   "};
constexpr std::string_view kLinePrefix = " *** ";
constexpr int kTracebackIndent = 5;
constexpr int kTracebackNumberWidth = 6;
constexpr int kTracebackGap = 6;  // blanks between the type and the code

// One output record under construction; characters beyond the capacity are dropped.
class Line {
 public:
  void put(char c) {
    if (len_ < kRecordCapacity) buf_[len_++] = c;
  }
  void put(std::string_view text) {
    for (char c : text) put(c);
  }
  void put_blanks(int n) {
    for (int i = 0; i < n; ++i) put(' ');
  }
  int size() const { return len_; }
  std::string_view view() const { return {buf_, static_cast<std::size_t>(len_)}; }

 private:
  char buf_[kRecordCapacity];
  int len_ = 0;
};

bool is_upper(char c) { return c >= 'A' && c <= 'Z'; }
bool is_lower(char c) { return c >= 'a' && c <= 'z'; }
char upper_of(char c) { return is_lower(c) ? static_cast<char>(c - 'a' + 'A') : c; }

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

// A stored name, whole or up to its first blank; a lower-case first letter before an
// upper-case second one is shown in upper case.
void put_name(Line& line, std::string_view stored, bool up_to_blank) {
  std::size_t n = stored.size();
  if (up_to_blank) {
    n = 0;
    while (n < stored.size() && stored[n] != ' ') ++n;
  }
  for (std::size_t i = 0; i < n; ++i) {
    const bool raise = i == 0 && stored.size() > 1 && is_upper(stored[1]) && is_lower(stored[0]);
    line.put(raise ? upper_of(stored[0]) : stored[i]);
  }
}

// The message text with 1-based positions.
class Text {
 public:
  explicit Text(std::string_view text) : text_(text) {}
  int length() const { return static_cast<int>(text_.size()); }
  char at(int i) const { return text_[static_cast<std::size_t>(i - 1)]; }
  // Position of "%/" with both characters in from..to; 0 when absent.
  int find_break(int from, int to) const {
    for (int i = from; i < to; ++i) {
      if (at(i) == '%' && at(i + 1) == '/') return i;
    }
    return 0;
  }
  void put(Line& line, int from, int to) const {
    for (int i = from; i <= to; ++i) line.put(at(i));
  }

 private:
  std::string_view text_;
};

// " <code> from <name>", then ".  " unless the text begins with it (`dots_added`).
Line message_prefix(const MessageToShow& message, const Text& text, bool& dots_added) {
  Line prefix;
  prefix.put(' ');
  put_int(prefix, message.code);
  prefix.put(" from ");
  put_name(prefix, message.routine_name, true);
  const int len = text.length();
  dots_added = !(len >= 3 && text.at(1) == '.' && text.at(2) == ' ' && text.at(3) == ' ');
  if (dots_added) prefix.put(".  ");
  return prefix;
}

// The positions of the text one line shows (start..end), the first position not yet
// consumed, and whether the line broke at "%/".
struct LineCut {
  int start;
  int end;
  int next;
  bool forced;
};

// The first line: a forced break before first_width, the whole text, or a break at the last
// blank within first_width (cut at first_width when there is none).
LineCut first_line_cut(const Text& text, int first_width) {
  const int len = text.length();
  const int p = text.find_break(1, len);
  if (p > 0 && p < first_width) return {1, p - 1, p + 2, true};
  if (len <= first_width) return {1, len, len + 1, false};
  int b = first_width;
  while (b >= 2 && text.at(b) != ' ') --b;
  if (b >= 2) return {1, b - 1, b + 1, false};
  return {1, first_width, first_width + 1, false};
}

// A continuation line from position `next`: a window of kContinuationWidth characters, a
// blank at its start dropped unless the previous line broke at "%/"; it breaks before a
// "%/" in the window, else takes the rest of the text when it fits, else ends at the last
// blank of the window (at the window's end when there is none).
LineCut continuation_cut(const Text& text, int next, bool after_forced) {
  constexpr int kWindowSpan = kContinuationWidth - 1;
  const int len = text.length();
  const int window_end = next + kWindowSpan < len ? next + kWindowSpan : len;
  const int start = text.at(next) == ' ' && !after_forced ? next + 1 : next;
  const int q = text.find_break(next, window_end);
  if (q > 0) return {start, q - 1, q + 2, true};
  if (len <= next + kWindowSpan) return {start, len, len + 1, after_forced};
  int b = window_end;
  while (b >= start + 1 && text.at(b) != ' ') --b;
  const int end = b >= start + 1 ? b : window_end;
  return {start, end, end + 1, false};
}

}  // namespace

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

void lay_out_message(const MessageToShow& message, RecordSink& out) {
  const Text text(message.text);
  bool dots_added = false;
  const Line prefix = message_prefix(message, text, dots_added);
  // The text's share of the first line; the dots added count against it a second time.
  const int first_width = kFirstLineWidth - prefix.size() - (dots_added ? 3 : 0);
  LineCut cut = first_line_cut(text, first_width);

  out.put("");
  Line first;
  first.put(kLinePrefix);
  const int t = message.type;
  first.put(t >= 1 && t <= kTypes ? kLabels[t] : kLabels[0]);
  first.put(" ERROR");
  first.put(prefix.view());
  text.put(first, 1, cut.end);
  out.put(first.view());

  while (cut.next <= text.length()) {
    cut = continuation_cut(text, cut.next, cut.forced);
    Line cont;
    cont.put(kLinePrefix);
    cont.put_blanks(kContinuationIndent);
    text.put(cont, cut.start, cut.end);
    out.put(cont.view());
  }
}

void lay_out_traceback(std::span<const TracebackRow> rows, RecordSink& out) {
  out.put("     Here is a traceback of subprogram calls in reverse order:");
  out.put("     Routine name                    Error type  Error code");
  out.put("     ------------                    ----------  ----------");
  for (const TracebackRow& r : rows) {
    Line row;
    row.put_blanks(kTracebackIndent);
    put_name(row, r.routine_name, false);
    put_int_field(row, r.type, kTracebackNumberWidth);
    row.put_blanks(kTracebackGap);
    put_int_field(row, r.code, kTracebackNumberWidth);
    if (r.called_internally) row.put("    (Called internally)");
    out.put(row.view());
  }
}

}  // namespace polylsq
