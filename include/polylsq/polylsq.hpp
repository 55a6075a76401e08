// polylsq: accurate polynomial least-squares fits, the C++20 layer over the C interface
// (polylsq/polylsq.h), header-only, so that the shared library's interface stays the C one.
// Spans in, polylsq::Expected<T, Failure> out (polylsq/expected.hpp); a Fit owns its C
// object and frees it when it goes (move-only); an undefined figure is std::nullopt. No
// function throws: memory that cannot be had is a Failure with Status::kOutOfMemory.
// Ownership, threads and the floating-point environment as polylsq.h says: a Fit may be
// read by several threads at once, and every call leaves the caller's environment as it was.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "polylsq/expected.hpp"
#include "polylsq/polylsq.h"

namespace polylsq {

// The statuses of polylsq.h, one for one.
enum class Status {
  kOk = POLYLSQ_OK,
  kInvalidArgument = POLYLSQ_INVALID_ARGUMENT,
  kDegreeOutOfRange = POLYLSQ_DEGREE_OUT_OF_RANGE,
  kSizeMismatch = POLYLSQ_SIZE_MISMATCH,
  kNonFiniteValue = POLYLSQ_NON_FINITE_VALUE,
  kNegativeWeight = POLYLSQ_NEGATIVE_WEIGHT,
  kTooFewObservations = POLYLSQ_TOO_FEW_OBSERVATIONS,
  kConstantX = POLYLSQ_CONSTANT_X,
  kTooFewDistinctX = POLYLSQ_TOO_FEW_DISTINCT_X,
  kIllConditioned = POLYLSQ_ILL_CONDITIONED,
  kOutOfRange = POLYLSQ_OUT_OF_RANGE,
  kOutOfMemory = POLYLSQ_OUT_OF_MEMORY,
  kCannotRead = POLYLSQ_CANNOT_READ,
  kBadData = POLYLSQ_BAD_DATA,
  kCannotWrite = POLYLSQ_CANNOT_WRITE,
};

// Why a call failed: its status and a UTF-8 message for the user.
struct Failure {
  Status status = Status::kInvalidArgument;
  std::string message;                     // e.g. "observation 3: y is not a finite number (nan)"
  std::optional<std::size_t> observation;  // 0-based, where the message names one
};

template <class T>
using Result = Expected<T, Failure>;

struct Interval {
  double lower = 0.0;
  double upper = 0.0;
};

struct AnalysisOfVariance {
  double ss_regression = 0.0;
  double ss_error = 0.0;
  double ss_total = 0.0;
  std::int64_t df_regression = 0;
  std::int64_t df_error = 0;
  std::int64_t df_total = 0;
  std::optional<double> ms_regression;
  std::optional<double> ms_error;
  std::optional<double> f;
  std::optional<double> p;
};

struct Prediction {
  double fit = 0.0;
  std::optional<double> se_fit;  // undefined, with the rest, without error degrees of freedom
  std::optional<Interval> confidence;
  std::optional<Interval> prediction;
  std::optional<double> quantile;
};

enum class Criterion {
  kBic = POLYLSQ_CRITERION_BIC,
  kAic = POLYLSQ_CRITERION_AIC,
  kAicc = POLYLSQ_CRITERION_AICC,
  kLoocv = POLYLSQ_CRITERION_LOOCV,
  kFtest = POLYLSQ_CRITERION_FTEST,
};

namespace detail {

inline std::optional<double> defined(double value) noexcept {
  if (std::isnan(value)) return std::nullopt;  // a quiet test: raises nothing
  return value;
}

inline Failure out_of_memory(const char* doing) noexcept {
  Failure failure{Status::kOutOfMemory, {}, std::nullopt};
  try {
    failure.message = std::string("not enough memory for ") + doing;
  } catch (...) {  // the message itself: the status says it
  }
  return failure;
}

// The Failure of a C error, which it frees.
inline Failure failure_of(polylsq_error_t* error) noexcept {
  Failure failure{static_cast<Status>(polylsq_error_status(error)), {}, std::nullopt};
  if (const std::int64_t observation = polylsq_error_observation(error); observation >= 0) {
    failure.observation = static_cast<std::size_t>(observation);
  }
  try {
    failure.message = polylsq_error_message(error);
  } catch (...) {
    failure = out_of_memory("the message");
  }
  polylsq_error_free(error);
  return failure;
}

// "3 values", "1 weight"
inline std::string counted(std::size_t count, const char* what) {
  return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

// The Failure of spans of different lengths, if they are.
inline std::optional<Failure> size_mismatch(std::span<const double> x, std::span<const double> y,
                                            std::span<const double> w) {
  if (y.size() != x.size()) {
    return Failure{Status::kSizeMismatch,
                   "x has " + counted(x.size(), "value") + " but y has " + std::to_string(y.size()),
                   std::nullopt};
  }
  if (!w.empty() && w.size() != x.size()) {
    return Failure{
        Status::kSizeMismatch,
        "there are " + counted(w.size(), "weight") + " for " + counted(x.size(), "observation"),
        std::nullopt};
  }
  return std::nullopt;
}

// A figure of N values through a C accessor of the (object, buffer, capacity) -> N form.
template <class Object, class Accessor>
std::vector<double> values_of(const Object* object, Accessor accessor) {
  std::vector<double> values(accessor(object, nullptr, 0));
  accessor(object, values.data(), values.size());
  return values;
}

inline std::vector<std::optional<double>> optional_values(const std::vector<double>& values) {
  std::vector<std::optional<double>> result;
  result.reserve(values.size());
  for (const double v : values) result.push_back(defined(v));
  return result;
}

// The warnings through a C (count, copy) pair of accessors.
template <class Object, class Count, class Copy>
std::vector<std::string> warnings_of(const Object* object, Count count, Copy copy) {
  std::vector<std::string> warnings(count(object));
  for (std::size_t i = 0; i < warnings.size(); ++i) {
    warnings[i].resize(copy(object, i, nullptr, 0));
    copy(object, i, warnings[i].data(), warnings[i].size() + 1);
  }
  return warnings;
}

struct FitDeleter {
  void operator()(polylsq_fit_t* fit) const noexcept { polylsq_fit_free(fit); }
};

}  // namespace detail

// A fit: its figures, copied when it is made, and its C object for values at any x.
class Fit {
 public:
  int degree() const noexcept { return degree_; }
  std::int64_t observations() const noexcept { return observations_; }  // n: weight > 0
  std::int64_t zero_weight_count() const noexcept { return zero_weight_count_; }
  bool weighted() const noexcept { return weighted_; }
  bool exact() const noexcept { return exact_; }
  // Ascending powers of x, degree() + 1 of each.
  const std::vector<double>& coefficients() const noexcept { return coefficients_; }
  const std::vector<std::optional<double>>& standard_errors() const noexcept {
    return standard_errors_;
  }
  const std::vector<std::optional<double>>& t_values() const noexcept { return t_values_; }
  const std::vector<std::optional<double>>& p_values() const noexcept { return p_values_; }
  // Row-major, (degree() + 1)^2; empty when undefined.
  const std::vector<double>& covariance() const noexcept { return covariance_; }
  std::optional<double> r_squared() const noexcept { return r_squared_; }
  std::optional<double> adjusted_r_squared() const noexcept { return adjusted_r_squared_; }
  std::optional<double> residual_sd() const noexcept { return residual_sd_; }
  const AnalysisOfVariance& anova() const noexcept { return anova_; }
  const std::vector<std::string>& warnings() const noexcept { return warnings_; }

  // f(x); NaN for an x that is not finite.
  double evaluate(double x) const noexcept { return polylsq_evaluate(handle_.get(), x); }
  Result<Prediction> predict(double x, double level = 0.95) const noexcept;
  // One interval per coefficient; empty when the standard errors are undefined.
  Result<std::vector<Interval>> coefficient_intervals(double level = 0.95) const noexcept;

  // For calls of the C interface; owned by this Fit.
  const polylsq_fit_t* handle() const noexcept { return handle_.get(); }

 private:
  friend Result<Fit> fit(std::span<const double> x, std::span<const double> y,
                         std::span<const double> w, int degree) noexcept;
  explicit Fit(polylsq_fit_t* handle);

  std::unique_ptr<polylsq_fit_t, detail::FitDeleter> handle_;
  int degree_ = 0;
  std::int64_t observations_ = 0;
  std::int64_t zero_weight_count_ = 0;
  bool weighted_ = false;
  bool exact_ = false;
  std::vector<double> coefficients_;
  std::vector<std::optional<double>> standard_errors_, t_values_, p_values_;
  std::vector<double> covariance_;
  std::optional<double> r_squared_, adjusted_r_squared_, residual_sd_;
  AnalysisOfVariance anova_;
  std::vector<std::string> warnings_;
};

// The fit of y ~ sum_k a_k x^k, k = 0..degree, by weighted least squares (w empty:
// unweighted). Failures: spans of different lengths (Status::kSizeMismatch) first, then
// those of polylsq_fit.
Result<Fit> fit(std::span<const double> x, std::span<const double> y, std::span<const double> w,
                int degree) noexcept;
inline Result<Fit> fit(std::span<const double> x, std::span<const double> y, int degree) noexcept {
  return fit(x, y, {}, degree);
}

struct DegreeRow {
  int degree = 0;
  bool exact = false;
  std::int64_t error_df = 0;
  double error_sum_of_squares = 0.0;
  std::optional<double> residual_sd, r_squared, adjusted_r_squared, aic, aicc, bic, loocv_rmse;
  std::optional<double> f, f_p;
};

struct DegreeTable {
  std::int64_t observations = 0;
  std::int64_t zero_weight_count = 0;
  bool weighted = false;
  std::vector<DegreeRow> rows;  // degrees 0, 1, ...
  std::vector<std::string> warnings;
  int bic = 0, aic = 0, aicc = 0, loocv = 0, ftest = 0;  // the recommended degrees

  int recommended(Criterion criterion) const noexcept;
};

// The degree table for degrees 0..N (polylsq_degree_table); max_degree std::nullopt (or
// POLYLSQ_DEFAULT_MAX_DEGREE) for the default N. Failures: spans of different lengths
// first, then those of polylsq_degree_table.
Result<DegreeTable> degree_table(std::span<const double> x, std::span<const double> y,
                                 std::span<const double> w = {},
                                 std::optional<int> max_degree = std::nullopt) noexcept;

inline std::string_view version() noexcept { return polylsq_version(); }

// ---- Implementation ----

inline Fit::Fit(polylsq_fit_t* handle) : handle_(handle) {
  const polylsq_fit_t* h = handle_.get();
  degree_ = polylsq_fit_degree(h);
  observations_ = polylsq_fit_observations(h);
  zero_weight_count_ = polylsq_fit_zero_weight_count(h);
  weighted_ = polylsq_fit_weighted(h) != 0;
  exact_ = polylsq_fit_exact(h) != 0;
  coefficients_ = detail::values_of(h, polylsq_fit_coefficients);
  standard_errors_ = detail::optional_values(detail::values_of(h, polylsq_fit_standard_errors));
  t_values_ = detail::optional_values(detail::values_of(h, polylsq_fit_t_values));
  p_values_ = detail::optional_values(detail::values_of(h, polylsq_fit_p_values));
  covariance_ = detail::values_of(h, polylsq_fit_covariance);
  r_squared_ = detail::defined(polylsq_fit_r_squared(h));
  adjusted_r_squared_ = detail::defined(polylsq_fit_adjusted_r_squared(h));
  residual_sd_ = detail::defined(polylsq_fit_residual_sd(h));
  polylsq_anova_t a;
  polylsq_fit_anova(h, &a);
  anova_ = AnalysisOfVariance{a.ss_regression,
                              a.ss_error,
                              a.ss_total,
                              a.df_regression,
                              a.df_error,
                              a.df_total,
                              detail::defined(a.ms_regression),
                              detail::defined(a.ms_error),
                              detail::defined(a.f),
                              detail::defined(a.p)};
  warnings_ = detail::warnings_of(h, polylsq_fit_warning_count, polylsq_fit_warning);
}

inline Result<Fit> fit(std::span<const double> x, std::span<const double> y,
                       std::span<const double> w, int degree) noexcept {
  try {
    if (std::optional<Failure> mismatch = detail::size_mismatch(x, y, w))
      return std::move(*mismatch);
    polylsq_error_t* error = nullptr;
    polylsq_fit_t* made =
        polylsq_fit(x.data(), y.data(), w.empty() ? nullptr : w.data(), x.size(), degree, &error);
    if (made == nullptr) return detail::failure_of(error);
    return Fit(made);  // a Fit that cannot be completed frees `made` as it unwinds
  } catch (...) {
    return detail::out_of_memory("the fit");
  }
}

inline Result<Prediction> Fit::predict(double x, double level) const noexcept {
  polylsq_prediction_t p;
  polylsq_error_t* error = nullptr;
  if (polylsq_predict(handle_.get(), x, level, &p, &error) != POLYLSQ_OK) {
    return detail::failure_of(error);
  }
  Prediction result{p.fit, detail::defined(p.se_fit), std::nullopt, std::nullopt,
                    detail::defined(p.quantile)};
  if (result.se_fit) {
    result.confidence = Interval{p.confidence_lower, p.confidence_upper};
    result.prediction = Interval{p.prediction_lower, p.prediction_upper};
  }
  return result;
}

inline Result<std::vector<Interval>> Fit::coefficient_intervals(double level) const noexcept {
  try {
    std::vector<double> lower(coefficients_.size()), upper(coefficients_.size());
    polylsq_error_t* error = nullptr;
    if (polylsq_coefficient_intervals(handle_.get(), level, lower.data(), upper.data(),
                                      lower.size(), &error) != POLYLSQ_OK) {
      return detail::failure_of(error);
    }
    std::vector<Interval> intervals;
    if (anova_.df_error <= 0) return intervals;  // no standard errors: the bounds are NaN
    for (std::size_t k = 0; k < lower.size(); ++k) intervals.push_back({lower[k], upper[k]});
    return intervals;
  } catch (...) {
    return detail::out_of_memory("the intervals");
  }
}

inline int DegreeTable::recommended(Criterion criterion) const noexcept {
  switch (criterion) {
    case Criterion::kBic:
      return bic;
    case Criterion::kAic:
      return aic;
    case Criterion::kAicc:
      return aicc;
    case Criterion::kLoocv:
      return loocv;
    case Criterion::kFtest:
      return ftest;
  }
  return -1;
}

namespace detail {

inline DegreeRow row_of(const polylsq_degree_row_t& r) {
  return DegreeRow{r.degree,
                   r.exact != 0,
                   r.error_df,
                   r.error_sum_of_squares,
                   defined(r.residual_sd),
                   defined(r.r_squared),
                   defined(r.adjusted_r_squared),
                   defined(r.aic),
                   defined(r.aicc),
                   defined(r.bic),
                   defined(r.loocv_rmse),
                   defined(r.f),
                   defined(r.f_p)};
}

inline DegreeTable table_of(const polylsq_degree_table_t* t) {
  DegreeTable table;
  table.observations = polylsq_degree_table_observations(t);
  table.zero_weight_count = polylsq_degree_table_zero_weight_count(t);
  table.weighted = polylsq_degree_table_weighted(t) != 0;
  std::vector<polylsq_degree_row_t> rows(polylsq_degree_table_rows(t, nullptr, 0));
  polylsq_degree_table_rows(t, rows.data(), rows.size());
  for (const polylsq_degree_row_t& row : rows) table.rows.push_back(row_of(row));
  table.warnings = warnings_of(t, polylsq_degree_table_warning_count, polylsq_degree_table_warning);
  table.bic = polylsq_degree_table_recommended(t, POLYLSQ_CRITERION_BIC);
  table.aic = polylsq_degree_table_recommended(t, POLYLSQ_CRITERION_AIC);
  table.aicc = polylsq_degree_table_recommended(t, POLYLSQ_CRITERION_AICC);
  table.loocv = polylsq_degree_table_recommended(t, POLYLSQ_CRITERION_LOOCV);
  table.ftest = polylsq_degree_table_recommended(t, POLYLSQ_CRITERION_FTEST);
  return table;
}

struct DegreeTableDeleter {
  void operator()(polylsq_degree_table_t* table) const noexcept {
    polylsq_degree_table_free(table);
  }
};

}  // namespace detail

inline Result<DegreeTable> degree_table(std::span<const double> x, std::span<const double> y,
                                        std::span<const double> w,
                                        std::optional<int> max_degree) noexcept {
  try {
    if (std::optional<Failure> mismatch = detail::size_mismatch(x, y, w))
      return std::move(*mismatch);
    polylsq_error_t* error = nullptr;
    const std::unique_ptr<polylsq_degree_table_t, detail::DegreeTableDeleter> made(
        polylsq_degree_table(x.data(), y.data(), w.empty() ? nullptr : w.data(), x.size(),
                             max_degree.value_or(POLYLSQ_DEFAULT_MAX_DEGREE), &error));
    if (!made) return detail::failure_of(error);
    return detail::table_of(made.get());
  } catch (...) {
    return detail::out_of_memory("the degree table");
  }
}

}  // namespace polylsq
