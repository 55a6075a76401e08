// What numpy.polyfit reports of its design matrix, recovered from an accurate fit without
// another pass over the data: the singular values of the column-scaled weighted Vandermonde
// matrix and the unscaled covariance (V^T W V)^-1 of the power-series coefficients. Both
// come from the factor U (FitBasis::covariance_factor) of the Chebyshev normal equations and the exact change of
// basis C from Chebyshev series in t to power series in x: (V^T W V)^-1 = C U^T U C^T.
#pragma once

#include <vector>

#include "accurate/polynomial_fit.h"

namespace polylsq::python {

// Singular values, largest first, of V W^(1/2) D^-1: row i of V is (x_i^p-1 ... x_i 1),
// W the fit's weights and D the Euclidean norms of the columns of V W^(1/2). Their
// order does not depend on the order of the columns.
std::vector<double> scaled_singular_values(const accurate::FitBasis& basis, int degree);

// (V^T W V)^-1 for the power-series coefficients in ascending powers, p x p, row-major;
// entry (k, l) for x^k and x^l. Does not depend on y, and exists for an exact fit too.
std::vector<double> unscaled_covariance(const accurate::FitBasis& basis, int degree);

}  // namespace polylsq::python
