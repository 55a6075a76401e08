// List-directed reads: a scanner over one record at a time with one character of
// look-ahead; each value token is isolated first (with the offset of its repeat asterisk)
// and stored in its item once.
#include "text/list_scan.h"

#include <cstdint>

namespace polylsq::text {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

bool is_blank(char c) { return c == ' ' || c == '\t'; }
// A value ends at a blank, a tab, a comma, a slash or the end of the record.
bool ends_value(char c) { return is_blank(c) || c == ',' || c == '/'; }

// The current record of a statement and the scan position in it.
class Cursor {
 public:
  explicit Cursor(RecordSource& records) : records_(records) {}

  bool next_record() {
    pos_ = 0;
    return records_.next_record(record_);
  }
  bool at_end() const { return pos_ >= record_.size(); }
  void skip_blanks() {
    while (!at_end() && is_blank(record_[pos_])) ++pos_;
  }
  bool accept(char c) {
    if (at_end() || record_[pos_] != c) return false;
    ++pos_;
    return true;
  }
  // The value token at the scan position; `star` is the offset of its first '*' (kNone:
  // none).
  std::string_view read_token(std::size_t& star) {
    const std::size_t start = pos_;
    star = kNone;
    for (; !at_end() && !ends_value(record_[pos_]); ++pos_) {
      if (record_[pos_] == '*' && star == kNone) star = pos_ - start;
    }
    return record_.substr(start, pos_ - start);
  }

 private:
  RecordSource& records_;
  std::string_view record_;
  std::size_t pos_ = 0;
};

// "3" of "3*7": an unsigned decimal from 1 to 2^31-1; 0 for anything else.
std::int64_t repeat_count(std::string_view text) {
  if (text.empty()) return 0;
  std::int64_t count = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return 0;
    count = count * 10 + (c - '0');
    if (count > INT32_MAX) return 0;
  }
  return count;
}

}  // namespace

ListRead read_list_statement(RecordSource& records, std::size_t item_count, StoreValue store) {
  Cursor cursor(records);
  if (!cursor.next_record()) return {ListEnd::kNoRecord, {}, 0, Conversion::kOk};
  std::size_t item = 0;
  bool after_value = false;  // a value was read and its separating comma not yet seen
  while (item < item_count) {
    cursor.skip_blanks();
    if (cursor.at_end()) {
      if (!cursor.next_record()) return {ListEnd::kNoRecord, {}, 0, Conversion::kOk};
      continue;
    }
    if (cursor.accept(',')) {
      if (!after_value) ++item;  // ",," or a leading comma: a null value
      after_value = false;
      continue;
    }
    if (cursor.accept('/')) break;  // the remaining items keep their values
    std::size_t star = kNone;
    const std::string_view token = cursor.read_token(star);
    after_value = true;
    std::string_view value = token;
    std::int64_t repeat = 1;
    if (star != kNone) {
      repeat = repeat_count(token.substr(0, star));
      if (repeat == 0) return {ListEnd::kBadRepeat, token, item, Conversion::kMalformed};
      value = token.substr(star + 1);
    }
    for (; repeat > 0 && item < item_count; --repeat, ++item) {
      if (value.empty()) continue;  // "r*": r null values
      if (const Conversion verdict = store(item, value); verdict != Conversion::kOk) {
        return {ListEnd::kBadValue, token, item, verdict};
      }
    }
  }
  return {};
}

}  // namespace polylsq::text
