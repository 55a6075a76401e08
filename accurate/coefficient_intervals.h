// Confidence intervals of the coefficients of an accurate fit, as R's confint gives them for
// lm: each coefficient -/+ q times its standard error, q Student's t quantile at
// (1 + level) / 2 with error_df degrees of freedom. Runs under its own floating-point
// environment.
#pragma once

#include <vector>

#include "text/expected.h"
#include "accurate/polynomial_fit.h"
#include "accurate/prediction.h"

namespace polylsq::accurate {

// One interval per coefficient, ascending powers of x; empty when the standard errors are
// undefined (error_df == 0). An exact fit's intervals have width 0. Errors: level not
// strictly between 0 and 1; a bound beyond the double range. Each bound is rounded once
// from 50 digits.
Expected<std::vector<Interval>> coefficient_intervals(const PolynomialFit& fit,
                                                      double level = 0.95);

}  // namespace polylsq::accurate
