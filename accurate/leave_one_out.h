// The deleted (leave-one-out) residuals of every degree of the degree table: the table pass
// over the data, with the orthonormal values in double or double-double as the spread of x
// requires, and the rows of high leverage redone in 50 digits; leverage exactly 1 found
// from the x values themselves. Internal to the accurate fit.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "accurate/chebyshev_system.h"
#include "accurate/data_sums.h"
#include "accurate/fit_input.h"

namespace polylsq::accurate {

// Per degree k = 0..N, in the scaled units of the passes.
struct DeletedResiduals {
  std::vector<Extended> press;  // sum w (r_k / (1 - h_k))^2 over the rows of leverage < 1
  std::vector<std::optional<std::size_t>> unit_leverage_row;  // the first row with h_k = 1
  // The row of high leverage whose 1 - h_k is smallest, with that 1 - h_k.
  std::vector<std::optional<std::pair<std::size_t, Extended>>> closest_to_one;
};

// top: the solution of the highest degree N; c = L^-1 b of it, f_k = sum_{j<=k} c_j z_j.
// interpolating: N is the number of distinct x less 1 (a row whose x occurs once then has
// leverage 1 at N). squares receives the table pass's sums of degree N (left alone for
// constant y, whose residuals are all 0 and which needs no pass).
DeletedResiduals deleted_residuals(const Observations& data, const CheckedInput& checked,
                                   const ChebyshevSolution& top, const MomentSums& sums,
                                   const std::vector<Extended>& c, bool interpolating,
                                   SquareSums& squares);

// The warning that degree's leave-one-out RMSE may have fewer than kWarnBelowDigits
// digits, when the leverage of its closest row is that near 1.
std::optional<std::string> leverage_warning(
    int degree, const std::optional<std::pair<std::size_t, Extended>>& closest);

}  // namespace polylsq::accurate
