// Polynomial least squares in double precision by Householder QR (Eigen): the independent
// reference that the single-precision fits of the legacy run are measured against.
#pragma once

#include <vector>

namespace polylsq::testing {

struct PolynomialLeastSquares {
  std::vector<double> coefficients;  // of u^0 .. u^degree, u = (x - center) / scale
  std::vector<double> fitted;        // at each x
  std::vector<double> sequential_ss;  // degree k = 1 .. degree: the fall of the residual sum
                                      // of squares when u^k joins the lower powers
  std::vector<double> inverse_gram_diagonal;  // diagonal of (U'U)^-1, U the design matrix
  double sse = 0.0;                           // residual sum of squares
};

// Fits y by a polynomial of `degree` in u = (x - center) / scale; x and y have the same
// length, at least degree + 1, with degree + 1 distinct abscissas.
PolynomialLeastSquares polynomial_least_squares(const std::vector<double>& x, const std::vector<double>& y,
                                                int degree, double center = 0.0, double scale = 1.0);

}  // namespace polylsq::testing
