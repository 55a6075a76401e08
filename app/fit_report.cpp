// The text report of the accurate fits.
#include "app/fit_report.h"

#include <cstdint>

#include "app/fit_equation.h"
#include "app/report_text.h"

namespace polylsq::app {
namespace {

constexpr std::size_t kLabelWidth = 21;  // "Adjusted R-squared   "

std::string count(std::int64_t value) { return std::to_string(value); }

// A labelled line of the summary: "R-squared            0.81".
std::string summary_line(std::string_view label, const std::string& value) {
  return padded(label, kLabelWidth, Align::kLeft) + value + "\n";
}

// "95%" for 0.95.
std::string percent(double level) { return significant(level * 100, 6) + "%"; }

std::vector<Align> right_aligned(std::size_t columns) { return std::vector<Align>(columns, Align::kRight); }

std::string heading(const SeriesResult& series, const FitSource& source) {
  const accurate::PolynomialFit& fit = series.fit;
  return wrapped("Polynomial fit of degree " + std::to_string(fit.degree) + " to " + count(fit.n) +
                     " observations (" + source.name + ", " + source.format + (fit.weighted ? ", weighted" : "") + ")",
                 kReportWidth, "", "  ");
}

// Power, coefficient, standard error, t, p and, when asked, the interval's bounds.
std::string coefficients_text(const SeriesResult& series, const ReportOptions& options) {
  const accurate::PolynomialFit& fit = series.fit;
  TextTable table{{"power", "coefficient", "standard error", "t value", "Pr(>|t|)"}, {}, {}, 1};
  if (options.confint) {
    table.header.push_back("lower " + percent(options.level));
    table.header.push_back("upper " + percent(options.level));
  }
  table.align = right_aligned(table.header.size());
  const int digits = options.digits;
  for (std::size_t k = 0; k < fit.coefficients.size(); ++k) {
    std::vector<std::string> row{std::to_string(k), significant(fit.coefficients[k], digits),
                                 significant(fit.standard_errors[k], digits), significant(fit.t_values[k], digits),
                                 significant(fit.p_values[k], digits)};
    if (options.confint) {
      const auto& intervals = series.coefficient_intervals;
      row.push_back(intervals ? significant((*intervals)[k].lower, digits) : "undefined");
      row.push_back(intervals ? significant((*intervals)[k].upper, digits) : "undefined");
    }
    table.rows.push_back(std::move(row));
  }
  return table_text(table);
}

// R-squared to the observations, then the analysis of variance.
std::string summary_text(const accurate::PolynomialFit& fit, int digits) {
  const auto& anova = fit.anova;
  std::string out = "\n";
  out += summary_line("R-squared", significant(fit.r_squared, digits));
  out += summary_line("Adjusted R-squared", significant(fit.adjusted_r_squared, digits));
  out += summary_line("Residual SD", significant(fit.residual_sd, digits) + " on " + count(anova.error_df) +
                                         " degrees of freedom");
  std::string observations = count(fit.n);
  if (fit.zero_weight_count > 0) observations += " (and " + count(fit.zero_weight_count) + " of weight 0, not used)";
  out += summary_line("Observations", observations);
  out += "\nAnalysis of variance\n";
  TextTable table{{"source", "df", "sum of squares", "mean square", "F", "Pr(>F)"},
                  {Align::kLeft, Align::kRight, Align::kRight, Align::kRight, Align::kRight, Align::kRight},
                  {},
                  1};
  table.rows.push_back({"regression", count(anova.regression_df), significant(anova.regression_sum_of_squares, digits),
                        significant(anova.regression_mean_square, digits), significant(anova.f_value, digits),
                        significant(anova.f_p_value, digits)});
  table.rows.push_back({"error", count(anova.error_df), significant(anova.error_sum_of_squares, digits),
                        significant(anova.error_mean_square, digits), "", ""});
  table.rows.push_back({"total", count(anova.total_df), significant(anova.total_sum_of_squares, digits), "", "", ""});
  return out + table_text(table);
}

// The covariance matrix, rows and columns labelled by their powers.
std::string covariance_text(const accurate::PolynomialFit& fit, int digits) {
  if (fit.covariance.empty()) return "\nCovariance of the coefficients: undefined\n";
  const std::size_t p = fit.coefficients.size();
  TextTable table{{"power"}, right_aligned(p + 1), {}, 1};
  for (std::size_t l = 0; l < p; ++l) table.header.push_back(std::to_string(l));
  for (std::size_t k = 0; k < p; ++k) {
    std::vector<std::string> row{std::to_string(k)};
    for (std::size_t l = 0; l < p; ++l) row.push_back(significant(fit.covariance[k * p + l], digits));
    table.rows.push_back(std::move(row));
  }
  return "\nCovariance of the coefficients\n" + table_text(table);
}

std::string lower_of(const std::optional<accurate::Interval>& interval, int digits) {
  return interval ? significant(interval->lower, digits) : "undefined";
}
std::string upper_of(const std::optional<accurate::Interval>& interval, int digits) {
  return interval ? significant(interval->upper, digits) : "undefined";
}

// The predictions asked for; nothing when none were.
std::string predictions_text(const SeriesResult& series, const ReportOptions& options) {
  if (series.predictions.empty()) return {};
  TextTable table{{"x", "fit", "se(fit)", "confidence low", "confidence high", "prediction low", "prediction high"},
                  right_aligned(7),
                  {},
                  1};
  const int digits = options.digits;
  for (const PredictionAt& at : series.predictions) {
    const accurate::Prediction& p = at.prediction;
    table.rows.push_back({significant(at.x, digits), significant(p.fit, digits), significant(p.se_fit, digits),
                          lower_of(p.confidence, digits), upper_of(p.confidence, digits),
                          lower_of(p.prediction, digits), upper_of(p.prediction, digits)});
  }
  return "\nPredictions (" + percent(options.level) + " intervals)\n" + table_text(table);
}

std::string block_text(const SeriesResult& series, const FitSource& source, const ReportOptions& options) {
  std::string out = heading(series, source);
  if (const auto& chosen = series.degree_chosen_by) {
    out += wrapped("Degree chosen by " + chosen->criterion + ": " + chosen->reason, kReportWidth, "", "  ");
  }
  out += "\n";
  out += equation_text(series.fit.coefficients, y_name_of(series), source.x_name) + "\n";
  out += coefficients_text(series, options);
  out += summary_text(series.fit, options.digits);
  if (options.covariance) out += covariance_text(series.fit, options.digits);
  return out + predictions_text(series, options);
}

// The series' own warnings, then its fit's.
std::vector<std::string> series_warnings(const SeriesResult& series) {
  std::vector<std::string> warnings = series.warnings;
  warnings.insert(warnings.end(), series.fit.warnings.begin(), series.fit.warnings.end());
  return warnings;
}

}  // namespace

std::string y_name_of(const SeriesResult& series) {
  return series.data != nullptr && series.data->header ? *series.data->header : "y";
}

std::string fit_text(const FitSource& source, std::span<const SeriesResult> series, const ReportOptions& options) {
  if (series.size() == 1) {
    std::vector<std::string> warnings = source.warnings;
    const std::vector<std::string> own = series_warnings(series.front());
    warnings.insert(warnings.end(), own.begin(), own.end());
    return block_text(series.front(), source, options) + warnings_text(warnings);
  }
  std::string out;
  for (std::size_t k = 0; k < series.size(); ++k) {
    const std::string name = series[k].data != nullptr ? series[k].data->name : y_name_of(series[k]);
    out += (k > 0 ? "\n\n" : "") +
           wrapped("Series " + std::to_string(k + 1) + " of " + std::to_string(series.size()) + ": " + name,
                   kReportWidth, "", "  ") +
           "\n";
    out += block_text(series[k], source, options) + warnings_text(series_warnings(series[k]));
  }
  if (!source.warnings.empty()) out += "\n" + warnings_text(source.warnings);
  return out;
}

}  // namespace polylsq::app
