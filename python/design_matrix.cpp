// The design matrix of numpy.polyfit from an accurate fit's factor: the covariance in
// 50-digit arithmetic, the singular values in long double.
#include "python/design_matrix.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <functional>

#include "accurate/chebyshev_system.h"

namespace polylsq::python {
namespace {

using accurate::Extended;

std::size_t coefficient_count(int degree) { return static_cast<std::size_t>(degree) + 1; }

// Z = U C^T (p x p): column k is U c_k, c_k the row of C for x^k; Z^T Z = (V^T W V)^-1.
std::vector<Extended> factored_change(const accurate::FitBasis& basis, int degree) {
  const std::size_t p = coefficient_count(degree);
  const std::vector<Extended> change =
      accurate::chebyshev_to_power_in_x(degree, basis.center, basis.x_exponent);
  const std::vector<double>& factor = basis.covariance_factor;  // lower triangular
  std::vector<Extended> z(p * p, Extended(0));
  for (std::size_t r = 0; r < p; ++r) {
    for (std::size_t k = 0; k < p; ++k) {
      Extended v = 0;
      for (std::size_t j = 0; j <= r; ++j) v += Extended(factor[r * p + j]) * change[k * p + j];
      z[r * p + k] = v;
    }
  }
  return z;
}

// Inverse of the lower-triangular U by substitution.
std::vector<long double> inverse_lower(const std::vector<double>& lower, std::size_t p) {
  std::vector<long double> inverse(p * p, 0.0L);
  for (std::size_t c = 0; c < p; ++c) {
    inverse[c * p + c] = 1 / static_cast<long double>(lower[c * p + c]);
    for (std::size_t r = c + 1; r < p; ++r) {
      long double sum = 0;
      for (std::size_t j = c; j < r; ++j) sum += lower[r * p + j] * inverse[j * p + c];
      inverse[r * p + c] = -sum / lower[r * p + r];
    }
  }
  return inverse;
}

// Row m: the Chebyshev coefficients of t^m (p x p, nonnegative), from t^(m+1) = t t^m
// with t T_0 = T_1 and t T_j = (T_(j-1) + T_(j+1)) / 2.
std::vector<long double> chebyshev_of_powers(std::size_t p) {
  std::vector<long double> table(p * p, 0.0L);
  table[0] = 1;
  for (std::size_t m = 0; m + 1 < p; ++m) {
    for (std::size_t j = 0; j <= m; ++j) {
      const long double c = table[m * p + j];
      if (j == 0) {
        table[(m + 1) * p + 1] += c;
      } else {
        table[(m + 1) * p + j - 1] += c / 2;
        table[(m + 1) * p + j + 1] += c / 2;
      }
    }
  }
  return table;
}

// Singular values of the p x p matrix a (row-major) by one-sided Jacobi rotations of its
// columns, which keeps small singular values to a relative accuracy set by the conditioning
// of a after column scaling.
std::vector<double> jacobi_singular_values(std::vector<long double> a, std::size_t p) {
  constexpr int kMaxSweeps = 60;
  constexpr long double kOrthogonal = 1e-19L;  // about the long double unit roundoff
  for (int sweep = 0; sweep < kMaxSweeps; ++sweep) {
    bool rotated = false;
    for (std::size_t j = 0; j + 1 < p; ++j) {
      for (std::size_t k = j + 1; k < p; ++k) {
        long double alpha = 0, beta = 0, gamma = 0;
        for (std::size_t r = 0; r < p; ++r) {
          alpha += a[r * p + j] * a[r * p + j];
          beta += a[r * p + k] * a[r * p + k];
          gamma += a[r * p + j] * a[r * p + k];
        }
        if (gamma == 0 || std::fabs(gamma) <= kOrthogonal * std::sqrt(alpha * beta)) continue;
        rotated = true;
        const long double zeta = (beta - alpha) / (2 * gamma);
        const long double t = std::copysign(1.0L, zeta) / (std::fabs(zeta) + std::sqrt(1 + zeta * zeta));
        const long double c = 1 / std::sqrt(1 + t * t);
        const long double s = c * t;
        for (std::size_t r = 0; r < p; ++r) {
          const long double u = a[r * p + j];
          const long double v = a[r * p + k];
          a[r * p + j] = c * u - s * v;
          a[r * p + k] = s * u + c * v;
        }
      }
    }
    if (!rotated) break;
  }
  std::vector<double> values(p);
  for (std::size_t k = 0; k < p; ++k) {
    long double norm_squared = 0;
    for (std::size_t r = 0; r < p; ++r) norm_squared += a[r * p + k] * a[r * p + k];
    values[k] = static_cast<double>(std::sqrt(norm_squared));
  }
  std::sort(values.begin(), values.end(), std::greater<>());
  return values;
}

}  // namespace

std::vector<double> unscaled_covariance(const accurate::FitBasis& basis, int degree) {
  const std::size_t p = coefficient_count(degree);
  const std::vector<Extended> z = factored_change(basis, degree);
  std::vector<double> covariance(p * p);
  for (std::size_t k = 0; k < p; ++k) {
    for (std::size_t l = 0; l <= k; ++l) {
      Extended dot = 0;
      for (std::size_t r = 0; r < p; ++r) dot += z[r * p + k] * z[r * p + l];
      covariance[k * p + l] = covariance[l * p + k] = static_cast<double>(dot);
    }
  }
  return covariance;
}

std::vector<double> scaled_singular_values(const accurate::FitBasis& basis, int degree) {
  const std::size_t p = coefficient_count(degree);
  // F = U^-T C^-1 has F^T F = V^T W V: the same singular values as V W^(1/2) after the
  // same column scaling. Column k of C^-1 holds the Chebyshev coefficients of x^k
  // = (center + 2^x_exponent t)^k; with |center| every term of them is positive, so each
  // entry is exact to rounding in long double, and a negative center (x -> -x) only
  // changes signs: of the columns of V, which leave the singular values alone, and of
  // the rows of C^-1 for odd Chebyshev degrees.
  const std::vector<long double> u_inverse = inverse_lower(basis.covariance_factor, p);
  const long double center = std::fabs(static_cast<long double>(basis.center));
  const long double step = std::ldexp(1.0L, basis.x_exponent);
  const std::vector<long double> t_power = chebyshev_of_powers(p);
  std::vector<long double> change_inverse(p * p, 0.0L);  // row j (T_j), column k (x^k)
  for (std::size_t k = 0; k < p; ++k) {
    long double binomial = 1;  // binomial(k, m)
    for (std::size_t m = 0; m <= k; ++m) {
      const long double term = binomial * std::pow(center, static_cast<int>(k - m)) *
                               std::pow(step, static_cast<int>(m));
      for (std::size_t j = 0; j <= m; ++j) change_inverse[j * p + k] += term * t_power[m * p + j];
      binomial = binomial * static_cast<long double>(k - m) / static_cast<long double>(m + 1);
    }
  }
  if (basis.center < 0) {
    for (std::size_t j = 1; j < p; j += 2) {
      for (std::size_t k = 0; k < p; ++k) change_inverse[j * p + k] = -change_inverse[j * p + k];
    }
  }
  std::vector<long double> f(p * p, 0.0L);
  for (std::size_t r = 0; r < p; ++r) {
    for (std::size_t k = 0; k < p; ++k) {
      long double v = 0;
      for (std::size_t j = r; j < p; ++j) v += u_inverse[j * p + r] * change_inverse[j * p + k];
      f[r * p + k] = v;
    }
  }
  for (std::size_t k = 0; k < p; ++k) {
    long double norm_squared = 0;
    for (std::size_t r = 0; r < p; ++r) norm_squared += f[r * p + k] * f[r * p + k];
    const long double norm = std::sqrt(norm_squared);
    for (std::size_t r = 0; r < p; ++r) f[r * p + k] /= norm;
  }
  return jacobi_singular_values(std::move(f), p);
}

}  // namespace polylsq::python
