// polylsq_fit, its accessors and its free: the engine's fit behind the C interface.
#include "capi/fit_object.h"

#include <string>

#include "capi/error_object.h"
#include "capi/text_copy.h"

static_assert(POLYLSQ_MAX_DEGREE == polylsq::accurate::kMaxDegree);

namespace polylsq::capi {

const char* missing_observations(const double* x, const double* y, std::size_t count) {
  if (count == 0) return nullptr;
  if (x == nullptr) return "x is a null pointer";
  if (y == nullptr) return "y is a null pointer";
  return nullptr;
}

Observations observations(const double* x, const double* y, const double* weights,
                          std::size_t count) {
  if (count == 0) return {};
  Observations data{{x, count}, {y, count}, {}};
  if (weights != nullptr) data.w = {weights, count};
  return data;
}

}  // namespace polylsq::capi

namespace {

using polylsq::capi::copy_values;
using polylsq::capi::or_undefined;

double shown_as_is(double value) { return value; }

}  // namespace

extern "C" {

polylsq_fit_t* polylsq_fit(const double* x, const double* y, const double* weights, size_t count,
                           int degree, polylsq_error_t** error) {
  using namespace polylsq::capi;
  return guarded_call(
      error, "the fit", static_cast<polylsq_fit_t*>(nullptr), [&]() -> polylsq_fit_t* {
        if (const char* missing = missing_observations(x, y, count)) {
          report(error, POLYLSQ_INVALID_ARGUMENT, missing);
          return nullptr;
        }
        const Observations data = observations(x, y, weights, count);
        auto fit = polylsq::accurate::fit_polynomial(data.x, data.y, data.w, degree);
        if (!fit) {
          report(error, std::move(fit.error()));
          return nullptr;
        }
        return new polylsq_fit_t{std::move(*fit)};
      });
}

void polylsq_fit_free(polylsq_fit_t* fit) { delete fit; }

int polylsq_fit_degree(const polylsq_fit_t* fit) { return fit != nullptr ? fit->fit.degree : 0; }

int64_t polylsq_fit_observations(const polylsq_fit_t* fit) {
  return fit != nullptr ? fit->fit.n : 0;
}

int64_t polylsq_fit_zero_weight_count(const polylsq_fit_t* fit) {
  return fit != nullptr ? fit->fit.zero_weight_count : 0;
}

int polylsq_fit_weighted(const polylsq_fit_t* fit) { return fit != nullptr && fit->fit.weighted; }

int polylsq_fit_exact(const polylsq_fit_t* fit) { return fit != nullptr && fit->fit.exact; }

size_t polylsq_fit_coefficients(const polylsq_fit_t* fit, double* values, size_t capacity) {
  return fit != nullptr ? copy_values(fit->fit.coefficients, values, capacity, shown_as_is) : 0;
}

size_t polylsq_fit_standard_errors(const polylsq_fit_t* fit, double* values, size_t capacity) {
  return fit != nullptr ? copy_values(fit->fit.standard_errors, values, capacity, or_undefined) : 0;
}

size_t polylsq_fit_t_values(const polylsq_fit_t* fit, double* values, size_t capacity) {
  return fit != nullptr ? copy_values(fit->fit.t_values, values, capacity, or_undefined) : 0;
}

size_t polylsq_fit_p_values(const polylsq_fit_t* fit, double* values, size_t capacity) {
  return fit != nullptr ? copy_values(fit->fit.p_values, values, capacity, or_undefined) : 0;
}

size_t polylsq_fit_covariance(const polylsq_fit_t* fit, double* values, size_t capacity) {
  return fit != nullptr ? copy_values(fit->fit.covariance, values, capacity, shown_as_is) : 0;
}

double polylsq_fit_r_squared(const polylsq_fit_t* fit) {
  return fit != nullptr ? or_undefined(fit->fit.r_squared) : polylsq::capi::kUndefined;
}

double polylsq_fit_adjusted_r_squared(const polylsq_fit_t* fit) {
  return fit != nullptr ? or_undefined(fit->fit.adjusted_r_squared) : polylsq::capi::kUndefined;
}

double polylsq_fit_residual_sd(const polylsq_fit_t* fit) {
  return fit != nullptr ? or_undefined(fit->fit.residual_sd) : polylsq::capi::kUndefined;
}

void polylsq_fit_anova(const polylsq_fit_t* fit, polylsq_anova_t* anova) {
  if (fit == nullptr || anova == nullptr) return;
  const polylsq::accurate::AnalysisOfVariance& a = fit->fit.anova;
  *anova = polylsq_anova_t{a.regression_sum_of_squares,
                           a.error_sum_of_squares,
                           a.total_sum_of_squares,
                           a.regression_df,
                           a.error_df,
                           a.total_df,
                           or_undefined(a.regression_mean_square),
                           or_undefined(a.error_mean_square),
                           or_undefined(a.f_value),
                           or_undefined(a.f_p_value)};
}

size_t polylsq_fit_warning_count(const polylsq_fit_t* fit) {
  return fit != nullptr ? fit->fit.warnings.size() : 0;
}

size_t polylsq_fit_warning(const polylsq_fit_t* fit, size_t index, char* text, size_t capacity) {
  const bool exists = fit != nullptr && index < fit->fit.warnings.size();
  return polylsq::capi::copy_text(exists ? std::string_view(fit->fit.warnings[index]) : "", text,
                                  capacity);
}

}  // extern "C"
