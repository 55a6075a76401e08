// Confidence intervals of the coefficients.
#include "accurate/coefficient_intervals.h"

#include <cfloat>
#include <cstddef>
#include <new>
#include <string>

#include "accurate/chebyshev_system.h"
#include "accurate/fit_statistics.h"
#include "accurate/fp_guard.h"

namespace polylsq::accurate {
namespace {

std::string power_name(std::size_t k) {
  return k == 0 ? "the constant term" : "the coefficient of x^" + std::to_string(k);
}

Expected<std::vector<Interval>> intervals_guarded(const PolynomialFit& fit, double level) {
  if (!(level > 0.0 && level < 1.0)) {
    return Error{ErrorKind::kInvalidArgument,
                    "the confidence level must lie strictly between 0 and 1", {}};
  }
  std::vector<Interval> intervals;
  if (fit.anova.error_df <= 0) return intervals;
  const double df = static_cast<double>(fit.anova.error_df);
  const Extended q(student_t_quantile((1.0 + level) / 2.0, df));
  for (std::size_t k = 0; k < fit.coefficients.size(); ++k) {
    const Extended a(fit.coefficients[k]);
    const Extended half = q * Extended(*fit.standard_errors[k]);
    const Extended lower = a - half, upper = a + half;
    if (abs(lower) > Extended(DBL_MAX) || abs(upper) > Extended(DBL_MAX)) {
      return Error{ErrorKind::kOutOfRange,
                      "the confidence interval of " + power_name(k) + " does not fit in a double",
                      {}};
    }
    intervals.push_back({static_cast<double>(lower), static_cast<double>(upper)});
  }
  return intervals;
}

}  // namespace

Expected<std::vector<Interval>> coefficient_intervals(const PolynomialFit& fit, double level) {
  FloatingPointGuard guard;
  try {
    return intervals_guarded(fit, level);
  } catch (const std::bad_alloc&) {
    return Error{ErrorKind::kOutOfMemory, "not enough memory for the intervals", {}};
  }
}

}  // namespace polylsq::accurate
