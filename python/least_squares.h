// The part of an accurate fit that numpy.polyfit returns, without the statistics: the
// coefficients, the weighted residual sum of squares, and the factor of the normal
// equations from which the design matrix's singular values and covariance follow. The same
// checks, passes, solve and exact-fit rule as accurate::fit_polynomial, so the same
// coefficients and sum of squares to the bit.
#pragma once

#include <span>
#include <vector>

#include "accurate/polynomial_fit.h"
#include "text/expected.h"

namespace polylsq::python {

struct LeastSquares {
  int degree = 0;
  std::vector<double> coefficients;  // ascending powers of x, degree + 1
  double error_sum_of_squares = 0.0;  // sum w (y - f(x))^2; exactly 0 for an exact fit
  // center, x_exponent and covariance_factor as accurate::FitBasis; the Chebyshev series
  // itself is not kept.
  accurate::FitBasis basis;
};

// x, y, w and degree as for accurate::fit_polynomial, with its errors (first failure wins);
// a coefficient or the sum of squares beyond the largest double is an error too.
Expected<LeastSquares> least_squares(std::span<const double> x, std::span<const double> y,
                                     std::span<const double> w, int degree);

}  // namespace polylsq::python
