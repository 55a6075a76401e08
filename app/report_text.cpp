// Numbers, cells and JSON as the reports show them.
#include "app/report_text.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "text/message_text.h"

namespace polylsq::app {
namespace {

double without_negative_zero(double value) { return value == 0.0 ? 0.0 : value; }

void drop_negative_zeros(nlohmann::ordered_json& node) {
  if (node.is_number_float() && node.get<double>() == 0.0) node = 0.0;
  if (!node.is_structured()) return;
  for (nlohmann::ordered_json& child : node) drop_negative_zeros(child);
}

}  // namespace

std::string significant(std::optional<double> value, int digits) {
  if (!value) return "undefined";
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, without_negative_zero(*value),
                                    std::chars_format::general, digits);
  return std::string(text, result.ptr);
}

std::string fixed_significant(double value, int digits) {
  char text[64];
  value = without_negative_zero(value);
  // The exponent after rounding to `digits`, as the scientific form shows it.
  const auto scientific = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, digits - 1);
  const std::string_view shown(text, static_cast<std::size_t>(scientific.ptr - text));
  const int exponent = std::stoi(std::string(shown.substr(shown.find('e') + 1)));
  if (exponent < -4 || exponent >= digits) return std::string(shown);
  const auto fixed = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, digits - 1 - exponent);
  return std::string(text, fixed.ptr);
}

std::string exact_text(double value) { return text::shortest_text(without_negative_zero(value)); }

std::string json_text(nlohmann::ordered_json report) {
  drop_negative_zeros(report);
  return report.dump(2) + "\n";
}

std::string padded(std::string_view text, std::size_t width, Align align) {
  std::string out;
  const std::size_t fill = text.size() < width ? width - text.size() : 0;
  if (align == Align::kRight) out.append(fill, ' ');
  out += text;
  if (align == Align::kLeft) out.append(fill, ' ');
  return out;
}

std::string table_row(const std::vector<std::string>& cells, const std::vector<Column>& columns) {
  std::string line;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) line += "  ";
    line += padded(cells[i], columns[i].width, columns[i].align);
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line + "\n";
}

std::string wrapped(const std::vector<std::string>& words, std::size_t width, std::string_view first_indent,
                    std::string_view next_indent) {
  std::string out;
  std::string line(first_indent);
  bool line_has_word = false;
  for (const std::string& word : words) {
    if (line_has_word && line.size() + 1 + word.size() > width) {
      out += line + "\n";
      line = next_indent;
      line_has_word = false;
    }
    if (line_has_word) line += ' ';
    line += word;
    line_has_word = true;
  }
  return out + line + "\n";
}

std::string wrapped(std::string_view text, std::size_t width, std::string_view first_indent,
                    std::string_view next_indent) {
  std::vector<std::string> words;
  for (std::size_t blank = text.find(' '); blank != std::string_view::npos; blank = text.find(' ')) {
    words.emplace_back(text.substr(0, blank));
    text.remove_prefix(blank + 1);
  }
  words.emplace_back(text);
  return wrapped(words, width, first_indent, next_indent);
}

std::string table_text(const TextTable& table, std::size_t width) {
  std::vector<Column> columns;
  for (std::size_t c = 0; c < table.header.size(); ++c) {
    std::size_t widest = table.header[c].size();
    for (const auto& row : table.rows) widest = std::max(widest, row[c].size());
    columns.push_back({widest, table.align[c]});
  }
  const auto key_width = [&] {
    std::size_t used = 0;
    for (std::size_t c = 0; c < table.key_columns; ++c) used += (c > 0 ? 2 : 0) + columns[c].width;
    return used;
  }();
  std::string out;
  for (std::size_t first = table.key_columns; first < columns.size() || first == table.key_columns;) {
    std::vector<std::size_t> block;  // the columns of this block
    for (std::size_t c = 0; c < table.key_columns; ++c) block.push_back(c);
    std::size_t used = key_width;
    std::size_t next = first;
    for (; next < columns.size(); ++next) {
      if (next > first && used + 2 + columns[next].width > width) break;
      used += 2 + columns[next].width;
      block.push_back(next);
    }
    const auto cells_of = [&block](const std::vector<std::string>& row) {
      std::vector<std::string> cells;
      for (const std::size_t c : block) cells.push_back(row[c]);
      return cells;
    };
    std::vector<Column> block_columns;
    for (const std::size_t c : block) block_columns.push_back(columns[c]);
    if (!out.empty()) out += "\n";
    out += table_row(cells_of(table.header), block_columns);
    for (const auto& row : table.rows) out += table_row(cells_of(row), block_columns);
    if (next == first) break;  // nothing but the key columns
    first = next;
  }
  return out;
}

std::string warnings_text(const std::vector<std::string>& warnings) {
  if (warnings.empty()) return {};
  std::string out = "\nWarnings\n";
  for (const std::string& warning : warnings) out += wrapped(warning, kReportWidth, "  ", "    ");
  return out;
}

}  // namespace polylsq::app
