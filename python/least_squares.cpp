// The coefficients and residual sum of squares of an accurate fit through the engine's
// stages, skipping what only the statistics need.
#include "python/least_squares.h"

#include <cmath>
#include <new>
#include <optional>
#include <string>

#include "accurate/chebyshev_system.h"
#include "accurate/data_sums.h"
#include "accurate/fit_input.h"
#include "accurate/fit_stages.h"
#include "accurate/fp_guard.h"

namespace polylsq::python {
namespace {

using accurate::Extended;

Error beyond_double(const std::string& what) {
  return Error{ErrorKind::kOutOfRange, what + " does not fit in a double", {}};
}

Expected<LeastSquares> least_squares_guarded(const accurate::Observations& data, int degree) {
  const Expected<accurate::CheckedInput> checked_or = accurate::check_input(data, degree);
  if (!checked_or) return checked_or.error();
  const accurate::CheckedInput& checked = *checked_or;
  const accurate::DataScaling& scaling = checked.scaling;

  const accurate::MomentSums sums = accurate::sum_moments(data, scaling, degree);
  const std::optional<accurate::ChebyshevSolution> solution = accurate::solve_chebyshev(sums, degree);
  if (!solution) return accurate::ill_conditioned_error(degree);
  accurate::ScaledFit scaled;
  if (checked.constant_y) {
    scaled = accurate::constant_fit(checked, *solution);
  } else {
    const accurate::SquareSums squares = accurate::sum_squares(
        data, scaling, accurate::centred_power_series(*solution),
        accurate::to_double_double(solution->mean));
    scaled = accurate::fit_with_squares(checked, sums, *solution, degree,
                                        Extended(squares.residual.hi) + squares.residual.lo,
                                        Extended(squares.fitted.hi) + squares.fitted.lo);
  }

  LeastSquares out;
  out.degree = degree;
  const std::size_t p = static_cast<std::size_t>(degree) + 1;
  const std::vector<Extended> change =
      accurate::chebyshev_to_power_in_x(degree, scaling.center, scaling.x_exponent);
  for (std::size_t k = 0; k < p; ++k) {
    Extended a = 0;
    for (std::size_t j = k; j < p; ++j) a += change[k * p + j] * scaled.chebyshev[j];
    const double coefficient = static_cast<double>(ldexp(a, scaling.y_exponent));
    if (!std::isfinite(coefficient)) return beyond_double("the coefficient of x^" + std::to_string(k));
    out.coefficients.push_back(coefficient);
  }
  out.error_sum_of_squares =
      static_cast<double>(ldexp(scaled.error_ss, scaling.w_exponent + 2 * scaling.y_exponent));
  if (!std::isfinite(out.error_sum_of_squares)) return beyond_double("the error sum of squares");
  out.basis.center = scaling.center;
  out.basis.x_exponent = scaling.x_exponent;
  out.basis.y_exponent = scaling.y_exponent;
  for (const Extended& u : solution->inverse_factor) {
    out.basis.covariance_factor.push_back(static_cast<double>(ldexp(u, -scaling.w_exponent / 2)));
  }
  return out;
}

}  // namespace

Expected<LeastSquares> least_squares(std::span<const double> x, std::span<const double> y,
                                     std::span<const double> w, int degree) {
  accurate::FloatingPointGuard guard;
  try {
    return least_squares_guarded(accurate::Observations{x, y, w}, degree);
  } catch (const std::bad_alloc&) {
    return Error{ErrorKind::kOutOfMemory, "not enough memory for the fit", {}};
  }
}

}  // namespace polylsq::python
