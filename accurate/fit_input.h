// Checks of the accurate fit's input, in their order, each failure an Error with its
// message; and the exact scalings chosen from the observations that are used (those of
// positive weight).
#pragma once

#include <cstdint>
#include <optional>

#include "accurate/data_sums.h"
#include "text/expected.h"

namespace polylsq::accurate {

struct CheckedInput {
  DataScaling scaling;
  std::int64_t used = 0;          // observations with positive weight (all when unweighted)
  std::int64_t zero_weights = 0;  // observations of weight 0
  std::optional<double> constant_y;  // the y of every used observation, when all are equal
};

// The checks, first failure wins: degree in 0..kMaxDegree; y (and w) as long as x; every x,
// y, w finite and every w >= 0, the first offending observation in index order (x before
// y before w within one); at least degree + 1 used observations; for degree >= 1 not all
// used x equal; at least degree + 1 distinct used x.
Expected<CheckedInput> check_input(const Observations& data, int degree);

// The number of distinct x among the used observations, counted up to limit (at most
// kMaxCoefficients + 1).
int count_distinct_x(const Observations& data, int limit);

}  // namespace polylsq::accurate
