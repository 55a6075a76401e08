// The legacy figures against the accurate fit: both printed by the legacy F editing, the
// numbers the fields show compared in units of the last printed digit.
#include "app/check_comparison.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "recio/edit.h"

namespace polylsq::app {
namespace {

// A ".000" hides a term that moves the fit by more than this share of the range of y.
constexpr double kHiddenTermShare = 0.001;

bool is_asterisks(const std::string& field) {
  return field.find_first_not_of('*') == std::string::npos;
}

std::string scientific(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1e", value);
  return text;
}

// Why the legacy figure contradicts the accurate one, if it does.
std::string contradiction(float legacy, std::optional<double> accurate, const FigureComparison& figure,
                          FieldFormat field) {
  if (is_asterisks(figure.legacy_text)) return "the field is too narrow for the value";
  const bool legacy_undefined = !std::isfinite(legacy);
  const bool accurate_undefined = !accurate || !std::isfinite(*accurate);
  if (legacy_undefined || accurate_undefined) {
    if (legacy_undefined && accurate_undefined) return {};
    return legacy_undefined ? "the legacy run gives no value; the accurate value is defined"
                            : "the accurate value is undefined";
  }
  if (is_asterisks(figure.accurate_text)) return {};  // too wide either way: the digits say nothing
  const std::optional<std::int64_t> legacy_units = recio::shown_in_F(legacy, field.d);
  const std::optional<std::int64_t> accurate_units = recio::shown_in_F(*accurate, field.d);
  if (!legacy_units || !accurate_units) return {};  // wider than any field: not compared
  const double units = std::fabs(static_cast<double>(*legacy_units) - static_cast<double>(*accurate_units));
  if (units <= 1) return {};
  return "differs by " + std::to_string(static_cast<std::int64_t>(units)) + " units in its last printed digit";
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

// Reads B(1) .. B(6) back from their fields and compares their polynomial with the fit;
// or leaves the curve undefined and names the field that holds no number.
void compare_curve(CheckComparison& comparison, const accurate::PolynomialFit& fit, const DataExtent& extent) {
  std::vector<double> printed;
  for (int k = 0; k < kLegacyCoefficients; ++k) {
    const FigureComparison& figure = comparison.figures[static_cast<std::size_t>(k)];
    const std::optional<double> value = read_back(figure.legacy_text);
    if (!value) {
      comparison.curve_not_evaluated = figure.name + " prints as \"" + figure.legacy_text + "\"";
      return;
    }
    printed.push_back(*value);
  }
  comparison.curve =
      compare_printed_curve(printed, fit, extent.x_low, extent.x_high, extent.y_high - extent.y_low);
}

}  // namespace

FigureComparison compare_figure(std::string name, float legacy, std::optional<double> accurate,
                                FieldFormat field) {
  FigureComparison figure;
  figure.name = std::move(name);
  figure.legacy_text = recio::edit_F(legacy, field.w, field.d);
  figure.accurate_value = accurate;
  figure.accurate_text = accurate ? recio::edit_F(*accurate, field.w, field.d) : "undefined";
  figure.reason = contradiction(legacy, accurate, figure, field);
  figure.marked = !figure.reason.empty();
  return figure;
}

CheckComparison compare_with_legacy(const LegacyResults& legacy, const accurate::PolynomialFit& fit,
                                    const DataExtent& extent) {
  CheckComparison comparison;
  for (int k = 0; k < kLegacyCoefficients; ++k) {
    const double coefficient = k <= fit.degree ? fit.coefficients[static_cast<std::size_t>(k)] : 0.0;
    FigureComparison figure =
        compare_figure("B(" + std::to_string(k + 1) + ")", legacy.coefficients[k], coefficient, kCoefficientField);
    const bool shows_zero = recio::shown_in_F(legacy.coefficients[k], kCoefficientField.d) == 0;
    if (!figure.marked && shows_zero && k <= fit.degree) {
      figure.reason = hidden_term(coefficient, k, extent);
      figure.marked = !figure.reason.empty();
    }
    comparison.figures.push_back(std::move(figure));
  }
  const std::optional<double> percent =
      fit.r_squared ? std::optional<double>(*fit.r_squared * 100.0) : std::nullopt;
  comparison.figures.push_back(compare_figure("R-squared", legacy.r_squared_percent, percent, kRSquaredField));
  for (const FigureComparison& figure : comparison.figures) comparison.marked_count += figure.marked ? 1 : 0;
  compare_curve(comparison, fit, extent);
  return comparison;
}

}  // namespace polylsq::app
