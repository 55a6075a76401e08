// The small dense algebra of the accurate fit, in 50-digit arithmetic: the normal equations
// in the Chebyshev basis of t built from the moments (T_j T_k = (T_{j+k} + T_{|j-k|}) / 2),
// their Cholesky factor, and the change of basis from Chebyshev series in t to power series
// in x. Matrices are p x p, row-major, p = degree + 1.
#pragma once

#include <boost/multiprecision/cpp_bin_float.hpp>
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "accurate/data_sums.h"

namespace polylsq::accurate {

using Extended = boost::multiprecision::cpp_bin_float_50;

struct ChebyshevSolution {
  std::vector<Extended> coefficients;    // alpha_j: f(t) = sum alpha_j T_j(t)
  std::vector<Extended> inverse_factor;  // L^-1, lower triangular, G = L L^T
  Extended mean;                         // sum w y / sum w
  double condition = 1.0;                // 1-norm condition number of G
};

// Solves G alpha = b from the first-pass sums. Fails (nullopt) when a Cholesky pivot falls
// below kPivotFloor times its diagonal entry: the x values then do not determine the
// polynomial at the precision of the moments.
std::optional<ChebyshevSolution> solve_chebyshev(const MomentSums& sums, int degree);

// Relative floor of a Cholesky pivot: 2^-80, five decimal orders above the relative error of
// the moments (about 2^-96 at T_20).
inline constexpr double kPivotFloor = 0x1p-80;

// Power-series coefficients in t of sum alpha_j T_j(t).
std::vector<Extended> chebyshev_to_power(std::span<const Extended> alpha);

// The matrix C with a = C alpha: a the power-series coefficients in x of
// sum alpha_j T_j((x - center) / 2^x_exponent).
std::vector<Extended> chebyshev_to_power_in_x(int degree, double center, int x_exponent);

// |L v|^2 for the lower-triangular p x p matrix L (row-major, entries above the diagonal not
// read; Extended or double) and v of length p; L v itself into `product` unless it is
// empty. With L = L^-1 of the normal equations (scaled), sigma |L v| is the standard error
// of the combination v of the Chebyshev coefficients: a power-series coefficient or a
// fitted value.
template <class Entry>
Extended lower_triangular_norm_squared(std::span<const Entry> lower, std::span<const Extended> v,
                                       std::span<Extended> product = {}) {
  const std::size_t p = v.size();
  Extended norm_squared = 0;
  for (std::size_t r = 0; r < p; ++r) {
    Extended z = 0;
    for (std::size_t j = 0; j <= r; ++j) z += Extended(lower[r * p + j]) * v[j];
    if (!product.empty()) product[r] = z;
    norm_squared += z * z;
  }
  return norm_squared;
}

// Double-double nearest to v (hi the double nearest to v).
DoubleDouble to_double_double(const Extended& v);

}  // namespace polylsq::accurate
