// Plain columns: the first row resolves the roles to column indices; each later row is
// tried first as plain numbers in one pass, then split into cells and every chosen cell
// converted once.
#include "input/column_reader.h"

#include <algorithm>
#include <limits>

#include "input/number_text.h"
#include "text/line_ends.h"
#include "text/message_text.h"

namespace polylsq::input {
namespace {

// Rows skipped with a warning of their own; the rest are counted in one warning.
constexpr std::size_t kListedSkips = 20;

Error bad_line(std::size_t number, std::string_view what) {
  return {ErrorKind::kBadData, text::at_line(number, what)};
}

// "Height", "Height and Volume", "A, B and C".
std::string joined_names(const std::vector<std::string>& names) {
  std::string out;
  for (std::size_t i = 0; i < names.size(); ++i) {
    out += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
  }
  return out;
}

// A weight cell that is missing (is_missing_cell): never skipped, the row's weight is not
// known. NaN in any case gets the message of any other value that is not a number.
Error missing_weight(std::size_t number, std::string_view cell) {
  if (cell.empty()) return bad_line(number, "missing weight (empty cell)");
  const bool not_a_number = cell.size() == 3 && cell[1] != '/';  // NaN, not N/A
  if (not_a_number) return bad_line(number, text::quote_value(cell) + " is not a number");
  return bad_line(number, "missing weight (" + text::quote_value(cell) + ")");
}

}  // namespace

ColumnReader::ColumnReader(ColumnRoles roles, std::optional<std::size_t> file_bytes,
                           bool source_lines, std::vector<std::string>& warnings)
    : roles_(std::move(roles)),
      file_bytes_(file_bytes),
      source_lines_(source_lines),
      warnings_(warnings),
      series_(std::max<std::size_t>(roles_.y.size(), 1)),
      plain_classes_(make_field_classes(",;", "#")) {}

// "x","y" or time;level: no cell is a number, and some cell is not missing.
bool ColumnReader::is_header(const RowCells& row) const {
  bool named = false;
  for (const std::string_view cell : row.cells) {
    double ignored = 0.0;
    if (parse_real(cell, ignored, decimal_comma_) != Conversion::kMalformed) return false;
    if (!is_missing_cell(cell)) named = true;
  }
  return named;
}

// The first line that is neither blank nor a comment, split into row_: fixes the decimal
// mark; true when it is a header, whose names are then checked.
Expected<bool> ColumnReader::start(std::size_t number, std::string_view line) {
  started_ = true;
  if (line.substr(0, line.find('#')).find(';') != std::string_view::npos) {
    decimal_comma_ = true;
    splitter_.use_decimal_comma();
    plain_classes_ = make_field_classes(";", "#");
  }
  splitter_.split(line, row_);
  if (!is_header(row_)) return false;
  header_ = header_of(row_, number);
  if (const Expected<void> names = check_names(roles_, *header_); !names) return names.error();
  return true;
}

// The plan from the first row of values, left in row_.
Expected<void> ColumnReader::plan(std::size_t number) {
  Expected<ColumnPlan> plan = plan_columns(roles_, header_, row_, number);
  if (!plan) return plan.error();
  plan_ = std::move(*plan);
  if (plan_->unused_columns) warnings_.push_back(*plan_->unused_columns);
  prepare_storage();
  return {};
}

void ColumnReader::prepare_storage() {
  const ColumnPlan& plan = *plan_;
  slots_.assign(plan.columns, -1);
  slots_[plan.x] = 0;
  for (std::size_t k = 0; k < plan.y.size(); ++k) slots_[plan.y[k]] = static_cast<int>(1 + k);
  value_count_ = 1 + plan.y.size();
  if (plan.w) {
    weight_slot_ = value_count_++;
    slots_[*plan.w] = static_cast<int>(weight_slot_);
  }
  row_values_.assign(value_count_, 0.0);
  if (plan.y.size() == 1 && plan.exactly_roles && !plan.trailing_delimiter && !source_lines_) {
    simple_cells_ = value_count_;
  }
  if (!file_bytes_) return;
  // a row stored takes at least a delimiter between cells, a byte for each value it
  // stores (x, a y, the weight) and a line end, the last one none
  const std::size_t stored = plan.y.empty() ? 1 : plan.w ? 3 : 2;
  const std::size_t most = (*file_bytes_ + 1) / (plan.columns + stored);
  for (SeriesColumns& series : series_) {
    series.x.reserve(most);
    if (!plan.y.empty()) series.y.reserve(most);
    if (plan.w) series.w.reserve(most);
    if (source_lines_) series.lines.reserve(most);
  }
}

// "-3.14159 27.18282", "1.5,2.25 # note": plain numbers in every chosen cell, something in
// every other, the weight not negative. Returns the position after the row's cells and the
// blanks after them, with `values` set; nullptr for any other row, which split() and
// parse_real() then read.
const char* ColumnReader::scan_plain_row(const char* p, const char* end, double* values) const {
  p = simple_cells_ != 0 ? scan_plain_fields(p, end, simple_cells_, values, plain_classes_)
                         : scan_chosen_fields(p, end, values);
  if (p == nullptr || (plan_->w && values[weight_slot_] < 0.0)) return nullptr;
  return p;
}

const char* ColumnReader::scan_chosen_fields(const char* p, const char* end,
                                             double* values) const {
  const auto skip_blanks = [&] {
    while (p != end && class_at(p) == FieldClass::kBlank) ++p;
  };
  const auto skip_delimiter = [&] {
    skip_blanks();
    if (p != end && class_at(p) == FieldClass::kDelimiter) {
      ++p;
      skip_blanks();
    }
  };
  for (std::size_t column = 0; column < plan_->columns; ++column) {
    if (column > 0) skip_delimiter();
    skip_blanks();
    if (slots_[column] < 0) {
      const char* const start = p;
      while (p != end && class_at(p) == FieldClass::kField) ++p;
      if (p == start || *start == '"') return nullptr;  // empty or quoted: split() decides
      continue;
    }
    p = scan_plain_real(p, end, values[slots_[column]]);
    if (p == nullptr || (p != end && class_at(p) == FieldClass::kField)) return nullptr;
  }
  if (plan_->trailing_delimiter) {
    skip_delimiter();
  } else {
    skip_blanks();
  }
  return p;
}

void ColumnReader::store_one(std::size_t k, const double* values, std::size_t line) {
  SeriesColumns& series = series_[k];
  series.x.push(values[0]);
  if (!plan_->y.empty()) series.y.push(values[1 + k]);
  if (plan_->w) series.w.push(values[weight_slot_]);
  if (source_lines_) series.lines.push(line);
}

void ColumnReader::store(const double* values, std::size_t line) {
  for (std::size_t k = 0; k < series_.size(); ++k) store_one(k, values, line);
}

// The lane of plain x y (w) rows, as fast as the reader goes.
std::size_t ColumnReader::take_two_or_three(std::string_view bytes, std::size_t max_line_bytes,
                                            bool two_threads, std::size_t& lines_taken) {
  const PlainRowForm form{simple_cells_, &plain_classes_, max_line_bytes, simple_cells_ == 3};
  SeriesColumns& series = series_.front();
  const PlainRowTarget target{{&series.x, &series.y, &series.w}};
  const std::size_t most = std::numeric_limits<std::size_t>::max();
  const PlainRun run = two_threads ? scan_plain_rows_in_two(bytes, form, most, target, second_reader_)
                                   : scan_plain_rows(bytes, form, most, target);
  lines_taken += run.rows;
  return run.bytes;
}

std::size_t ColumnReader::take_plain_rows(std::string_view bytes, std::size_t max_line_bytes,
                                          std::size_t first_line, std::size_t& lines_taken,
                                          bool two_threads) {
  if (!plan_) return 0;
  if (simple_cells_ != 0) {
    return take_two_or_three(bytes, max_line_bytes, two_threads, lines_taken);
  }
  const char* p = bytes.data();
  const char* const end = p + bytes.size();
  for (std::size_t line = first_line;; ++line) {
    const char* const row_end = scan_plain_row(p, end, row_values_.data());
    if (row_end == nullptr || static_cast<std::size_t>(row_end - p) > max_line_bytes) break;
    const std::size_t line_end = text::line_end_length(row_end, end);
    if (line_end == 0) break;
    store(row_values_.data(), line);
    p = row_end + line_end;
    ++lines_taken;
  }
  return static_cast<std::size_t>(p - bytes.data());
}

// The chosen cells of row_ in `values` (x, each y, the weight), `missing` marking the x
// and y cells that are missing. False when the row has no cells.
Expected<bool> ColumnReader::read_cells(std::size_t number, double* values,
                                        std::vector<bool>& missing) const {
  const ColumnPlan& plan = *plan_;
  std::size_t count = row_.cells.size();
  if (count == 0) return false;
  if (plan.trailing_delimiter && row_.ends_with_delimiter && count == plan.columns + 1) --count;
  if (count != plan.columns) {
    return bad_line(number, text::counted(count, "value") + ", expected " +
                                std::to_string(plan.columns) + plan.count_note);
  }
  missing.assign(1 + plan.y.size(), false);
  for (std::size_t column = 0; column < plan.columns; ++column) {
    const int slot = slots_[column];
    if (slot < 0) continue;
    const std::string_view cell = row_.cells[column];
    const bool weight = plan.w && static_cast<std::size_t>(slot) == weight_slot_;
    if (is_missing_cell(cell)) {
      if (weight) return missing_weight(number, cell);
      missing[static_cast<std::size_t>(slot)] = true;
      continue;
    }
    const Conversion result = parse_real(cell, values[slot], decimal_comma_);
    if (result == Conversion::kMalformed) {
      return bad_line(number, text::quote_value(cell) + " is not a number");
    }
    if (result == Conversion::kOutOfRange) {
      return bad_line(number, text::quote_value(cell) + " is beyond the double range");
    }
    if (weight && values[slot] < 0.0) {
      return bad_line(number, "weight " + text::quote_value(cell) + " is negative");
    }
  }
  return true;
}

// A row missing the cells marked in `missing` (x first, then the y of each series), its
// values in row_values_: skipped for every series when x is missing, else for those whose
// y is, with a warning; stored in the others.
void ColumnReader::take_partial_row(std::size_t number, const std::vector<bool>& missing) {
  const ColumnPlan& plan = *plan_;
  std::vector<std::string> skipped_for;
  std::string_view first_missing;
  bool any = false;
  for (std::size_t slot = 0; slot < missing.size(); ++slot) {
    if (!missing[slot]) continue;
    const std::size_t column = slot == 0 ? plan.x : plan.y[slot - 1];
    if (!any) first_missing = row_.cells[column];
    any = true;
  }
  bool all_skipped = true;
  for (std::size_t k = 0; k < series_.size(); ++k) {
    if (!missing[0] && (plan.y.empty() || !missing[1 + k])) {
      store_one(k, row_values_.data(), number);
      all_skipped = false;
      continue;
    }
    ++series_[k].skipped;
    if (!plan.y.empty()) skipped_for.push_back(plan.y_names[k]);
  }
  if (++skipped_rows_ > kListedSkips) return;
  std::string warning = missing_cell_reason(first_missing) + ", row skipped";
  if (!all_skipped) warning += " for " + joined_names(skipped_for);
  warnings_.push_back(text::at_line(number, warning));
}

Expected<void> ColumnReader::take_line(std::size_t number, std::string_view line) {
  if (plan_) {
    const char* const end = line.data() + line.size();
    const char* const row_end = scan_plain_row(line.data(), end, row_values_.data());
    if (row_end != nullptr && (row_end == end || *row_end == '#')) {
      store(row_values_.data(), number);
      return {};
    }
    splitter_.split(line, row_);
  } else {
    if (started_) {
      splitter_.split(line, row_);
      if (row_.cells.empty()) return {};
    } else {
      const std::size_t first = line.find_first_not_of(" \t");
      if (first == std::string_view::npos || line[first] == '#') return {};
      const Expected<bool> header = start(number, line);
      if (!header) return header.error();
      if (*header) return {};
    }
    if (const Expected<void> planned = plan(number); !planned) return planned;
  }
  std::vector<bool> missing;
  const Expected<bool> read = read_cells(number, row_values_.data(), missing);
  if (!read) return read.error();
  if (!*read) return {};
  if (std::find(missing.begin(), missing.end(), true) != missing.end()) {
    take_partial_row(number, missing);
    return {};
  }
  store(row_values_.data(), number);
  return {};
}

void ColumnReader::finish() {
  if (skipped_rows_ > kListedSkips) {
    warnings_.push_back(text::counted(skipped_rows_ - kListedSkips, "more row") +
                        " with an empty or NA cell skipped");
  }
}

std::vector<Series> ColumnReader::take_series() {
  std::vector<Series> taken(series_.size());
  for (std::size_t k = 0; k < series_.size(); ++k) {
    Series& series = taken[k];
    if (plan_ && k < plan_->y.size()) {
      series.name = plan_->y_names[k];
      series.header = plan_->y_headers[k];
    }
    series.x = series_[k].x.take();
    series.y = series_[k].y.take();
    series.w = series_[k].w.take();
    series.lines = series_[k].lines.take();
  }
  return taken;
}

Expected<void> read_table(LineSource& lines, std::span<const HeldLine> held,
                          ColumnReader& reader) {
  for (const HeldLine& line : held) {
    if (const Expected<void> taken = reader.take_line(line.number, line.text); !taken) {
      return taken;
    }
  }
  std::string_view text;
  for (;;) {
    std::size_t plain_lines = 0;
    const std::size_t plain_bytes =
        reader.take_plain_rows(lines.unread(), lines.max_line_bytes(), lines.line_number() + 1,
                               plain_lines, lines.two_threads());
    lines.skip(plain_bytes, plain_lines);
    const LineSource::Status status = lines.next(text);
    if (status == LineSource::Status::kEnd) break;
    if (status == LineSource::Status::kFailed) return lines.failure();
    if (const Expected<void> taken = reader.take_line(lines.line_number(), text); !taken) {
      return taken;
    }
  }
  reader.finish();
  return {};
}

}  // namespace polylsq::input
