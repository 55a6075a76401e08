// List-directed reads over a line source: the shared scanner over the source's lines,
// after a fast lane that takes whole lines of two plain numbers.
#include "input/list_directed_reader.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "input/number_text.h"
#include "input/plain_row.h"
#include "input/second_reader.h"
#include "text/line_ends.h"
#include "text/list_scan.h"
#include "text/message_text.h"

namespace polylsq::input {
namespace {

constexpr std::size_t kItemsPerRead = 2;  // x, y

// "-3.14159 27.18282": observations that are whole lines of two plain numbers, taken from
// the bytes read as one read statement each would take them, with their lines when
// `line_numbers`, on two threads where the line source says so (`second` is the room of the
// second thread). Returns how many, at most `most`.
int take_plain_observations(LineSource& lines, int most, ValueColumn& x, ValueColumn& y,
                            LineColumn* line_numbers, SecondReader& second) {
  static const FieldClasses kClasses = make_field_classes(",", "/");
  const PlainRowForm form{kItemsPerRead, &kClasses, lines.max_line_bytes(), false};
  const PlainRowTarget target{{&x, &y, nullptr}};
  const auto rows = static_cast<std::size_t>(most);
  const PlainRun run = lines.two_threads()
                           ? scan_plain_rows_in_two(lines.unread(), form, rows, target, second)
                           : scan_plain_rows(lines.unread(), form, rows, target);
  if (line_numbers != nullptr) {
    const std::size_t first_line = lines.line_number() + 1;
    for (std::size_t row = 0; row < run.rows; ++row) line_numbers->push(first_line + row);
  }
  lines.skip(run.bytes, run.rows);
  return static_cast<int>(run.rows);
}

// The lines of a line source as the records of read statements.
class LineRecords final : public text::RecordSource {
 public:
  explicit LineRecords(LineSource& lines) : lines_(lines) {}
  bool next_record(std::string_view& record) override {
    status_ = lines_.next(record);
    return status_ == LineSource::Status::kLine;
  }
  bool failed() const { return status_ == LineSource::Status::kFailed; }

 private:
  LineSource& lines_;
  LineSource::Status status_ = LineSource::Status::kLine;
};

// The item of a read statement that a value goes to: a real, or an integer.
struct Item {
  double* real = nullptr;
  int* integer = nullptr;
};

// Why a value of `token` cannot be stored in `item`.
std::string refusal(std::string_view token, const Item& item, Conversion verdict) {
  const bool real = item.real != nullptr;
  if (verdict == Conversion::kMalformed) {
    return text::quote_value(token) + (real ? " is not a number" : " is not an integer");
  }
  return text::quote_value(token) +
         (real ? " is beyond the double range" : " is outside the 32-bit integer range");
}

// One read statement into `items`: true when it completed, false when the file ended first.
Expected<bool> read_statement(LineSource& lines, std::span<const Item> items) {
  LineRecords records(lines);
  const auto store = [items](std::size_t i, std::string_view value) {
    return items[i].real != nullptr ? parse_real(value, *items[i].real)
                                    : text::parse_integer(value, *items[i].integer);
  };
  const text::ListRead read = text::read_list_statement(records, items.size(), store);
  switch (read.end) {
    case text::ListEnd::kComplete:
      return true;
    case text::ListEnd::kNoRecord:
      if (records.failed()) return lines.failure();
      return false;
    case text::ListEnd::kBadRepeat:
      return Error{ErrorKind::kBadData,
                   text::at_line(lines.line_number(),
                                 text::quote_value(read.token) + " has a bad repeat count")};
    case text::ListEnd::kBadValue:
      break;
  }
  const std::string why = refusal(read.token, items[read.item], read.verdict);
  return Error{ErrorKind::kBadData, text::at_line(lines.line_number(), why)};
}

// "the file ends after line 6" and what was missing.
Error ended_early(const LineSource& lines, std::string_view missing) {
  return {ErrorKind::kBadData,
          "the file ends after line " + std::to_string(lines.line_number()) + std::string(missing)};
}

}  // namespace

Expected<void> read_list_observations(LineSource& lines, int count, ValueColumn& x,
                                      ValueColumn& y, LineColumn* line_numbers) {
  int done = 0;
  SecondReader second;
  while (done < count) {
    done += take_plain_observations(lines, count - done, x, y, line_numbers, second);
    if (done == count) break;
    double pair[kItemsPerRead] = {0.0, 0.0};
    const Item items[kItemsPerRead] = {{&pair[0], nullptr}, {&pair[1], nullptr}};
    const Expected<bool> complete = read_statement(lines, items);
    if (!complete) return complete.error();
    if (!*complete) {
      const std::string announced = text::counted(static_cast<std::uint64_t>(count), "observation");
      return ended_early(lines, ": " + announced + (count == 1 ? " was" : " were") +
                                    " announced, " + std::to_string(done) + " read");
    }
    x.push(pair[0]);
    y.push(pair[1]);
    if (line_numbers != nullptr) line_numbers->push(lines.line_number());
    ++done;
  }
  return {};
}

Expected<void> read_list_header(LineSource& lines, int& degree, int& count) {
  for (int* value : {&degree, &count}) {
    const Item item[1] = {{nullptr, value}};
    const Expected<bool> complete = read_statement(lines, item);
    if (!complete) return complete.error();
    if (!*complete) {
      return ended_early(lines, value == &degree ? " before the degree"
                                                 : " before the count of observations");
    }
  }
  return {};
}

}  // namespace polylsq::input
