// The reference of the accuracy tests: the exact least-squares solution of data held in
// doubles, solved in rational arithmetic from the doubles converted exactly (normal
// equations in the power basis of x, Gauss-Jordan elimination), with the statistics
// derived in 100-digit floating point. Independent of the engine: no scaling, no
// Chebyshev basis, no double-double.
#pragma once

#include <boost/multiprecision/cpp_bin_float.hpp>
#include <boost/multiprecision/cpp_int.hpp>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace polylsq::accurate::testing {

using Rational = boost::multiprecision::cpp_rational;
using Float100 = boost::multiprecision::cpp_bin_float_100;

// The value of a finite double, exactly.
Rational exact_rational(double v);

struct ExactFit {
  std::vector<Rational> coefficients;  // ascending powers of x
  Rational error_ss;                   // sum w (y - f(x))^2
  Rational regression_ss;              // sum w (f(x) - mean)^2
  std::int64_t n = 0;                  // observations of positive weight
  std::int64_t error_df = 0;
  // 100-digit statistics (undefined as in the engine's contract).
  std::vector<Float100> standard_errors;  // empty when error_df == 0
  std::optional<Float100> residual_sd;
  std::optional<Float100> r_squared;
};

// x, y (and w: empty for weight 1) finite, w >= 0; the data must determine the polynomial.
ExactFit exact_fit(std::span<const double> x, std::span<const double> y,
                   std::span<const double> w, int degree);

// Correct significant digits of estimate against exact: -log10(|estimate - exact| / |exact|),
// or -log10(|estimate - exact|) where exact is 0; capped at kDigitsCap.
double correct_digits(double estimate, const Float100& exact);
inline constexpr double kDigitsCap = 16.0;

Float100 to_float(const Rational& v);

}  // namespace polylsq::accurate::testing
