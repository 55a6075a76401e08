// Normal equations in the Chebyshev basis and the change of basis, in 50-digit arithmetic.
#include "accurate/chebyshev_system.h"

#include <algorithm>
#include <cstddef>

namespace polylsq::accurate {
namespace {

Extended to_extended(DoubleDouble v) { return Extended(v.hi) + Extended(v.lo); }

// Coefficients of T_0..T_degree as power series: row j holds T_j, ascending powers.
std::vector<Extended> chebyshev_power_table(int degree) {
  const std::size_t p = static_cast<std::size_t>(degree) + 1;
  std::vector<Extended> table(p * p, Extended(0));
  table[0] = 1;
  if (p > 1) table[p + 1] = 1;
  for (std::size_t j = 2; j < p; ++j) {
    for (std::size_t k = 0; k < p; ++k) {
      Extended v = -table[(j - 2) * p + k];
      if (k > 0) v += 2 * table[(j - 1) * p + k - 1];
      table[j * p + k] = v;
    }
  }
  return table;
}

Extended one_norm(const std::vector<Extended>& m, std::size_t p) {
  Extended best = 0;
  for (std::size_t c = 0; c < p; ++c) {
    Extended column = 0;
    for (std::size_t r = 0; r < p; ++r) column += abs(m[r * p + c]);
    best = std::max(best, column);
  }
  return best;
}

}  // namespace

std::optional<ChebyshevSolution> solve_chebyshev(const MomentSums& sums, int degree) {
  const std::size_t p = static_cast<std::size_t>(degree) + 1;
  std::vector<Extended> moment(2 * p - 1);
  for (std::size_t m = 0; m < moment.size(); ++m) moment[m] = to_extended(sums.chebyshev[m]);

  std::vector<Extended> gram(p * p);
  for (std::size_t j = 0; j < p; ++j) {
    for (std::size_t k = 0; k < p; ++k) {
      gram[j * p + k] = (moment[j + k] + moment[j > k ? j - k : k - j]) / 2;
    }
  }

  std::vector<Extended> factor(p * p, Extended(0));
  for (std::size_t k = 0; k < p; ++k) {
    Extended pivot = gram[k * p + k];
    for (std::size_t j = 0; j < k; ++j) pivot -= factor[k * p + j] * factor[k * p + j];
    if (!(pivot > kPivotFloor * gram[k * p + k])) return std::nullopt;
    factor[k * p + k] = sqrt(pivot);
    for (std::size_t i = k + 1; i < p; ++i) {
      Extended v = gram[i * p + k];
      for (std::size_t j = 0; j < k; ++j) v -= factor[i * p + j] * factor[k * p + j];
      factor[i * p + k] = v / factor[k * p + k];
    }
  }

  ChebyshevSolution solution;
  solution.inverse_factor.assign(p * p, Extended(0));
  for (std::size_t c = 0; c < p; ++c) {
    solution.inverse_factor[c * p + c] = 1 / factor[c * p + c];
    for (std::size_t r = c + 1; r < p; ++r) {
      Extended v = 0;
      for (std::size_t j = c; j < r; ++j) v -= factor[r * p + j] * solution.inverse_factor[j * p + c];
      solution.inverse_factor[r * p + c] = v / factor[r * p + r];
    }
  }

  // alpha = L^-T L^-1 b; G^-1 = L^-T L^-1 also gives the condition number.
  const std::vector<Extended>& inverse = solution.inverse_factor;
  std::vector<Extended> gram_inverse(p * p, Extended(0));
  for (std::size_t r = 0; r < p; ++r) {
    for (std::size_t c = 0; c < p; ++c) {
      Extended v = 0;
      for (std::size_t j = std::max(r, c); j < p; ++j) v += inverse[j * p + r] * inverse[j * p + c];
      gram_inverse[r * p + c] = v;
    }
  }
  solution.coefficients.assign(p, Extended(0));
  for (std::size_t r = 0; r < p; ++r) {
    for (std::size_t c = 0; c < p; ++c) {
      solution.coefficients[r] += gram_inverse[r * p + c] * to_extended(sums.response[c]);
    }
  }
  solution.mean = to_extended(sums.response[0]) / moment[0];
  solution.condition = static_cast<double>(one_norm(gram, p) * one_norm(gram_inverse, p));
  return solution;
}

std::vector<Extended> chebyshev_to_power(std::span<const Extended> alpha) {
  const std::size_t p = alpha.size();
  const std::vector<Extended> table = chebyshev_power_table(static_cast<int>(p) - 1);
  std::vector<Extended> beta(p, Extended(0));
  for (std::size_t j = 0; j < p; ++j) {
    for (std::size_t k = 0; k <= j; ++k) beta[k] += alpha[j] * table[j * p + k];
  }
  return beta;
}

std::vector<Extended> chebyshev_to_power_in_x(int degree, double center, int x_exponent) {
  const std::size_t p = static_cast<std::size_t>(degree) + 1;
  // t^j = 2^(-j e) sum_k binomial(j, k) x^k (-center)^(j - k)
  std::vector<Extended> power_of_t(p * p, Extended(0));  // row k (power of x), column j
  std::vector<Extended> binomial(p, Extended(0));
  binomial[0] = 1;
  Extended minus_center_power = 1;  // (-center)^(j - k), built per row below
  for (std::size_t j = 0; j < p; ++j) {
    if (j > 0) {
      for (std::size_t k = j; k > 0; --k) binomial[k] += binomial[k - 1];
    }
    const Extended scale = ldexp(Extended(1), -static_cast<int>(j) * x_exponent);
    minus_center_power = 1;
    for (std::size_t k = j + 1; k-- > 0;) {
      power_of_t[k * p + j] = binomial[k] * minus_center_power * scale;
      minus_center_power *= -Extended(center);
    }
  }
  const std::vector<Extended> table = chebyshev_power_table(degree);
  std::vector<Extended> c(p * p, Extended(0));
  for (std::size_t k = 0; k < p; ++k) {
    for (std::size_t i = 0; i < p; ++i) {
      Extended v = 0;
      for (std::size_t j = k; j <= i; ++j) v += power_of_t[k * p + j] * table[i * p + j];
      c[k * p + i] = v;
    }
  }
  return c;
}

DoubleDouble to_double_double(const Extended& v) {
  const double hi = static_cast<double>(v);
  return {hi, static_cast<double>(v - hi)};
}

}  // namespace polylsq::accurate
