// The text and JSON reports of an accurate fit.
#include "app/fit_report.h"

#include <charconv>
#include <nlohmann/json.hpp>

#include <cstdio>

namespace polylsq::app {
namespace {

constexpr int kCoefficientDigits = 15;  // a double's coefficient, to read back nearly whole
constexpr int kStatisticDigits = 12;    // at least the 10 significant digits promised

// `text` right-aligned in `width` characters (never cut).
std::string right(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string left(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

// One table row: the cells in their widths, two blanks between; the first cell
// left-aligned when `label_first`, every other cell right-aligned.
std::string row(const std::vector<std::string>& cells, const std::vector<std::size_t>& widths,
                bool label_first = true) {
  std::string line;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) line += "  ";
    line += i == 0 && label_first ? left(cells[i], widths[i]) : right(cells[i], widths[i]);
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line + "\n";
}

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

void drop_negative_zeros(nlohmann::ordered_json& node) {
  if (node.is_number_float() && node.get<double>() == 0.0) node = 0.0;
  if (!node.is_structured()) return;
  for (nlohmann::ordered_json& child : node) drop_negative_zeros(child);
}

}  // namespace

std::string significant(std::optional<double> value, int digits) {
  if (!value) return "undefined";
  char text[64];
  const double shown = *value == 0.0 ? 0.0 : *value;  // no "-0"
  const auto result = std::to_chars(text, text + sizeof text, shown, std::chars_format::general, digits);
  return std::string(text, result.ptr);
}

std::string json_text(nlohmann::ordered_json report) {
  drop_negative_zeros(report);
  return report.dump(2) + "\n";
}

std::string fit_text(const accurate::PolynomialFit& fit, const FitSource& source,
                     const Predictions& predictions) {
  std::string out = "Polynomial fit of degree " + std::to_string(fit.degree) + " to " +
                    count(fit.n) + " observations (" + source.name + ", " + source.format +
                    (fit.weighted ? ", weighted" : "") + ")\n\n";

  const std::vector<std::size_t> coefficient_widths{5, 22, 19, 19, 19};
  out += row({"power", "coefficient", "standard error", "t value", "Pr(>|t|)"}, coefficient_widths,
             false);
  for (std::size_t k = 0; k < fit.coefficients.size(); ++k) {
    out += row({std::to_string(k), significant(fit.coefficients[k], kCoefficientDigits),
                significant(fit.standard_errors[k], kStatisticDigits),
                significant(fit.t_values[k], kStatisticDigits),
                significant(fit.p_values[k], kStatisticDigits)},
               coefficient_widths, false);
  }

  const auto& anova = fit.anova;
  out += "\n";
  out += "R-squared            " + significant(fit.r_squared, kCoefficientDigits) + "\n";
  out += "Adjusted R-squared   " + significant(fit.adjusted_r_squared, kCoefficientDigits) + "\n";
  out += "Residual SD          " + significant(fit.residual_sd, kStatisticDigits) + " on " +
         count(anova.error_df) + " degrees of freedom\n";
  out += "Observations         " + count(fit.n);
  if (fit.zero_weight_count > 0) out += " (and " + count(fit.zero_weight_count) + " of weight 0, not used)";
  out += "\n\nAnalysis of variance\n";

  const std::vector<std::size_t> anova_widths{10, 12, 22, 22, 19, 19};
  out += row({"source", "df", "sum of squares", "mean square", "F", "Pr(>F)"}, anova_widths);
  out += row({"regression", count(anova.regression_df),
              significant(anova.regression_sum_of_squares, kStatisticDigits),
              significant(anova.regression_mean_square, kStatisticDigits),
              significant(anova.f_value, kStatisticDigits),
              significant(anova.f_p_value, kStatisticDigits)},
             anova_widths);
  out += row({"error", count(anova.error_df), significant(anova.error_sum_of_squares, kStatisticDigits),
              significant(anova.error_mean_square, kStatisticDigits), "", ""},
             anova_widths);
  out += row({"total", count(anova.total_df), significant(anova.total_sum_of_squares, kStatisticDigits),
              "", "", ""},
             anova_widths);

  if (!predictions.rows.empty()) {
    out += "\nPredictions (" + significant(predictions.level * 100, kStatisticDigits) +
           "% intervals)\n";
    const std::vector<std::size_t> widths{19, 19, 19, 41, 41};
    out += row({"x", "fit", "se(fit)", "confidence interval", "prediction interval"}, widths, false);
    for (const PredictionAt& at : predictions.rows) {
      const accurate::Prediction& p = at.prediction;
      out += row({significant(at.x, kStatisticDigits), significant(p.fit, kCoefficientDigits),
                  significant(p.se_fit, kStatisticDigits), interval_text(p.confidence),
                  interval_text(p.prediction)},
                 widths, false);
    }
  }

  const std::vector<std::string> warnings = all_warnings(fit, source);
  if (!warnings.empty()) {
    out += "\nWarnings\n";
    for (const std::string& warning : warnings) out += "  " + warning + "\n";
  }
  return out;
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
