// The stages of fit_polynomial after the checks, shared with the degree table so that both
// turn sums into statistics through the same code: the centred polynomial the second pass
// evaluates, the scaled fit from the second-pass sums (the exact-fit rule included), and
// the statistics and power series of a PolynomialFit. Internal to the accurate fit.
#pragma once

#include <vector>

#include "accurate/chebyshev_system.h"
#include "accurate/data_sums.h"
#include "text/expected.h"
#include "accurate/fit_input.h"
#include "accurate/polynomial_fit.h"

namespace polylsq::accurate {

// Relative error bound of the Chebyshev moments (double-double terms up to T_20, summed
// in double-double); with the condition number of the normal equations it estimates the
// digits the figures of a fit may lose.
inline constexpr double kMomentPrecision = 0x1p-96;

// Digits below which the ill-conditioning warnings are given.
inline constexpr double kWarnBelowDigits = 12.0;

// The fitted polynomial and the quantities of the fit in the scaled units of the passes.
struct ScaledFit {
  std::vector<Extended> chebyshev;  // alpha
  Extended mean;
  Extended regression_ss;
  Extended error_ss;
  Extended weight_sum;  // sum of the weights (n unweighted); unset for constant y
  bool exact = false;
};

// The error of a degree whose moments do not determine the polynomial (a Cholesky pivot
// below the floor).
Error ill_conditioned_error(int degree);

// The power-series coefficients in t of f(t) - mean, in double-double, for the second pass.
std::vector<DoubleDouble> centred_power_series(const ChebyshevSolution& solution);

// The exact fit of constant y (checked.constant_y set): the constant, no second pass.
ScaledFit constant_fit(const CheckedInput& checked, const ChebyshevSolution& solution);

// The fit from its solution and its scaled sums of squares (error_ss = sum w r^2,
// regression_ss = sum w (f - mean)^2, ignored for degree 0); error_ss becomes exactly 0 when
// the residuals are rounding of the fit itself or there are as many observations as
// coefficients.
ScaledFit fit_with_squares(const CheckedInput& checked, const MomentSums& sums,
                           const ChebyshevSolution& solution, int degree, Extended error_ss,
                           Extended regression_ss);

// The PolynomialFit of a scaled fit: statistics, power series in x with standard errors
// and covariance, basis, warnings. Errors: a reported value beyond the double range.
Expected<PolynomialFit> assemble_fit(const CheckedInput& checked, bool weighted,
                                     const ChebyshevSolution& solution,
                                     const ScaledFit& scaled, int degree);

}  // namespace polylsq::accurate
