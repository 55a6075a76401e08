// Value, standard error and intervals of an accurate fit at a given x.
#include "accurate/prediction.h"

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <new>
#include <span>
#include <string>
#include <vector>

#include "accurate/chebyshev_system.h"
#include "accurate/double_double.h"
#include "accurate/fit_statistics.h"
#include "accurate/fp_guard.h"
#include "text/message_text.h"

namespace polylsq::accurate {
namespace {

using text::shortest_text;

// Clenshaw's recurrence in double-double for sum_j alpha_j T_j(t), scaled units of y.
DoubleDouble chebyshev_value(const FitBasis& basis, DoubleDouble t) {
  const DoubleDouble two_t{2.0 * t.hi, 2.0 * t.lo};
  DoubleDouble next, after_next;  // b_{k+1}, b_{k+2}
  for (std::size_t k = basis.chebyshev_hi.size(); k-- > 1;) {
    const DoubleDouble alpha{basis.chebyshev_hi[k], basis.chebyshev_lo[k]};
    const DoubleDouble b = add(add(multiply(two_t, next), negate(after_next)), alpha);
    after_next = next;
    next = b;
  }
  const DoubleDouble alpha0{basis.chebyshev_hi[0], basis.chebyshev_lo[0]};
  return add(add(multiply(t, next), negate(after_next)), alpha0);
}

double evaluate_guarded(const PolynomialFit& fit, double x) {
  const FitBasis& basis = fit.basis;
  const DoubleDouble t =
      scale_by_power_of_two(two_sum(x, -basis.center), -basis.x_exponent);
  const DoubleDouble v = chebyshev_value(basis, t);
  return scale_by_power_of_two(v.hi + v.lo, basis.y_exponent);
}

std::optional<double> finite_double(const Extended& v) {
  if (abs(v) > Extended(DBL_MAX)) return std::nullopt;
  return static_cast<double>(v);
}

Error beyond_range(double x0) {
  return Error{ErrorKind::kOutOfRange,
               "the prediction at x = " + shortest_text(x0) + " does not fit in a double", {}};
}

Expected<Prediction> predict_guarded(const PolynomialFit& fit, double x0, double level) {
  if (!std::isfinite(x0)) {
    return Error{ErrorKind::kInvalidArgument, "x0 is not a finite number", {}};
  }
  if (!(level > 0.0 && level < 1.0)) {
    return Error{ErrorKind::kInvalidArgument,
                 "the confidence level must lie strictly between 0 and 1", {}};
  }
  Prediction result;
  result.fit = evaluate_guarded(fit, x0);
  if (!std::isfinite(result.fit)) return beyond_range(x0);
  if (!fit.residual_sd) return result;

  // se_fit = sigma |U phi(t0)|, phi_j = T_j(t0), in 50 digits so that no T_j overflows.
  const FitBasis& basis = fit.basis;
  const std::size_t p = basis.chebyshev_hi.size();
  const Extended t0 = ldexp(Extended(x0) - Extended(basis.center), -basis.x_exponent);
  std::vector<Extended> phi(p);
  phi[0] = 1;
  if (p > 1) phi[1] = t0;
  for (std::size_t j = 2; j < p; ++j) phi[j] = 2 * t0 * phi[j - 1] - phi[j - 2];
  const Extended norm_squared =
      lower_triangular_norm_squared(std::span<const double>(basis.covariance_factor), std::span<const Extended>(phi));
  const Extended sigma(*fit.residual_sd);
  const Extended se = sigma * sqrt(norm_squared);
  const double df = static_cast<double>(fit.anova.error_df);
  const Extended q(student_t_quantile((1.0 + level) / 2.0, df));
  const Extended value(result.fit);
  const Extended new_observation = sqrt(se * se + sigma * sigma);
  const auto se_fit = finite_double(se);
  const auto confidence_lower = finite_double(value - q * se);
  const auto confidence_upper = finite_double(value + q * se);
  const auto prediction_lower = finite_double(value - q * new_observation);
  const auto prediction_upper = finite_double(value + q * new_observation);
  if (!se_fit || !confidence_lower || !confidence_upper || !prediction_lower ||
      !prediction_upper) {
    return beyond_range(x0);
  }
  result.se_fit = se_fit;
  result.quantile = static_cast<double>(q);
  result.confidence = Interval{*confidence_lower, *confidence_upper};
  result.prediction = Interval{*prediction_lower, *prediction_upper};
  return result;
}

}  // namespace

double evaluate(const PolynomialFit& fit, double x) {
  FloatingPointGuard guard;
  return evaluate_guarded(fit, x);
}

std::vector<double> evaluate_all(const PolynomialFit& fit, std::span<const double> x) {
  std::vector<double> values(x.size());
  FloatingPointGuard guard;
  for (std::size_t i = 0; i < x.size(); ++i) values[i] = evaluate_guarded(fit, x[i]);
  return values;
}

Expected<Prediction> predict(const PolynomialFit& fit, double x0, double level) {
  FloatingPointGuard guard;
  try {
    return predict_guarded(fit, x0, level);
  } catch (const std::bad_alloc&) {
    return Error{ErrorKind::kOutOfMemory, "not enough memory for the prediction", {}};
  }
}

}  // namespace polylsq::accurate
