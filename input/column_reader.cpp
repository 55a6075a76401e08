// Plain columns: each line is split into cells by a character-class table (one look-up
// a character), then every cell is converted once.
#include "input/column_reader.h"

#include "input/number_text.h"
#include "text/line_ends.h"
#include "text/message_text.h"

namespace polylsq::input {
namespace {

// Rows skipped with a warning of their own; the rest are counted in one warning.
constexpr std::size_t kListedSkips = 20;

constexpr std::string_view kNotAvailable = "NA";

Error bad_line(std::size_t number, std::string_view what) {
  return {ErrorKind::kBadData, text::at_line(number, what)};
}

}  // namespace

ColumnReader::ColumnReader(bool weights, const ColumnSink& sink)
    : expected_cells_(weights ? 3 : 2), sink_(sink), plain_classes_(make_field_classes(",;", "#")) {
  classes_[' '] = classes_['\t'] = CharClass::kBlank;
  classes_[','] = classes_[';'] = CharClass::kDelimiter;
  classes_['#'] = CharClass::kComment;
  classes_['"'] = CharClass::kQuote;
}

void ColumnReader::start(std::string_view line) {
  started_ = true;
  if (line.substr(0, line.find('#')).find(';') != std::string_view::npos) {
    decimal_comma_ = true;
    classes_[','] = CharClass::kText;
    plain_classes_ = make_field_classes(";", "#");
  }
}

// "-3.14159 27.18282", "1.5,2.25 # note": the expected count of plain numbers, the last
// weight not negative. Returns the position after them and the blanks after them, with
// `values` set; nullptr for any other row, which split() and parse_real() then read.
const char* ColumnReader::scan_plain_row(const char* p, const char* end, double* values) const {
  p = scan_plain_fields(p, end, expected_cells_, values, plain_classes_);
  if (p == nullptr || (expected_cells_ == 3 && values[2] < 0.0)) return nullptr;
  return p;
}

void ColumnReader::store(const double* values) {
  sink_.x.push(values[0]);
  sink_.y.push(values[1]);
  if (expected_cells_ == 3) sink_.w.push(values[2]);
}

std::size_t ColumnReader::take_plain_rows(std::string_view bytes, std::size_t max_line_bytes,
                                          std::size_t& lines_taken) {
  if (!started_) return 0;
  const char* p = bytes.data();
  const char* const end = p + bytes.size();
  double values[kMaxCells];
  for (;;) {
    const char* const row_end = scan_plain_row(p, end, values);
    if (row_end == nullptr || static_cast<std::size_t>(row_end - p) > max_line_bytes) break;
    const std::size_t line_end = text::line_end_length(row_end, end);
    if (line_end == 0) break;
    store(values);
    p = row_end + line_end;
    ++lines_taken;
  }
  return static_cast<std::size_t>(p - bytes.data());
}

// "1, 2" -> {"1", "2"}; "1,,2" -> {"1", "", "2"}; "1," -> {"1", ""}; "" -> {}
ColumnReader::Cells ColumnReader::split(std::string_view line) const {
  Cells cells;
  std::size_t i = 0;
  bool cell_ended = false;  // a cell ended and no delimiter followed it yet
  bool cell_owed = false;   // a delimiter was seen: a cell follows, possibly empty
  for (;;) {
    while (i < line.size() && class_of(line[i]) == CharClass::kBlank) ++i;
    const CharClass next = i < line.size() ? class_of(line[i]) : CharClass::kComment;
    if (next == CharClass::kComment) {
      if (cell_owed) cells.add({});
      return cells;
    }
    if (next == CharClass::kDelimiter) {
      if (!cell_ended) cells.add({});
      ++i;
      cell_ended = false;
      cell_owed = true;
      continue;
    }
    std::size_t start = i;
    std::size_t stop = i;
    if (next == CharClass::kQuote) {
      start = ++i;
      while (i < line.size() && !(line[i] == '"' && (i + 1 == line.size() || line[i + 1] != '"'))) {
        i += line[i] == '"' ? 2 : 1;  // "" inside quotes is one quote
      }
      stop = i;
      if (i < line.size()) ++i;  // the closing quote
    } else {
      while (i < line.size() && (class_of(line[i]) == CharClass::kText || line[i] == '"')) ++i;
      stop = i;
    }
    cells.add(line.substr(start, stop - start));
    cell_ended = true;
    cell_owed = false;
  }
}

// "x","y" or time;level: no cell is a number, and some cell is not empty or NA.
bool ColumnReader::is_header(const Cells& cells) const {
  bool named = false;
  for (std::size_t i = 0; i < cells.count && i < kMaxCells; ++i) {
    double ignored = 0.0;
    if (parse_real(cells.text[i], ignored, decimal_comma_) != Conversion::kMalformed) return false;
    if (!cells.text[i].empty() && cells.text[i] != kNotAvailable) named = true;
  }
  return named;
}

Expected<void> ColumnReader::take_line(std::size_t number, std::string_view line) {
  if (started_) {
    double values[kMaxCells];
    const char* const end = line.data() + line.size();
    const char* const row_end = scan_plain_row(line.data(), end, values);
    if (row_end != nullptr && (row_end == end || *row_end == '#')) {
      store(values);
      return {};
    }
  } else {
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') return {};
    start(line);
    if (is_header(split(line))) return {};
  }
  const Cells cells = split(line);
  if (cells.count == 0) return {};
  if (cells.count != expected_cells_) {
    return bad_line(number, text::counted(cells.count, "value") + ", expected " +
                                std::to_string(expected_cells_) +
                                (expected_cells_ == 3 ? " (x y w)" : " (x y)"));
  }
  double values[kMaxCells] = {};
  std::string_view missing;  // why the row is skipped
  for (std::size_t i = 0; i < expected_cells_; ++i) {
    const std::string_view cell = cells.text[i];
    if (cell.empty() || cell == kNotAvailable) {
      if (missing.empty()) missing = cell.empty() ? "empty cell" : "NA cell";
      continue;
    }
    const Conversion result = parse_real(cell, values[i], decimal_comma_);
    if (result == Conversion::kMalformed) {
      return bad_line(number, text::quote_value(cell) + " is not a number");
    }
    if (result == Conversion::kOutOfRange) {
      return bad_line(number, text::quote_value(cell) + " is beyond the double range");
    }
  }
  if (!missing.empty()) {
    if (++skipped_rows_ <= kListedSkips) {
      sink_.warnings.push_back(text::at_line(number, std::string(missing) + ", row skipped"));
    }
    return {};
  }
  if (expected_cells_ == 3 && values[2] < 0.0) {
    return bad_line(number, "weight " + text::quote_value(cells.text[2]) + " is negative");
  }
  store(values);
  return {};
}

void ColumnReader::finish() {
  if (skipped_rows_ > kListedSkips) {
    sink_.warnings.push_back(text::counted(skipped_rows_ - kListedSkips, "more row") +
                             " with an empty or NA cell skipped");
  }
}

}  // namespace polylsq::input
