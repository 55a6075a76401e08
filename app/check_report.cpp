// The comparison of `check` as a text table and as JSON.
#include "app/check_report.h"

#include <nlohmann/json.hpp>

#include <cmath>

#include "app/report_text.h"

namespace polylsq::app {
namespace {

constexpr std::size_t kFigures = kLegacyCoefficients + 1;  // and R-squared
constexpr int kFullDigits = 15;
constexpr int kShortDigits = 6;  // in the verdict

// figure, legacy text, accurate text (three blanks before it), accurate value, mark
const std::vector<Column> kFigureColumns{{9, Align::kLeft}, {12}, {13}, {22, Align::kLeft}, {0, Align::kLeft}};

// "0.20752230378317", or "beyond the double range" for an infinity.
std::string value_text(double value, int digits) {
  return std::isfinite(value) ? significant(value, digits) : "beyond the double range";
}

std::string curve_text(const std::optional<CurveComparison>& curve) {
  if (!curve) return {};
  std::string out = "\nCurve of the printed coefficients against the accurate fit\n";
  out += "  largest difference  " + value_text(curve->max_difference, kFullDigits) + " at x = " +
         significant(curve->at_x, kFullDigits) + "\n";
  out += "  result file gives   " + value_text(curve->printed_value, kFullDigits) + "\n";
  out += "  accurate fit gives  " + value_text(curve->accurate_value, kFullDigits) + "\n";
  out += "  limit               " + value_text(curve->limit, kFullDigits);
  if (curve->marked) out += "  * more than one residual SD and 1% of the range of y";
  return out + "\n";
}

nlohmann::ordered_json number_or_null(double value) {
  return std::isfinite(value) ? nlohmann::ordered_json(value) : nlohmann::ordered_json(nullptr);
}

nlohmann::ordered_json curve_json(const std::optional<CurveComparison>& curve) {
  if (!curve) return nullptr;
  return nlohmann::ordered_json{{"max_difference", number_or_null(curve->max_difference)},
                                {"at_x", curve->at_x},
                                {"printed_value", number_or_null(curve->printed_value)},
                                {"accurate_value", number_or_null(curve->accurate_value)},
                                {"limit", number_or_null(curve->limit)},
                                {"marked", curve->marked}};
}

nlohmann::ordered_json figure_json(const FigureComparison& figure) {
  return nlohmann::ordered_json{
      {"name", figure.name},
      {"legacy_text", figure.legacy_text},
      {"accurate_text", figure.accurate_text},
      {"accurate_value", figure.accurate_value ? nlohmann::ordered_json(*figure.accurate_value)
                                               : nlohmann::ordered_json(nullptr)},
      {"marked", figure.marked},
      {"reason", figure.marked ? nlohmann::ordered_json(figure.reason) : nlohmann::ordered_json(nullptr)},
  };
}

}  // namespace

std::string check_verdict(const CheckComparison& comparison) {
  std::string marked_names;
  for (const FigureComparison& figure : comparison.figures) {
    if (figure.marked) marked_names += (marked_names.empty() ? "" : ", ") + figure.name;
  }
  std::string verdict =
      comparison.marked_count == 0
          ? "every figure of the legacy result agrees with the accurate fit to its printed digits"
          : std::to_string(comparison.marked_count) + " of " + std::to_string(kFigures) +
                " legacy figures are contradicted by the accurate fit: " + marked_names;
  if (!comparison.curve) {
    verdict += "; the polynomial of the printed coefficients is not evaluated: " + comparison.curve_not_evaluated;
  } else if (comparison.curve->marked) {
    const CurveComparison& curve = *comparison.curve;
    verdict += std::string(comparison.marked_count == 0 ? ", but" : "; and") +
               " the polynomial of the printed coefficients is " + value_text(curve.max_difference, kShortDigits) +
               " off the accurate fit at x = " + significant(curve.at_x, kShortDigits) + " (limit " +
               value_text(curve.limit, kShortDigits) + ")";
  }
  return verdict;
}

std::string check_text(const CheckComparison& comparison, const std::vector<std::string>& warnings) {
  std::string out = table_row({"figure", "legacy text", "accurate text", "accurate value", ""}, kFigureColumns);
  for (const FigureComparison& figure : comparison.figures) {
    out += table_row({figure.name, figure.legacy_text, figure.accurate_text,
                      significant(figure.accurate_value, kFullDigits), figure.marked ? "* " + figure.reason : ""},
                     kFigureColumns);
  }
  out += curve_text(comparison.curve);
  out += "\nVerdict: " + check_verdict(comparison) + ".\n";
  return out + warnings_text(warnings);
}

std::string check_json(const CheckComparison& comparison, const std::vector<std::string>& legacy_messages,
                       const std::vector<std::string>& warnings) {
  nlohmann::ordered_json figures = nlohmann::ordered_json::array();
  for (const FigureComparison& figure : comparison.figures) figures.push_back(figure_json(figure));
  const nlohmann::ordered_json out{{"figures", figures},
                                   {"marked", comparison.marked_count},
                                   {"curve", curve_json(comparison.curve)},
                                   {"verdict", check_verdict(comparison)},
                                   {"legacy_messages", legacy_messages},
                                   {"warnings", warnings}};
  return json_text(out);
}

}  // namespace polylsq::app
