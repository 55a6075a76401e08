// The accurate polynomial fit: weighted or unweighted least squares of degree 0..10 with the
// statistics R's lm reports (weights included), computed from double-double sums over the
// data and a 50-digit solve. A value that is undefined for the data at hand is
// std::nullopt, never a NaN or an infinity. Runs under its own floating-point environment.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "accurate/fit_limits.h"
#include "text/expected.h"

namespace polylsq::accurate {

// Sums of squares about the weighted mean of y and their degrees of freedom.
struct AnalysisOfVariance {
  double regression_sum_of_squares = 0.0;  // sum w (f(x) - mean)^2; 0 for degree 0
  double error_sum_of_squares = 0.0;       // sum w (y - f(x))^2; exactly 0 for an exact fit
  double total_sum_of_squares = 0.0;       // their sum, sum w (y - mean)^2
  std::int64_t regression_df = 0;          // degree
  std::int64_t error_df = 0;               // n - (degree + 1)
  std::int64_t total_df = 0;               // n - 1
  std::optional<double> regression_mean_square;  // undefined when regression_df == 0
  std::optional<double> error_mean_square;       // undefined when error_df == 0
  // Undefined when regression_df == 0, error_df == 0 or the error sum of squares is 0.
  std::optional<double> f_value;
  std::optional<double> f_p_value;  // upper tail of F(regression_df, error_df); with f_value
};

// What the fit keeps to evaluate itself, and the variance of its value at any x, without
// solving again; read it through evaluate() and predict(). The fitted polynomial is
// f(x) = 2^y_exponent sum_j (chebyshev_hi[j] + chebyshev_lo[j]) T_j(t) with
// t = (x - center) / 2^x_exponent. The covariance of its Chebyshev coefficients (in units
// of y) is residual_sd^2 U^T U, U = covariance_factor (p x p, row-major, lower
// triangular), so the standard error of f(x) is residual_sd |U phi| with phi_j = T_j(t).
struct FitBasis {
  double center = 0.0;
  int x_exponent = 0;
  int y_exponent = 0;
  std::vector<double> chebyshev_hi;
  std::vector<double> chebyshev_lo;
  std::vector<double> covariance_factor;
};

struct PolynomialFit {
  int degree = 0;
  std::int64_t n = 0;                  // observations used: those of positive weight
  std::int64_t zero_weight_count = 0;  // observations of weight 0, not used
  bool weighted = false;
  // Ascending powers of x, degree + 1 of each.
  std::vector<double> coefficients;
  std::vector<std::optional<double>> standard_errors;  // undefined when error_df == 0
  std::vector<std::optional<double>> t_values;  // undefined when the standard error is
                                                // undefined or 0 (an exact fit)
  std::vector<std::optional<double>> p_values;  // two-sided, error_df degrees of freedom
  // Covariance matrix of the coefficients, as R's vcov: residual_sd^2 (X^T W X)^-1,
  // (degree + 1) x (degree + 1), row-major, entry (k, l) for the coefficients of x^k and x^l;
  // its diagonal holds the squared standard errors. Empty when error_df == 0, or (with a
  // warning) when an entry is beyond the largest double.
  std::vector<double> covariance;
  std::optional<double> residual_sd;  // sqrt(SSE / error_df); undefined when error_df == 0
  std::optional<double> r_squared;    // SSR / SST; undefined when SST == 0 (constant y)
  // 1 - (SSE / SST) (n - 1) / error_df; undefined when SST == 0 or error_df == 0.
  std::optional<double> adjusted_r_squared;
  AnalysisOfVariance anova;
  // The residuals are zero to the fit's working precision (below 2^-66 of the weighted
  // norm of y), or n == degree + 1: the error sum of squares is then exactly 0, and so are
  // residual_sd and every standard error when error_df > 0.
  bool exact = false;
  std::vector<std::string> warnings;
  FitBasis basis;
};

// Fits y ~ sum_k a_k x^k, k = 0..degree, by least squares, minimising sum w (y - f(x))^2.
// x, y: the observations, of equal length. w: empty for an unweighted fit, else one weight
// per observation, each finite and >= 0; observations of weight 0 count neither in n nor in
// the degrees of freedom. Errors (first failure wins): a degree outside 0..10; lengths
// that differ; a non-finite x, y or weight or a negative weight (the first such
// observation, numbered from 1 in the message); fewer used observations than
// coefficients; constant x for degree >= 1; fewer distinct x than coefficients; x values
// so close together against their range that the moments cannot determine the
// polynomial; a coefficient, standard error or sum of squares beyond the largest double.
// Such a value below the smallest normal double is rounded (to a subnormal or 0) and named
// in a warning.
Expected<PolynomialFit> fit_polynomial(std::span<const double> x, std::span<const double> y,
                                       std::span<const double> w, int degree);

}  // namespace polylsq::accurate
