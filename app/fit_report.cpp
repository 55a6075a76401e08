// The text and JSON reports of an accurate fit.
#include "app/fit_report.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>

#include "app/report_text.h"

namespace polylsq::app {
namespace {

constexpr int kCoefficientDigits = 15;  // a double's coefficient, to read back nearly whole
constexpr int kStatisticDigits = 12;    // at least the 10 significant digits promised

const std::vector<Column> kCoefficientColumns{{5}, {22}, {19}, {19}, {19}};
const std::vector<Column> kAnovaColumns{{10, Align::kLeft}, {12}, {22}, {22}, {19}, {19}};
const std::vector<Column> kPredictionColumns{{19}, {19}, {19}, {41}, {41}};

std::string count(std::int64_t value) { return std::to_string(value); }

nlohmann::ordered_json number_or_null(std::optional<double> value) {
  return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

nlohmann::ordered_json numbers_or_nulls(const std::vector<std::optional<double>>& values) {
  nlohmann::ordered_json array = nlohmann::ordered_json::array();
  for (const std::optional<double>& v : values) array.push_back(number_or_null(v));
  return array;
}

// "[low, high]" or "undefined".
std::string interval_text(const std::optional<accurate::Interval>& interval) {
  if (!interval) return "undefined";
  return "[" + significant(interval->lower, kStatisticDigits) + ", " +
         significant(interval->upper, kStatisticDigits) + "]";
}

nlohmann::ordered_json interval_json(const std::optional<accurate::Interval>& interval) {
  if (!interval) return nullptr;
  return nlohmann::ordered_json::array({interval->lower, interval->upper});
}

std::vector<std::string> all_warnings(const accurate::PolynomialFit& fit, const FitSource& source) {
  std::vector<std::string> warnings = source.warnings;
  warnings.insert(warnings.end(), fit.warnings.begin(), fit.warnings.end());
  return warnings;
}

// The heading and the table of the coefficients.
std::string coefficients_text(const accurate::PolynomialFit& fit, const FitSource& source) {
  std::string out = "Polynomial fit of degree " + std::to_string(fit.degree) + " to " +
                    count(fit.n) + " observations (" + source.name + ", " + source.format +
                    (fit.weighted ? ", weighted" : "") + ")\n\n";
  out += table_row({"power", "coefficient", "standard error", "t value", "Pr(>|t|)"}, kCoefficientColumns);
  for (std::size_t k = 0; k < fit.coefficients.size(); ++k) {
    out += table_row({std::to_string(k), significant(fit.coefficients[k], kCoefficientDigits),
                      significant(fit.standard_errors[k], kStatisticDigits),
                      significant(fit.t_values[k], kStatisticDigits),
                      significant(fit.p_values[k], kStatisticDigits)},
                     kCoefficientColumns);
  }
  return out;
}

// R-squared to the observations, then the analysis of variance.
std::string summary_text(const accurate::PolynomialFit& fit) {
  const auto& anova = fit.anova;
  std::string out = "\n";
  out += "R-squared            " + significant(fit.r_squared, kCoefficientDigits) + "\n";
  out += "Adjusted R-squared   " + significant(fit.adjusted_r_squared, kCoefficientDigits) + "\n";
  out += "Residual SD          " + significant(fit.residual_sd, kStatisticDigits) + " on " +
         count(anova.error_df) + " degrees of freedom\n";
  out += "Observations         " + count(fit.n);
  if (fit.zero_weight_count > 0) out += " (and " + count(fit.zero_weight_count) + " of weight 0, not used)";
  out += "\n\nAnalysis of variance\n";
  out += table_row({"source", "df", "sum of squares", "mean square", "F", "Pr(>F)"}, kAnovaColumns);
  out += table_row({"regression", count(anova.regression_df),
                    significant(anova.regression_sum_of_squares, kStatisticDigits),
                    significant(anova.regression_mean_square, kStatisticDigits),
                    significant(anova.f_value, kStatisticDigits),
                    significant(anova.f_p_value, kStatisticDigits)},
                   kAnovaColumns);
  out += table_row({"error", count(anova.error_df), significant(anova.error_sum_of_squares, kStatisticDigits),
                    significant(anova.error_mean_square, kStatisticDigits), "", ""},
                   kAnovaColumns);
  out += table_row({"total", count(anova.total_df), significant(anova.total_sum_of_squares, kStatisticDigits),
                    "", "", ""},
                   kAnovaColumns);
  return out;
}

// The predictions asked for; nothing when none were.
std::string predictions_text(const Predictions& predictions) {
  if (predictions.rows.empty()) return {};
  std::string out = "\nPredictions (" + significant(predictions.level * 100, kStatisticDigits) +
                    "% intervals)\n";
  out += table_row({"x", "fit", "se(fit)", "confidence interval", "prediction interval"}, kPredictionColumns);
  for (const PredictionAt& at : predictions.rows) {
    const accurate::Prediction& p = at.prediction;
    out += table_row({significant(at.x, kStatisticDigits), significant(p.fit, kCoefficientDigits),
                      significant(p.se_fit, kStatisticDigits), interval_text(p.confidence),
                      interval_text(p.prediction)},
                     kPredictionColumns);
  }
  return out;
}

}  // namespace

std::string fit_text(const accurate::PolynomialFit& fit, const FitSource& source,
                     const Predictions& predictions) {
  return coefficients_text(fit, source) + summary_text(fit) + predictions_text(predictions) +
         warnings_text(all_warnings(fit, source));
}

std::string fit_json(const accurate::PolynomialFit& fit, const FitSource& source,
                     const Predictions& predictions) {
  const auto& anova = fit.anova;
  nlohmann::ordered_json coefficients = nlohmann::ordered_json::array();
  for (const double c : fit.coefficients) coefficients.push_back(c);
  nlohmann::ordered_json report;
  report["degree"] = fit.degree;
  report["n"] = fit.n;
  report["coefficients"] = coefficients;
  report["standard_errors"] = numbers_or_nulls(fit.standard_errors);
  report["t_values"] = numbers_or_nulls(fit.t_values);
  report["p_values"] = numbers_or_nulls(fit.p_values);
  report["r_squared"] = number_or_null(fit.r_squared);
  report["adjusted_r_squared"] = number_or_null(fit.adjusted_r_squared);
  report["residual_sd"] = number_or_null(fit.residual_sd);
  report["anova"] = nlohmann::ordered_json{
      {"ss_regression", anova.regression_sum_of_squares},
      {"ss_error", anova.error_sum_of_squares},
      {"df_regression", anova.regression_df},
      {"df_error", anova.error_df},
      {"f", number_or_null(anova.f_value)},
      {"p", number_or_null(anova.f_p_value)},
  };
  report["warnings"] = all_warnings(fit, source);
  if (!predictions.rows.empty()) {
    nlohmann::ordered_json rows = nlohmann::ordered_json::array();
    for (const PredictionAt& at : predictions.rows) {
      rows.push_back(nlohmann::ordered_json{{"x", at.x},
                                            {"fit", at.prediction.fit},
                                            {"se_fit", number_or_null(at.prediction.se_fit)},
                                            {"confidence", interval_json(at.prediction.confidence)},
                                            {"prediction", interval_json(at.prediction.prediction)}});
    }
    report["predictions"] = rows;
  }
  return json_text(std::move(report));
}

}  // namespace polylsq::app
