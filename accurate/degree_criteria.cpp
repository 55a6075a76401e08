// AIC, AICc and BIC in 50 digits, and the recommendation rules.
#include "accurate/degree_criteria.h"

#include <boost/math/constants/constants.hpp>
#include <cfloat>
#include <cstddef>
#include <limits>

namespace polylsq::accurate {
namespace {

std::optional<double> in_range(const Extended& v) {
  if (abs(v) > Extended(DBL_MAX)) return std::nullopt;
  return static_cast<double>(v);
}

// The value a likelihood criterion ranks by: an exact fit's undefined value as minus
// infinity, another undefined value as absent.
std::optional<double> likelihood_rank(const DegreeRow& row, const std::optional<double>& value) {
  if (value) return value;
  if (row.exact) return -std::numeric_limits<double>::infinity();
  return std::nullopt;
}

// The lowest degree of smallest rank among those with one.
template <class Rank>
int smallest(std::span<const DegreeRow> rows, Rank rank) {
  int best = 0;
  std::optional<double> best_value;
  for (const DegreeRow& row : rows) {
    const std::optional<double> value = rank(row);
    if (value && (!best_value || *value < *best_value)) {
      best = row.degree;
      best_value = value;
    }
  }
  return best;
}

// The added term of rows[k] is significant: p < kFTestLevel, or an exact fit above a fit
// that is not.
bool term_is_significant(std::span<const DegreeRow> rows, std::size_t k) {
  if (rows[k].f_p_value) return *rows[k].f_p_value < kFTestLevel;
  return rows[k].exact && !rows[k - 1].exact;
}

}  // namespace

InformationCriteria information_criteria(std::int64_t n, const Extended& sum_log_weights,
                                         const Extended& error_ss, int coefficients) {
  InformationCriteria criteria;
  if (!(error_ss > 0)) return criteria;
  const Extended count(n);
  const Extended two_pi = 2 * boost::math::constants::pi<Extended>();
  const Extended minus_two_log_likelihood =
      count * (log(two_pi) + 1 - log(count) + log(error_ss)) - sum_log_weights;
  const Extended parameters(coefficients + 1);
  const Extended aic = minus_two_log_likelihood + 2 * parameters;
  criteria.aic = in_range(aic);
  criteria.bic = in_range(minus_two_log_likelihood + log(count) * parameters);
  if (count - parameters - 1 > 0) {
    criteria.aicc =
        in_range(aic + 2 * parameters * (parameters + 1) / (count - parameters - 1));
  }
  return criteria;
}

RecommendedDegrees recommend_degrees(std::span<const DegreeRow> rows) {
  RecommendedDegrees recommended;
  recommended.aic = smallest(rows, [](const DegreeRow& r) { return likelihood_rank(r, r.aic); });
  recommended.aicc = smallest(rows, [](const DegreeRow& r) {
    // n - k - 1 = error_df - 2 must be positive for AICc to exist at all.
    return r.error_df > 2 ? likelihood_rank(r, r.aicc) : std::nullopt;
  });
  recommended.bic = smallest(rows, [](const DegreeRow& r) { return likelihood_rank(r, r.bic); });
  recommended.loocv = smallest(rows, [](const DegreeRow& r) { return r.loocv_rmse; });
  for (std::size_t k = 1; k < rows.size() && term_is_significant(rows, k); ++k) {
    recommended.ftest = static_cast<int>(k);
  }
  return recommended;
}

}  // namespace polylsq::accurate
