// The legacy data file of data chosen on the command line.
#include "app/check_input.h"

#include <algorithm>
#include <vector>

#include "app/report_text.h"
#include "input/row_cells.h"
#include "text/line_ends.h"

namespace polylsq::app {
namespace {

// Every line of `contents` without its end, the first at index 0.
std::vector<std::string_view> lines_of(std::string_view contents) {
  if (contents.starts_with("\xEF\xBB\xBF")) contents.remove_prefix(3);  // a UTF-8 byte-order mark
  std::vector<std::string_view> lines;
  const char* const end = contents.data() + contents.size();
  const char* start = contents.data();
  for (const char* p = start; p != end;) {
    const std::size_t line_end = text::line_end_length(p, end, true);
    if (line_end == 0) {
      ++p;
      continue;
    }
    lines.emplace_back(start, static_cast<std::size_t>(p - start));
    p += line_end;
    start = p;
  }
  if (start != end) lines.emplace_back(start, static_cast<std::size_t>(end - start));
  return lines;
}

bool is_blank(std::string_view line) {
  return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; });
}

// `contents` with the degree line replaced: the legacy reader takes NDEG from the first
// line that holds a value and ignores the rest of that line.
std::string with_degree(std::string_view contents, int degree) {
  std::size_t start = 0;
  while (start < contents.size()) {
    std::size_t end = contents.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = contents.size();
    if (!is_blank(contents.substr(start, end - start))) {
      return std::string(contents.substr(0, start)) + std::to_string(degree) + std::string(contents.substr(end));
    }
    start = end + text::line_end_length(contents.data() + end, contents.data() + contents.size(), true);
  }
  return std::string(contents);
}

// A cell's number as the legacy reader takes it: a decimal comma written as a point.
std::string legacy_number(std::string_view cell, bool decimal_comma) {
  std::string value(cell);
  if (decimal_comma) std::replace(value.begin(), value.end(), ',', '.');
  return value;
}

}  // namespace

std::string legacy_data_of(const input::DataSet& data, std::string_view contents, int degree) {
  if (data.format == input::DataFormat::kDataFile) return with_degree(contents, degree);
  const input::Series& series = data.series.front();
  const std::vector<std::string_view> lines = lines_of(contents);
  input::CellSplitter splitter;
  if (data.decimal_comma) splitter.use_decimal_comma();
  input::RowCells row;
  std::string legacy = std::to_string(degree) + "\n" + std::to_string(series.x.size()) + "\n";
  const input::ColumnPlan& plan = *data.columns;
  for (std::size_t i = 0; i < series.x.size(); ++i) {
    const std::size_t line = i < series.lines.size() ? series.lines[i] : 0;
    if (line >= 1 && line <= lines.size()) splitter.split(lines[line - 1], row);
    const bool cells_found = line >= 1 && line <= lines.size() && row.cells.size() > std::max(plan.x, plan.y.front());
    // The reader found both cells on that line; the value itself stands in should the
    // line not be found again.
    legacy += cells_found ? legacy_number(row.cells[plan.x], data.decimal_comma) : exact_text(series.x[i]);
    legacy += ' ';
    legacy += cells_found ? legacy_number(row.cells[plan.y.front()], data.decimal_comma) : exact_text(series.y[i]);
    legacy += '\n';
  }
  return legacy;
}

}  // namespace polylsq::app
