// Exact rational least squares for the accuracy tests.
#include "tests/accurate/exact_least_squares.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <stdexcept>

namespace polylsq::accurate::testing {

Rational exact_rational(double v) {
  int exponent = 0;
  const double mantissa = std::frexp(v, &exponent);  // v = mantissa * 2^exponent
  const auto integer = static_cast<std::int64_t>(std::ldexp(mantissa, 53));
  exponent -= 53;
  Rational r(integer);
  const boost::multiprecision::cpp_int power = boost::multiprecision::cpp_int(1)
                                               << std::abs(exponent);
  if (exponent >= 0) {
    r *= power;
  } else {
    r /= power;
  }
  return r;
}

Float100 to_float(const Rational& v) {
  return Float100(boost::multiprecision::numerator(v)) /
         Float100(boost::multiprecision::denominator(v));
}

ExactFit exact_fit(std::span<const double> x, std::span<const double> y,
                   std::span<const double> w, int degree) {
  const std::size_t p = static_cast<std::size_t>(degree) + 1;
  const std::size_t columns = 2 * p + 1;  // [G | I | b]
  std::vector<Rational> m(p * columns);
  std::vector<Rational> power_sums(2 * p - 1);
  std::vector<Rational> moments_of_y(p);  // X'Wy
  Rational weight_sum = 0, wy_sum = 0, wyy_sum = 0;
  ExactFit fit;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const Rational wi = w.empty() ? Rational(1) : exact_rational(w[i]);
    if (wi == 0) continue;
    ++fit.n;
    const Rational xi = exact_rational(x[i]), yi = exact_rational(y[i]);
    Rational power = wi;
    for (std::size_t k = 0; k < power_sums.size(); ++k) {
      power_sums[k] += power;
      if (k < p) moments_of_y[k] += power * yi;
      power *= xi;
    }
    weight_sum += wi;
    wy_sum += wi * yi;
    wyy_sum += wi * yi * yi;
  }
  for (std::size_t r = 0; r < p; ++r) {
    for (std::size_t c = 0; c < p; ++c) m[r * columns + c] = power_sums[r + c];
    m[r * columns + p + r] = 1;
    m[r * columns + 2 * p] = moments_of_y[r];
  }
  for (std::size_t k = 0; k < p; ++k) {
    std::size_t pivot = k;
    while (pivot < p && m[pivot * columns + k] == 0) ++pivot;
    if (pivot == p) throw std::invalid_argument("the data do not determine the polynomial");
    for (std::size_t c = 0; c < columns; ++c) std::swap(m[k * columns + c], m[pivot * columns + c]);
    const Rational inverse_pivot = 1 / m[k * columns + k];
    for (std::size_t c = 0; c < columns; ++c) m[k * columns + c] *= inverse_pivot;
    for (std::size_t r = 0; r < p; ++r) {
      if (r == k || m[r * columns + k] == 0) continue;
      const Rational factor = m[r * columns + k];
      for (std::size_t c = k; c < columns; ++c) m[r * columns + c] -= factor * m[k * columns + c];
    }
  }
  // SSE = y'Wy - a'X'Wy and SSR = a'X'Wy - (sum w y)^2 / sum w, exact for the exact a.
  Rational fitted_dot = 0;
  for (std::size_t k = 0; k < p; ++k) {
    fit.coefficients.push_back(m[k * columns + 2 * p]);
    fitted_dot += fit.coefficients[k] * moments_of_y[k];
  }
  fit.error_ss = wyy_sum - fitted_dot;
  fit.regression_ss = fitted_dot - wy_sum * wy_sum / weight_sum;
  fit.error_df = fit.n - static_cast<std::int64_t>(p);
  const Rational total_ss = fit.error_ss + fit.regression_ss;
  if (total_ss > 0) fit.r_squared = to_float(fit.regression_ss / total_ss);
  if (fit.error_df > 0) {
    fit.residual_sd = sqrt(to_float(fit.error_ss / fit.error_df));
    for (std::size_t k = 0; k < p; ++k) {
      fit.standard_errors.push_back(*fit.residual_sd * sqrt(to_float(m[k * columns + p + k])));
    }
  }
  return fit;
}

double correct_digits(double estimate, const Float100& exact) {
  const Float100 error = abs(Float100(estimate) - exact);
  if (error == 0) return kDigitsCap;
  const Float100 relative = exact == 0 ? error : error / abs(exact);
  return std::min(kDigitsCap, static_cast<double>(-log10(relative)));
}

}  // namespace polylsq::accurate::testing
