// The two passes of the accurate fit over the observations. The first sums, for the
// Chebyshev polynomials T_m of the scaled abscissa t, the moments sum w T_m(t)
// (m = 0..2 degree) and sum w y T_j(t) (j = 0..degree); the second sums the weighted squares
// of the residuals and of the fitted values about the mean. Every term is formed in
// double-double and every sum is double-double; memory beyond the given arrays is O(degree).
#pragma once

#include <span>
#include <vector>

#include "accurate/double_double.h"
#include "accurate/fit_limits.h"

namespace polylsq::accurate {

// The observations as given; w empty means every weight is 1. Rows of weight 0 contribute
// nothing to any sum (their x and y are not read into the arithmetic).
struct Observations {
  std::span<const double> x;
  std::span<const double> y;
  std::span<const double> w;
};

// Exact power-of-two scalings that keep every sum clear of overflow, and the centre that
// makes the Chebyshev basis well conditioned. t = (x - center) * 2^-x_exponent is carried
// exactly as a double-double (x - center by two_sum); y and w are summed as
// y * 2^-y_exponent and w * 2^-w_exponent.
struct DataScaling {
  double center = 0.0;
  int x_exponent = 0;
  int y_exponent = 0;
  int w_exponent = 0;
};

// Which build of the passes runs: the fastest the processor supports (AVX2 with fused
// multiply-add when present) or the portable one. Both give identical bits: they differ
// only in how the exact error of a product is found.
enum class Kernel { kFastest, kPortable };

// True when kFastest selects the AVX2 / fused multiply-add build.
bool fused_kernel_available();

struct MomentSums {
  std::vector<DoubleDouble> chebyshev;  // sum w T_m(t), m = 0..2 degree
  std::vector<DoubleDouble> response;   // sum w y T_j(t), j = 0..degree (y and w scaled)
};

// First pass. degree 0..10; x, y (and w) of equal length, finite, w >= 0.
MomentSums sum_moments(const Observations& data, const DataScaling& scaling, int degree,
                       Kernel kernel = Kernel::kFastest);

struct SquareSums {
  DoubleDouble residual;  // sum w (y - f(t))^2
  DoubleDouble fitted;    // sum w (f(t) - mean)^2
};

// Second pass. centred holds the power-series coefficients in t of f(t) - mean (ascending,
// at most 11), mean the weighted mean of y, both in the scaled units of y.
SquareSums sum_squares(const Observations& data, const DataScaling& scaling,
                       std::span<const DoubleDouble> centred, DoubleDouble mean,
                       Kernel kernel = Kernel::kFastest);

}  // namespace polylsq::accurate
