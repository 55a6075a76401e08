// List-directed reads over a line source: a scanner with one character of look-ahead;
// each value token is isolated first (with the offset of its repeat asterisk) and
// converted once.
#include "accurate/list_directed_reader.h"

#include <cstdint>
#include <span>
#include <string_view>

#include "accurate/number_text.h"
#include "accurate/plain_row.h"
#include "accurate/reader_messages.h"

namespace polylsq::accurate {
namespace {

constexpr std::size_t kItemsPerRead = 2;  // x, y

bool is_blank(char c) { return c == ' ' || c == '\t'; }
// A value ends at a blank, a tab, a comma, a slash or the end of the line.
bool ends_value(char c) { return is_blank(c) || c == ',' || c == '/'; }

// "3" of "3*7": an unsigned decimal from 1 to 2^31-1; false for anything else.
bool read_repeat_count(std::string_view text, std::int64_t& count) {
  if (text.empty()) return false;
  count = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    count = count * 10 + (c - '0');
    if (count > INT32_MAX) return false;
  }
  return count >= 1;
}

// "-3.14159 27.18282": observations that are whole lines of two plain numbers, taken from
// the bytes read as one read statement each would take them. Returns how many, at most
// `most`.
int take_plain_observations(LineSource& lines, int most, ValueColumn& x, ValueColumn& y) {
  static const FieldClasses kClasses = make_field_classes(",", "/");
  const std::string_view bytes = lines.unread();
  const char* p = bytes.data();
  const char* const end = p + bytes.size();
  int taken = 0;
  double items[kItemsPerRead];
  while (taken < most) {
    const char* const row_end = scan_plain_fields(p, end, kItemsPerRead, items, kClasses);
    if (row_end == nullptr || static_cast<std::size_t>(row_end - p) > lines.max_line_bytes()) break;
    const std::size_t line_end = line_end_length(row_end, end);
    if (line_end == 0) break;
    x.push(items[0]);
    y.push(items[1]);
    p = row_end + line_end;
    ++taken;
  }
  lines.skip(static_cast<std::size_t>(p - bytes.data()), static_cast<std::size_t>(taken));
  return taken;
}

enum class ReadEnd { kComplete, kFileEnded, kFailed };

// The item of a read statement that a value goes to: a real, or an integer.
struct Item {
  double* real = nullptr;
  int* integer = nullptr;
};

// One read statement: its items take their values in order.
class ListRead {
 public:
  explicit ListRead(LineSource& lines) : lines_(lines) {}

  ReadEnd read(std::span<const Item> items) {
    if (!next_line()) return end_of_lines();
    std::size_t item = 0;
    bool after_value = false;  // a value was read and its separating comma not yet seen
    while (item < items.size()) {
      while (pos_ < line_.size() && is_blank(line_[pos_])) ++pos_;
      if (pos_ == line_.size()) {
        if (!next_line()) return end_of_lines();
        continue;
      }
      if (line_[pos_] == ',') {
        ++pos_;
        if (!after_value) ++item;  // ",," or a leading comma: a null value
        after_value = false;
        continue;
      }
      if (line_[pos_] == '/') break;  // the remaining items keep their values
      // "-3.14159 27.18282": a plain number read in place, as the token would read
      const char* const line_end = line_.data() + line_.size();
      double plain = 0.0;
      const char* const plain_end = items[item].real == nullptr
                                        ? nullptr
                                        : scan_plain_real(line_.data() + pos_, line_end, plain);
      if (plain_end != nullptr && (plain_end == line_end || ends_value(*plain_end))) {
        pos_ = static_cast<std::size_t>(plain_end - line_.data());
        after_value = true;
        *items[item++].real = plain;
        continue;
      }
      const std::size_t start = pos_;
      std::size_t star = std::string_view::npos;
      for (; pos_ < line_.size() && !ends_value(line_[pos_]); ++pos_) {
        if (line_[pos_] == '*' && star == std::string_view::npos) star = pos_ - start;
      }
      const std::string_view token = line_.substr(start, pos_ - start);
      after_value = true;
      std::string_view value = token;
      std::int64_t repeat = 1;
      if (star != std::string_view::npos) {
        if (!read_repeat_count(token.substr(0, star), repeat)) {
          return fail(quoted(token) + " has a bad repeat count");
        }
        value = token.substr(star + 1);
      }
      for (; repeat > 0 && item < items.size(); --repeat, ++item) {
        if (value.empty()) continue;  // "r*": r null values
        if (const std::optional<std::string> bad = convert(value, token, items[item])) {
          return fail(*bad);
        }
      }
    }
    return ReadEnd::kComplete;
  }

  const std::string& failure() const { return failure_; }

 private:
  // Why `value` (of `token`) cannot be stored in `item`; nothing when it was stored.
  static std::optional<std::string> convert(std::string_view value, std::string_view token,
                                            const Item& item) {
    if (item.real != nullptr) {
      switch (parse_real(value, *item.real)) {
        case Conversion::kOk: return std::nullopt;
        case Conversion::kMalformed: return quoted(token) + " is not a number";
        case Conversion::kOutOfRange: return quoted(token) + " is beyond the double range";
      }
    }
    switch (parse_integer(value, *item.integer)) {
      case Conversion::kOk: return std::nullopt;
      case Conversion::kMalformed: return quoted(token) + " is not an integer";
      case Conversion::kOutOfRange: return quoted(token) + " is outside the 32-bit integer range";
    }
    return std::nullopt;
  }

  bool next_line() {
    pos_ = 0;
    status_ = lines_.next(line_);
    return status_ == LineSource::Status::kLine;
  }

  ReadEnd end_of_lines() {
    if (status_ == LineSource::Status::kEnd) return ReadEnd::kFileEnded;
    failure_ = lines_.failure();
    return ReadEnd::kFailed;
  }

  ReadEnd fail(std::string_view what) {
    failure_ = at_line(lines_.line_number(), what);
    return ReadEnd::kFailed;
  }

  LineSource& lines_;
  LineSource::Status status_ = LineSource::Status::kLine;
  std::string_view line_;
  std::size_t pos_ = 0;
  std::string failure_;
};

}  // namespace

std::optional<std::string> read_list_observations(LineSource& lines, int count, ValueColumn& x,
                                                  ValueColumn& y) {
  ListRead statement(lines);
  int done = 0;
  while (done < count) {
    done += take_plain_observations(lines, count - done, x, y);
    if (done == count) break;
    double pair[kItemsPerRead] = {0.0, 0.0};
    const Item items[kItemsPerRead] = {{&pair[0], nullptr}, {&pair[1], nullptr}};
    switch (statement.read(items)) {
      case ReadEnd::kComplete:
        x.push(pair[0]);
        y.push(pair[1]);
        ++done;
        break;
      case ReadEnd::kFileEnded:
        return "the file ends after line " + std::to_string(lines.line_number()) + ": " +
               counted(static_cast<std::size_t>(count), "observation") +
               (count == 1 ? " was" : " were") + " announced, " + std::to_string(done) + " read";
      case ReadEnd::kFailed:
        return statement.failure();
    }
  }
  return std::nullopt;
}

std::optional<std::string> read_list_header(LineSource& lines, int& degree, int& count) {
  ListRead statement(lines);
  for (int* value : {&degree, &count}) {
    const Item item[1] = {{nullptr, value}};
    switch (statement.read(item)) {
      case ReadEnd::kComplete:
        break;
      case ReadEnd::kFileEnded:
        return "the file ends after line " + std::to_string(lines.line_number()) +
               (value == &degree ? " before the degree" : " before the count of observations");
      case ReadEnd::kFailed:
        return statement.failure();
    }
  }
  return std::nullopt;
}

}  // namespace polylsq::accurate
