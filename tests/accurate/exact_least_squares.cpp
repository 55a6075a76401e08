// Exact least squares for the accuracy tests.
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

using Integer = boost::multiprecision::cpp_int;

// The power of two d with v d an integer (v dyadic, as every double is: the reduced
// denominator).
Integer dyadic_denominator(const Rational& v) { return boost::multiprecision::denominator(v); }

// Fraction-free Gauss-Jordan elimination (Bareiss) of m, p rows of `columns` integers whose
// first p columns hold a positive definite matrix: every division is exact, and at the end
// row i holds d_i times the reduced row, d_i = m(i, i).
void eliminate_fraction_free(std::vector<Integer>& m, std::size_t p, std::size_t columns) {
  Integer previous = 1;
  for (std::size_t k = 0; k < p; ++k) {
    const Integer pivot = m[k * columns + k];
    if (pivot == 0) throw std::invalid_argument("the data do not determine the polynomial");
    for (std::size_t r = 0; r < p; ++r) {
      if (r == k) continue;
      const Integer factor = m[r * columns + k];
      for (std::size_t c = 0; c < columns; ++c) {
        if (c == k) continue;
        m[r * columns + c] = (pivot * m[r * columns + c] - factor * m[k * columns + c]) / previous;
      }
      m[r * columns + k] = 0;
    }
    previous = pivot;
  }
}

// The normal equations in integers: x - center, y and w scaled by the powers of two
// dx, dy, dw that make every used value an integer X, Y, W; then
// sum w (x - c)^m = sum W X^m / (dw dx^m), and the coefficient of (x - c)^k is
// a_k = a'_k dx^k / dy for the solution a' of the integer system.
ExactFit fit_in_powers_about(std::span<const double> x, std::span<const double> y,
                             std::span<const double> w, int degree, const Rational& center) {
  const std::size_t p = static_cast<std::size_t>(degree) + 1;
  std::vector<Rational> xs, ys, ws;
  Integer dx = 1, dy = 1, dw = 1;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const Rational wi = w.empty() ? Rational(1) : exact_rational(w[i]);
    if (wi == 0) continue;
    xs.push_back(exact_rational(x[i]) - center);
    ys.push_back(exact_rational(y[i]));
    ws.push_back(wi);
    dx = std::max(dx, dyadic_denominator(xs.back()));
    dy = std::max(dy, dyadic_denominator(ys.back()));
    dw = std::max(dw, dyadic_denominator(wi));
  }
  const std::size_t columns = 2 * p + 1;  // [G | I | b]
  std::vector<Integer> m(p * columns), power_sums(2 * p - 1), moments_of_y(p);
  Integer weight_sum = 0, wy_sum = 0, wyy_sum = 0;
  for (std::size_t i = 0; i < xs.size(); ++i) {
    const Integer xi = boost::multiprecision::numerator(Rational(xs[i] * dx));
    const Integer yi = boost::multiprecision::numerator(Rational(ys[i] * dy));
    const Integer wi = boost::multiprecision::numerator(Rational(ws[i] * dw));
    Integer power = wi;
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
  eliminate_fraction_free(m, p, columns);

  ExactFit fit;
  fit.center = center;
  fit.n = static_cast<std::int64_t>(xs.size());
  std::vector<Integer> dx_power(p, Integer(1));
  for (std::size_t k = 1; k < p; ++k) dx_power[k] = dx_power[k - 1] * dx;
  // (X'WX)^-1 (j, k) = dw dx^j dx^k G'^-1 (j, k); a_k = a'_k dx^k / dy.
  Rational scaled_fitted_dot = 0;  // a' . b' = a'X'Wy in the integer units, dw dy^2 times
  for (std::size_t r = 0; r < p; ++r) {
    const Rational diagonal(m[r * columns + r]);
    for (std::size_t c = 0; c < p; ++c) {
      fit.inverse_gram.push_back(Rational(m[r * columns + p + c]) / diagonal * dw *
                                 dx_power[r] * dx_power[c]);
    }
    const Rational scaled_coefficient = Rational(m[r * columns + 2 * p]) / diagonal;
    fit.coefficients.push_back(scaled_coefficient * dx_power[r] / dy);
    scaled_fitted_dot += scaled_coefficient * moments_of_y[r];
  }
  // SSE = y'Wy - a'X'Wy and SSR = a'X'Wy - (sum w y)^2 / sum w, exact for the exact a.
  const Rational units = Rational(dw) * dy * dy;
  const Rational fitted_dot = scaled_fitted_dot / units;
  fit.error_ss = Rational(wyy_sum) / units - fitted_dot;
  fit.regression_ss = fitted_dot - Rational(wy_sum) * wy_sum / weight_sum / units;
  fit.error_df = fit.n - static_cast<std::int64_t>(p);
  const Rational total_ss = fit.error_ss + fit.regression_ss;
  if (total_ss > 0) fit.r_squared = to_float(fit.regression_ss / total_ss);
  if (fit.error_df > 0) {
    fit.residual_sd = sqrt(to_float(fit.error_ss / fit.error_df));
    for (std::size_t k = 0; k < p; ++k) {
      fit.standard_errors.push_back(*fit.residual_sd * sqrt(to_float(fit.inverse_gram[k * p + k])));
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
