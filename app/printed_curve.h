// The polynomial that a caller of the legacy run gets, its coefficients read back from the
// printed result file, against the accurate fit over the data's x range: where the two
// curves differ most and whether that is more than the data allow. Pure functions.
#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "accurate/polynomial_fit.h"

namespace polylsq::app {

struct CurveComparison {
  std::vector<double> printed_coefficients;  // as read back, constant term first
  double max_difference = 0.0;  // |printed - accurate| at at_x; infinity beyond the doubles
  double at_x = 0.0;
  double printed_value = 0.0;   // the printed polynomial at at_x
  double accurate_value = 0.0;  // the accurate fit at at_x
  double limit = 0.0;           // the larger of one residual SD and 1% of the range of y
  bool marked = false;          // max_difference > limit
};

// The number a printed field holds as a caller reads it back (" -.956" -> -0.956); nullopt
// for a field of asterisks or any other text that holds no number ("1#QNAN....").
std::optional<double> read_back(std::string_view field);

// Compares p(x) = sum_k printed[k] x^k with the accurate fit f over [x_low, x_high]
// (x_low <= x_high, finite): the largest |p - f| is sought at both ends and at every real
// root of (p - f)' between them where it changes sign, in 50-digit arithmetic, so at_x is
// the worst x to within the double nearest it. The limit is the larger of the fit's
// residual SD (0 when undefined) and 1% of y_range.
CurveComparison compare_printed_curve(std::span<const double> printed, const accurate::PolynomialFit& fit,
                                      double x_low, double x_high, double y_range);

// p(x) for the printed coefficients, in 50 digits and rounded to double: the curve a caller
// draws from the result file.
double printed_curve_value(std::span<const double> printed, double x);

}  // namespace polylsq::app
