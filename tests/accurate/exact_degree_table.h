// The reference of the degree-table tests: each figure of a table row from the exact
// least-squares fits of the same doubles (exact_least_squares.h, in powers of x less the
// midpoint of x: the same fitted values and leverages, fewer digits lost). The sums of
// squares are exact; the residuals and leverages of the observations come in 100 digits
// from the exact solution; the log-likelihood is summed observation by observation, as the
// Gaussian density with variance sigma^2 / w, sigma^2 = SSE / n; the F test of the added
// term is formed from the exact sums of squares of the two fits, its p value from Boost's
// F distribution in 100 digits. Nothing here shares code with the engine.
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "tests/accurate/exact_least_squares.h"

namespace polylsq::accurate::testing {

struct ExactDegreeRow {
  int degree = 0;
  std::optional<Float100> residual_sd;
  std::optional<Float100> r_squared;
  std::optional<Float100> adjusted_r_squared;
  std::optional<Float100> aic;  // undefined when SSE is 0
  std::optional<Float100> aicc;  // also undefined when n - k - 1 <= 0
  std::optional<Float100> bic;
  std::optional<Float100> loocv_rmse;  // undefined when a leverage is 1
  std::optional<Float100> f_p_value;   // none for degree 0; undefined when SSE is 0
};

// The rows of degrees 0..max_degree of the data (each degree must be determined by them).
std::vector<ExactDegreeRow> exact_degree_rows(std::span<const double> x,
                                              std::span<const double> y,
                                              std::span<const double> w, int max_degree);

}  // namespace polylsq::accurate::testing
