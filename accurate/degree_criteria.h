// The information criteria of the degree table from a fit's error sum of squares, as R's
// AIC, BIC and logLik.lm give them for lm, and the rules that recommend a degree from the
// table's rows. Internal to the accurate fit.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "accurate/chebyshev_system.h"
#include "accurate/degree_table.h"

namespace polylsq::accurate {

struct InformationCriteria {
  std::optional<double> aic;
  std::optional<double> aicc;
  std::optional<double> bic;
};

// n >= 1 observations of positive weight, sum_log_weights = sum log w over them (0 when
// unweighted), error_ss = sum w r^2 >= 0, coefficients p >= 1. All three undefined when
// error_ss is 0, AICc also when n - (p + 1) - 1 <= 0; a value beyond the double range is
// undefined too.
InformationCriteria information_criteria(std::int64_t n, const Extended& sum_log_weights,
                                         const Extended& error_ss, int coefficients);

// The recommended degrees of rows (degrees 0, 1, ... in order), as RecommendedDegrees
// describes them.
RecommendedDegrees recommend_degrees(std::span<const DegreeRow> rows);

}  // namespace polylsq::accurate
