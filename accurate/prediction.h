// The fitted polynomial of an accurate fit at any x: its value, accurate to about 30
// digits before the final rounding, and the standard error of that value with confidence
// and prediction intervals, all from the factorisation the fit keeps.
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "accurate/polynomial_fit.h"
#include "text/expected.h"

namespace polylsq::accurate {

// f(x) of the fit, rounded to double (plus or minus infinity when beyond the double range).
// x finite.
double evaluate(const PolynomialFit& fit, double x);

// evaluate() at every x of `x`, in order, under one floating-point environment: the same
// values, without saving and restoring the environment per value.
std::vector<double> evaluate_all(const PolynomialFit& fit, std::span<const double> x);

struct Interval {
  double lower = 0.0;
  double upper = 0.0;
};

struct Prediction {
  double fit = 0.0;  // f(x0)
  // sigma sqrt(phi(x0)^T (A^T W A)^-1 phi(x0)); 0 for an exact fit; undefined (with both
  // intervals) when the fit has no error degrees of freedom.
  std::optional<double> se_fit;
  std::optional<Interval> confidence;  // f(x0) -/+ q se_fit
  // f(x0) -/+ q sqrt(se_fit^2 + sigma^2): a new observation at x0 of weight 1, as R's
  // predict.lm assumes by default for a weighted fit.
  std::optional<Interval> prediction;
  // q: Student's t quantile at (1 + level) / 2 with error_df degrees of freedom; undefined
  // with se_fit.
  std::optional<double> quantile;
};

// The prediction at x0 for the two-sided confidence level (0.95 for 95 %). Errors: x0 not
// finite; level not strictly between 0 and 1; a value beyond the double range.
Expected<Prediction> predict(const PolynomialFit& fit, double x0, double level = 0.95);

}  // namespace polylsq::accurate
