// The legacy figures against the accurate fit: layout, marks, verdict, text and JSON.
#include "app/check_report.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/fit_report.h"
#include "recio/edit.h"

namespace polylsq::app {
namespace {

// The result file's fields: B(1..6) in F10.3, R-squared in F12.4.
constexpr int kCoefficientWidth = 10;
constexpr int kCoefficientDecimals = 3;
constexpr int kRSquaredWidth = 12;
constexpr int kRSquaredDecimals = 4;
constexpr std::size_t kFigures = kLegacyCoefficients + 1;  // and R-squared

// A ".000" hides a term that moves the fit by more than this share of the range of y.
constexpr double kHiddenTermShare = 0.001;

constexpr int kFullDigits = 15;
constexpr int kShortDigits = 6;  // in the verdict

bool is_asterisks(const std::string& field) {
  return field.find_first_not_of('*') == std::string::npos;
}

bool is_undefined_text(const std::string& field) {  // "1#QNAN......", "1#INF....."
  return field.find("1#") != std::string::npos;
}

// The value a field shows; only for fields that hold digits.
double shown_value(const std::string& field) { return std::strtod(field.c_str(), nullptr); }

std::string scientific(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1e", value);
  return text;
}

// Why the legacy field contradicts the accurate one, if it does.
std::string contradiction(const std::string& legacy, const std::string& accurate,
                          std::optional<double> accurate_value, int decimals) {
  if (is_asterisks(legacy)) return "the field is too narrow for the value";
  const bool legacy_undefined = is_undefined_text(legacy);
  if (legacy_undefined || !accurate_value) {
    if (legacy_undefined && !accurate_value) return {};
    return legacy_undefined ? "the legacy run gives no value; the accurate value is defined"
                            : "the accurate value is undefined";
  }
  if (is_asterisks(accurate)) return {};  // too wide either way: the digits say nothing
  const double unit = std::pow(10.0, -decimals);
  const double units = std::round(std::fabs(shown_value(legacy) - shown_value(accurate)) / unit);
  if (units <= 1) return {};
  char text[96];
  std::snprintf(text, sizeof text, "differs by %.0f units in its last printed digit", units);
  return text;
}

// For a coefficient printed as zero: why its term matters over the data, if it does.
std::string hidden_term(double coefficient, int power, const DataExtent& extent) {
  const double reach = std::fmax(std::fabs(extent.x_low), std::fabs(extent.x_high));
  const double moves = std::fabs(coefficient) * std::pow(reach, power);
  const double allowed = kHiddenTermShare * (extent.y_high - extent.y_low);
  if (!(moves > allowed)) return {};
  return "printed as zero, but its term moves the fit by up to " + scientific(moves) +
         " over the data (0.1% of the range of y is " + scientific(allowed) + ")";
}

FigureComparison compare_field(std::string name, float legacy, std::optional<double> accurate,
                               int w, int d) {
  FigureComparison figure;
  figure.name = std::move(name);
  figure.legacy_text = recio::edit_F(legacy, w, d);
  figure.accurate_value = accurate;
  figure.accurate_text = accurate ? legacy_style_field(*accurate, w, d) : "undefined";
  figure.reason = contradiction(figure.legacy_text, figure.accurate_text, accurate, d);
  return figure;
}

std::string padded(const std::string& text, std::size_t width, bool to_right) {
  if (text.size() >= width) return text;
  const std::string fill(width - text.size(), ' ');
  return to_right ? fill + text : text + fill;
}

// Reads B(1) .. B(6) back from their fields and compares their polynomial with the fit
// into report.curve; or leaves it undefined and says which field holds no number.
std::string printed_curve_of(CheckReport& report, const accurate::PolynomialFit& fit,
                             const DataExtent& extent) {
  std::vector<double> printed;
  for (int k = 0; k < kLegacyCoefficients; ++k) {
    const FigureComparison& figure = report.figures[static_cast<std::size_t>(k)];
    const std::optional<double> value = read_back(figure.legacy_text);
    if (!value) return figure.name + " prints as \"" + figure.legacy_text + "\"";
    printed.push_back(*value);
  }
  report.curve =
      compare_printed_curve(printed, fit, extent.x_low, extent.x_high, extent.y_high - extent.y_low);
  return {};
}

// "0.20752230378317", or "beyond the double range" for an infinity.
std::string value_text(double value, int digits) {
  return std::isfinite(value) ? significant(value, digits) : "beyond the double range";
}

std::string curve_text(const CheckReport& report) {
  if (!report.curve) return {};
  const CurveComparison& curve = *report.curve;
  std::string out = "\nCurve of the printed coefficients against the accurate fit\n";
  out += "  largest difference  " + value_text(curve.max_difference, kFullDigits) + " at x = " +
         significant(curve.at_x, kFullDigits) + "\n";
  out += "  result file gives   " + value_text(curve.printed_value, kFullDigits) + "\n";
  out += "  accurate fit gives  " + value_text(curve.accurate_value, kFullDigits) + "\n";
  out += "  limit               " + value_text(curve.limit, kFullDigits);
  if (curve.marked) out += "  * more than one residual SD and 1% of the range of y";
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

}  // namespace

std::string legacy_style_field(double value, int w, int d) {
  if (!std::isfinite(value)) return std::string(static_cast<std::size_t>(w), '*');
  char digits[512];
  std::snprintf(digits, sizeof digits, "%.*f", d, value);
  std::string text = digits;
  const bool negative = text[0] == '-';
  if (negative) text.erase(0, 1);
  if (text.rfind("0.", 0) == 0) text.erase(0, 1);  // 0.5 -> ".500"
  if (negative && text.find_first_of("123456789") != std::string::npos) text.insert(0, "-");
  if (text.size() > static_cast<std::size_t>(w)) return std::string(static_cast<std::size_t>(w), '*');
  return padded(text, static_cast<std::size_t>(w), true);
}

CheckReport compare_with_legacy(const LegacyResults& legacy, const accurate::PolynomialFit& fit,
                                const DataExtent& extent) {
  CheckReport report;
  for (int k = 0; k < kLegacyCoefficients; ++k) {
    const double coefficient = k <= fit.degree ? fit.coefficients[static_cast<std::size_t>(k)] : 0.0;
    FigureComparison figure = compare_field("B(" + std::to_string(k + 1) + ")", legacy.coefficients[k],
                                            coefficient, kCoefficientWidth, kCoefficientDecimals);
    const bool shows_zero = !is_asterisks(figure.legacy_text) && !is_undefined_text(figure.legacy_text) &&
                            figure.legacy_text.find_first_of("123456789") == std::string::npos;
    if (figure.reason.empty() && shows_zero && k <= fit.degree) {
      figure.reason = hidden_term(coefficient, k, extent);
    }
    report.figures.push_back(std::move(figure));
  }
  const std::optional<double> percent =
      fit.r_squared ? std::optional<double>(*fit.r_squared * 100.0) : std::nullopt;
  report.figures.push_back(compare_field("R-squared", legacy.r_squared_percent, percent,
                                         kRSquaredWidth, kRSquaredDecimals));

  std::string marked_names;
  for (FigureComparison& figure : report.figures) {
    figure.marked = !figure.reason.empty();
    if (!figure.marked) continue;
    ++report.marked_count;
    marked_names += (marked_names.empty() ? "" : ", ") + figure.name;
  }
  const std::string unreadable = printed_curve_of(report, fit, extent);
  report.verdict =
      report.marked_count == 0
          ? "every figure of the legacy result agrees with the accurate fit to its printed digits"
          : std::to_string(report.marked_count) + " of " + std::to_string(kFigures) +
                " legacy figures are contradicted by the accurate fit: " + marked_names;
  if (!unreadable.empty()) {
    report.verdict += "; the polynomial of the printed coefficients is not evaluated: " + unreadable;
  } else if (report.curve->marked) {
    const CurveComparison& curve = *report.curve;
    report.verdict += std::string(report.marked_count == 0 ? ", but" : "; and") +
                      " the polynomial of the printed coefficients is " +
                      value_text(curve.max_difference, kShortDigits) + " off the accurate fit at x = " +
                      significant(curve.at_x, kShortDigits) + " (limit " +
                      value_text(curve.limit, kShortDigits) + ")";
  }
  return report;
}

std::string check_text(const CheckReport& report) {
  std::string out = "figure      legacy text  accurate text  accurate value\n";
  for (const FigureComparison& figure : report.figures) {
    std::string line = padded(figure.name, 9, false) + "  " + padded(figure.legacy_text, 12, true) +
                       "   " + padded(figure.accurate_text, 12, true) + "  " +
                       padded(significant(figure.accurate_value, kFullDigits), 22, false);
    if (figure.marked) line += "  * " + figure.reason;
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line + "\n";
  }
  out += curve_text(report);
  out += "\nVerdict: " + report.verdict + ".\n";
  if (!report.warnings.empty()) {
    out += "\nWarnings\n";
    for (const std::string& warning : report.warnings) out += "  " + warning + "\n";
  }
  return out;
}

std::string check_json(const CheckReport& report, const std::vector<std::string>& legacy_messages) {
  nlohmann::ordered_json figures = nlohmann::ordered_json::array();
  for (const FigureComparison& figure : report.figures) {
    figures.push_back(nlohmann::ordered_json{
        {"name", figure.name},
        {"legacy_text", figure.legacy_text},
        {"accurate_text", figure.accurate_text},
        {"accurate_value", figure.accurate_value ? nlohmann::ordered_json(*figure.accurate_value)
                                                 : nlohmann::ordered_json(nullptr)},
        {"marked", figure.marked},
        {"reason", figure.marked ? nlohmann::ordered_json(figure.reason) : nlohmann::ordered_json(nullptr)},
    });
  }
  const nlohmann::ordered_json out{{"figures", figures},
                                   {"marked", report.marked_count},
                                   {"curve", curve_json(report.curve)},
                                   {"verdict", report.verdict},
                                   {"legacy_messages", legacy_messages},
                                   {"warnings", report.warnings}};
  return json_text(out);
}

}  // namespace polylsq::app
