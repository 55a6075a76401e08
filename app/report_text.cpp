// Numbers, cells and JSON as the reports show them.
#include "app/report_text.h"

#include <charconv>

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

std::string warnings_text(const std::vector<std::string>& warnings) {
  if (warnings.empty()) return {};
  std::string out = "\nWarnings\n";
  for (const std::string& warning : warnings) out += "  " + warning + "\n";
  return out;
}

}  // namespace polylsq::app
