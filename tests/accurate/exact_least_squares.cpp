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

namespace {

ExactFit fit_in_powers_about(std::span<const double> x, std::span<const double> y,
                             std::span<const double> w, int degree, const Rational& center) {
  const std::size_t p = static_cast<std::size_t>(degree) + 1;
  const std::size_t columns = 2 * p + 1;  // [G | I | b]
  std::vector<Rational> m(p * columns);
  std::vector<Rational> power_sums(2 * p - 1);
  std::vector<Rational> moments_of_y(p);  // X'Wy
  Rational weight_sum = 0, wy_sum = 0, wyy_sum = 0;
  ExactFit fit;
  fit.center = center;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const Rational wi = w.empty() ? Rational(1) : exact_rational(w[i]);
    if (wi == 0) continue;
    ++fit.n;
    const Rational xi = exact_rational(x[i]) - center, yi = exact_rational(y[i]);
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
  for (std::size_t r = 0; r < p; ++r) {
    for (std::size_t c = 0; c < p; ++c) fit.inverse_gram.push_back(m[r * columns + p + c]);
  }
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

}  // namespace

ExactFit exact_fit(std::span<const double> x, std::span<const double> y,
                   std::span<const double> w, int degree) {
  return fit_in_powers_about(x, y, w, degree, Rational(0));
}

ExactFit exact_fit_about_center(std::span<const double> x, std::span<const double> y,
                                std::span<const double> w, int degree) {
  std::optional<double> low, high;
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (!w.empty() && w[i] == 0) continue;
    if (!low || x[i] < *low) low = x[i];
    if (!high || x[i] > *high) high = x[i];
  }
  const Rational center = low ? (exact_rational(*low) + exact_rational(*high)) / 2 : Rational(0);
  return fit_in_powers_about(x, y, w, degree, center);
}

std::vector<RowFigures> row_figures(std::span<const double> x, std::span<const double> y,
                                    std::span<const double> w, const ExactFit& fit) {
  const std::size_t p = fit.coefficients.size();
  std::vector<Float100> coefficients, inverse;
  for (const Rational& a : fit.coefficients) coefficients.push_back(to_float(a));
  for (const Rational& g : fit.inverse_gram) inverse.push_back(to_float(g));
  std::vector<RowFigures> rows;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const Float100 wi = w.empty() ? Float100(1) : Float100(w[i]);
    if (wi == 0) continue;
    const Float100 xi = to_float(exact_rational(x[i]) - fit.center);
    std::vector<Float100> powers(p);
    Float100 fitted = 0, power = 1;
    for (std::size_t k = 0; k < p; ++k, power *= xi) {
      powers[k] = power;
      fitted += coefficients[k] * power;
    }
    Float100 quadratic = 0;
    for (std::size_t r = 0; r < p; ++r) {
      Float100 row = 0;
      for (std::size_t c = 0; c < p; ++c) row += inverse[r * p + c] * powers[c];
      quadratic += powers[r] * row;
    }
    rows.push_back({wi, Float100(y[i]) - fitted, wi * quadratic});
  }
  return rows;
}

std::vector<Float100> exact_covariance(const ExactFit& fit) {
  std::vector<Float100> covariance;
  if (fit.error_df <= 0) return covariance;
  const Float100 variance = to_float(fit.error_ss / fit.error_df);
  for (const Rational& g : fit.inverse_gram) covariance.push_back(variance * to_float(g));
  return covariance;
}

double covariance_digits(const std::vector<double>& estimate, const std::vector<Float100>& exact) {
  if (estimate.size() != exact.size()) return 0.0;
  std::size_t p = 0;
  while (p * p < exact.size()) ++p;
  double digits = kDigitsCap;
  for (std::size_t k = 0; k < p; ++k) {
    for (std::size_t l = 0; l < p; ++l) {
      const Float100& entry = exact[k * p + l];
      const Float100 scale = sqrt(exact[k * p + k] * exact[l * p + l]);
      const Float100 error = abs(Float100(estimate[k * p + l]) - entry);
      if (error == 0) continue;
      const Float100 against = abs(entry) >= scale * Float100("1e-6") ? abs(entry) : scale;
      if (against == 0) return 0.0;
      digits = std::min(digits, static_cast<double>(-log10(error / against)));
    }
  }
  return std::max(digits, 0.0);
}

double correct_digits(double estimate, const Float100& exact) {
  const Float100 error = abs(Float100(estimate) - exact);
  if (error == 0) return kDigitsCap;
  const Float100 relative = exact == 0 ? error : error / abs(exact);
  return std::min(kDigitsCap, static_cast<double>(-log10(relative)));
}

}  // namespace polylsq::accurate::testing
