// The reference of the accuracy tests: the exact least-squares solution of data held in
// doubles, from the doubles converted exactly (normal equations in the power basis of x,
// in integers after exact power-of-two scalings, fraction-free Gauss-Jordan elimination,
// rational results), with the statistics derived in 100-digit floating point. Independent
// of the engine: no Chebyshev basis, no double-double, no rounding before the statistics.
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
  Rational center = 0;                 // the basis is the powers of (x - center)
  std::vector<Rational> coefficients;  // ascending powers of x - center
  std::vector<Rational> inverse_gram;  // (X^T W X)^-1, p x p row-major, in that basis
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

// The same least-squares problem in powers of (x - c), c the midpoint of the used x (an
// exact change of basis): the same fitted values, sums of squares, statistics and
// leverages; the coefficients those of the powers of x - c. Its leverages in 100 digits
// keep far more digits than those of the raw powers, whose Gram matrix for x near 1e4
// and degree 10 has a condition number near 1e90.
ExactFit exact_fit_about_center(std::span<const double> x, std::span<const double> y,
                                std::span<const double> w, int degree);

// The residual y - f(x) and the leverage h = w v^T (X^T W X)^-1 v, v the powers of
// x - fit.center up to the degree, of each observation of positive weight (in order), from
// the exact solution in 100-digit arithmetic (rational arithmetic takes minutes on the
// hard families; with fit from exact_fit_about_center the cancellation costs at most about
// 40 of the 100 digits there).
struct RowFigures {
  Float100 weight;
  Float100 residual;
  Float100 leverage;
};
std::vector<RowFigures> row_figures(std::span<const double> x, std::span<const double> y,
                                    std::span<const double> w, const ExactFit& fit);

// A leverage within this of 1 is 1: the 100-digit rounding of a leverage that is exactly 1
// is far below it, and the leverages of the data sets tested stay far above 1 - it.
inline const Float100 kUnitLeverageGap("1e-60");

// The covariance matrix SSE / error_df (X^T W X)^-1, p x p row-major (in the fit's basis);
// empty when error_df == 0.
std::vector<Float100> exact_covariance(const ExactFit& fit);

// Correct digits of a covariance matrix, the minimum over its entries: relative where an
// entry is at least 1e-6 of sqrt(cov_kk cov_ll), else its error against that scale (the
// entry is then a correlation near 0, whose absolute error is what matters); capped at
// kDigitsCap, and kDigitsCap where both matrices are 0.
double covariance_digits(const std::vector<double>& estimate, const std::vector<Float100>& exact);

// Correct significant digits of estimate against exact: -log10(|estimate - exact| / |exact|),
// or -log10(|estimate - exact|) where exact is 0; capped at kDigitsCap.
double correct_digits(double estimate, const Float100& exact);
inline constexpr double kDigitsCap = 16.0;

Float100 to_float(const Rational& v);

}  // namespace polylsq::accurate::testing
