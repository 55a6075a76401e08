// The passes of the accurate fit over the observations. The first sums, for the Chebyshev
// polynomials T_m of the scaled abscissa t, the moments sum w T_m(t) (m = 0..2 degree) and
// sum w y T_j(t) (j = 0..degree); the second sums the weighted squares of the residuals and
// of the fitted values about the mean; the degree-table pass does the second pass for every
// degree at once and adds the deleted (leave-one-out) residuals. The terms of the first two
// passes are formed in double-double and every sum is double-double (the deleted residuals
// are summed in double over runs of 32 row blocks first); memory beyond the given arrays is
// O(degree). The first two passes take many rows in two halves (halved_pass.h).
#pragma once

#include <cstddef>
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

// Where the second half of a pass over many rows runs (halved_pass.h): on a thread of its
// own when one can be started, or on the calling thread. Both give identical bits.
enum class PassThreads { kTwo, kOne };

// True when kFastest selects the AVX2 / fused multiply-add build.
bool fused_kernel_available();

struct MomentSums {
  std::vector<DoubleDouble> chebyshev;  // sum w T_m(t), m = 0..2 degree
  std::vector<DoubleDouble> response;   // sum w y T_j(t), j = 0..degree (y and w scaled)
};

// First pass. degree 0..10; x, y (and w) of equal length, finite, w >= 0.
MomentSums sum_moments(const Observations& data, const DataScaling& scaling, int degree,
                       Kernel kernel = Kernel::kFastest, PassThreads threads = PassThreads::kTwo);

struct SquareSums {
  DoubleDouble residual;  // sum w (y - f(t))^2
  DoubleDouble fitted;    // sum w (f(t) - mean)^2
};

// Second pass. centred holds the power-series coefficients in t of f(t) - mean (ascending,
// at most 11), mean the weighted mean of y, both in the scaled units of y.
SquareSums sum_squares(const Observations& data, const DataScaling& scaling,
                       std::span<const DoubleDouble> centred, DoubleDouble mean,
                       Kernel kernel = Kernel::kFastest, PassThreads threads = PassThreads::kTwo);

// The degree-table pass for the degrees 0..N, N = centred.size() - 1.
struct DegreeSquareSums {
  SquareSums squares;  // of degree N: sum_squares(data, scaling, centred, mean), the same bits
  // press[k] = sum w (r_k / (1 - h_k))^2, k = 0..N, over the rows of positive weight not in
  // high_leverage.
  std::vector<DoubleDouble> press;
  // Rows (0-based, ascending) of positive weight with h_N >= 1/2: their deleted residuals
  // need more than double precision.
  std::vector<std::size_t> high_leverage;
};

// How the table pass forms z = U phi(t): in double, or in double-double for x so badly
// spread that U's entries are far larger than z (the pass then takes about 1.6 times as long).
enum class LeveragePrecision { kDouble, kDoubleDouble };

// centred, mean: the centred polynomial of degree N and the mean, as for sum_squares.
// leverage_factor: U = L^-1 for G = L L^T, the Gram matrix of the moment sums of degree N
// (p x p, row-major, lower triangular, p = N + 1), so that z = U phi(t), phi_j = T_j(t),
// are orthonormal over the rows. fourier: c = U b (p values), f_k = sum_{j<=k} c_j z_j the
// fit of degree k. r_k = r_N + sum_{j>k} c_j z_j is the residual of degree k and
// h_k = w sum_{j<=k} z_j^2 its leverage, both in double.
DegreeSquareSums sum_degree_squares(const Observations& data, const DataScaling& scaling,
                                    std::span<const DoubleDouble> centred, DoubleDouble mean,
                                    std::span<const DoubleDouble> leverage_factor,
                                    std::span<const double> fourier,
                                    LeveragePrecision precision,
                                    Kernel kernel = Kernel::kFastest);

}  // namespace polylsq::accurate
