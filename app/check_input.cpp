// The legacy data file of data chosen on the command line.
#include "app/check_input.h"

#include <algorithm>
#include <vector>

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

std::string point_decimal(std::string_view cell) {
  std::string value(cell);
  std::replace(value.begin(), value.end(), ',', '.');
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
  for (const std::size_t line : series.lines) {
    splitter.split(lines[line - 1], row);
    legacy += point_decimal(row.cells[data.columns->x]) + " " + point_decimal(row.cells[data.columns->y.front()]) +
              "\n";
  }
  return legacy;
}

}  // namespace polylsq::app
