// The JSON report of the accurate fits.
#include "app/fit_json.h"

#include <nlohmann/json.hpp>

#include <optional>

#include "app/report_text.h"

namespace polylsq::app {
namespace {

using Json = nlohmann::ordered_json;

Json number_or_null(std::optional<double> value) { return value ? Json(*value) : Json(nullptr); }

Json numbers_or_nulls(const std::vector<std::optional<double>>& values) {
  Json array = Json::array();
  for (const std::optional<double>& v : values) array.push_back(number_or_null(v));
  return array;
}

Json interval_json(const std::optional<accurate::Interval>& interval) {
  if (!interval) return nullptr;
  return Json::array({interval->lower, interval->upper});
}

Json predictions_json(const std::vector<PredictionAt>& predictions) {
  Json rows = Json::array();
  for (const PredictionAt& at : predictions) {
    rows.push_back(Json{{"x", at.x},
                        {"fit", at.prediction.fit},
                        {"se_fit", number_or_null(at.prediction.se_fit)},
                        {"confidence", interval_json(at.prediction.confidence)},
                        {"prediction", interval_json(at.prediction.prediction)}});
  }
  return rows;
}

// The rows of the covariance matrix; null where it is undefined.
Json covariance_json(const accurate::PolynomialFit& fit) {
  if (fit.covariance.empty()) return nullptr;
  const std::size_t p = fit.coefficients.size();
  Json rows = Json::array();
  for (std::size_t k = 0; k < p; ++k) {
    Json row = Json::array();
    for (std::size_t l = 0; l < p; ++l) row.push_back(fit.covariance[k * p + l]);
    rows.push_back(std::move(row));
  }
  return rows;
}

Json intervals_json(const std::optional<std::vector<accurate::Interval>>& intervals) {
  if (!intervals) return nullptr;
  Json array = Json::array();
  for (const accurate::Interval& interval : *intervals) array.push_back(Json::array({interval.lower, interval.upper}));
  return array;
}

// The fit object of one series with `warnings`; the keys the options ask for after them.
Json fit_object(const SeriesResult& series, const ReportOptions& options, const std::vector<std::string>& warnings) {
  const accurate::PolynomialFit& fit = series.fit;
  const auto& anova = fit.anova;
  Json report;
  report["degree"] = fit.degree;
  if (series.degree_chosen_by) report["degree_chosen_by"] = series.degree_chosen_by->criterion;
  report["n"] = fit.n;
  report["coefficients"] = fit.coefficients;
  report["standard_errors"] = numbers_or_nulls(fit.standard_errors);
  report["t_values"] = numbers_or_nulls(fit.t_values);
  report["p_values"] = numbers_or_nulls(fit.p_values);
  report["r_squared"] = number_or_null(fit.r_squared);
  report["adjusted_r_squared"] = number_or_null(fit.adjusted_r_squared);
  report["residual_sd"] = number_or_null(fit.residual_sd);
  report["anova"] = Json{
      {"ss_regression", anova.regression_sum_of_squares},
      {"ss_error", anova.error_sum_of_squares},
      {"df_regression", anova.regression_df},
      {"df_error", anova.error_df},
      {"f", number_or_null(anova.f_value)},
      {"p", number_or_null(anova.f_p_value)},
  };
  report["warnings"] = warnings;
  if (!series.predictions.empty() || options.confint) report["level"] = options.level;
  if (!series.predictions.empty()) report["predictions"] = predictions_json(series.predictions);
  if (options.confint) report["confidence_intervals"] = intervals_json(series.coefficient_intervals);
  if (options.covariance) report["covariance"] = covariance_json(fit);
  return report;
}

std::vector<std::string> joined(std::vector<std::string> first, const std::vector<std::string>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

}  // namespace

std::string fit_json(const FitSource& source, std::span<const SeriesResult> series, const ReportOptions& options) {
  if (series.size() == 1) {
    const SeriesResult& only = series.front();
    return json_text(fit_object(only, options, joined(joined(source.warnings, only.warnings), only.fit.warnings)));
  }
  Json all = Json::array();
  for (const SeriesResult& one : series) {
    Json object{{"y", one.data != nullptr ? one.data->name : y_name_of(one)}};
    object.update(fit_object(one, options, joined(one.warnings, one.fit.warnings)));
    all.push_back(std::move(object));
  }
  return json_text(Json{{"input", source.input}, {"series", std::move(all)}, {"warnings", source.warnings}});
}

}  // namespace polylsq::app
