// The degree table: the checks, the moment pass of the highest degree, a solve per degree,
// the table pass, the rows of high leverage in 50 digits, and the rows themselves, each
// degree's statistics through the same stages as fit_polynomial.
#include "accurate/degree_table.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <new>

#include "accurate/degree_criteria.h"
#include "accurate/fit_limits.h"
#include "accurate/fit_stages.h"
#include "accurate/fp_guard.h"
#include "accurate/leave_one_out.h"
#include "text/message_text.h"

namespace polylsq::accurate {
namespace {

Extended to_extended(DoubleDouble v) { return Extended(v.hi) + Extended(v.lo); }

// The highest degree of the table: the default, or the one asked for, at most the default.
int highest_degree(std::int64_t used, int distinct, std::optional<int> requested,
                   std::vector<std::string>& warnings) {
  const std::int64_t allowed = std::min<std::int64_t>({kMaxDegree, distinct - 1, used - 2});
  const int top = static_cast<int>(std::max<std::int64_t>(allowed, 0));
  if (!requested) return top;
  if (*requested > top) {
    warnings.push_back("a maximum degree of " + std::to_string(*requested) +
                       " was asked for; the table ends at degree " + std::to_string(top) +
                       ", the least of " + std::to_string(kMaxDegree) +
                       ", the distinct x values less 1 and the observations less 2");
    return top;
  }
  return *requested;
}

// The solutions of degrees 0..top, ending before the first degree the moments do not
// determine (with a warning).
std::vector<ChebyshevSolution> solve_degrees(const MomentSums& sums, int top,
                                             std::vector<std::string>& warnings) {
  std::vector<ChebyshevSolution> solutions;
  for (int k = 0; k <= top; ++k) {
    std::optional<ChebyshevSolution> solution = solve_chebyshev(sums, k);
    if (!solution) {
      warnings.push_back(ill_conditioned_error(k).message + ": the table ends at degree " +
                         std::to_string(k - 1));
      break;
    }
    solutions.push_back(std::move(*solution));
  }
  return solutions;
}

// c = L^-1 b of the highest degree: f_k = sum_{j<=k} c_j z_j with z = L^-1 phi(t).
std::vector<Extended> fourier_coefficients(const ChebyshevSolution& solution,
                                           const MomentSums& sums) {
  const std::size_t p = solution.coefficients.size();
  std::vector<Extended> c(p, Extended(0));
  for (std::size_t r = 0; r < p; ++r) {
    for (std::size_t j = 0; j <= r; ++j) {
      c[r] += solution.inverse_factor[r * p + j] * to_extended(sums.response[j]);
    }
  }
  return c;
}

// The scaled fits of every degree: the highest from the table pass's sums (the bits of
// fit_polynomial's second pass), each lower one by the orthogonal decomposition
// SSE_k = SSE_N + sum_{j>k} c_j^2, SSR_k = sum_{1<=j<=k} c_j^2.
std::vector<ScaledFit> scaled_fits(const CheckedInput& checked, const MomentSums& sums,
                                   const std::vector<ChebyshevSolution>& solutions,
                                   const std::vector<Extended>& c, const SquareSums& squares) {
  const int top = static_cast<int>(solutions.size()) - 1;
  std::vector<ScaledFit> fits;
  for (int k = 0; k <= top; ++k) {
    if (checked.constant_y) {
      fits.push_back(constant_fit(checked, solutions[k]));
      continue;
    }
    Extended error_ss = to_extended(squares.residual), regression_ss = 0;
    if (k == top) {
      regression_ss = to_extended(squares.fitted);
    } else {
      for (int j = k + 1; j <= top; ++j) error_ss += c[j] * c[j];
      for (int j = 1; j <= k; ++j) regression_ss += c[j] * c[j];
    }
    fits.push_back(fit_with_squares(checked, sums, solutions[k], k, error_ss, regression_ss));
  }
  return fits;
}

Extended sum_log_weights(const Observations& data) {
  DoubleDouble sum;
  for (const double w : data.w) {
    if (w > 0.0) sum = add(sum, std::log(w));
  }
  return to_extended(sum);
}

// What a degree's row needs besides its fit.
struct RowInputs {
  std::int64_t n = 0;
  Extended sum_log_weights;
  int ss_exponent = 0;  // scaled sums of squares times 2^ss_exponent are in units of w y^2
};

DegreeRow make_row(const PolynomialFit& fit, const ScaledFit& scaled, const Extended& press,
                   bool unit_leverage, const RowInputs& in) {
  DegreeRow row;
  row.degree = fit.degree;
  row.error_df = fit.anova.error_df;
  row.error_sum_of_squares = fit.anova.error_sum_of_squares;
  row.exact = fit.exact;
  row.residual_sd = fit.residual_sd;
  row.r_squared = fit.r_squared;
  row.adjusted_r_squared = fit.adjusted_r_squared;
  const InformationCriteria criteria = information_criteria(
      in.n, in.sum_log_weights, ldexp(scaled.error_ss, in.ss_exponent), fit.degree + 1);
  row.aic = criteria.aic;
  row.aicc = criteria.aicc;
  row.bic = criteria.bic;
  if (!unit_leverage) {
    const Extended rmse = fit.exact ? Extended(0) : sqrt(ldexp(press, in.ss_exponent) / in.n);
    if (rmse <= Extended(DBL_MAX)) row.loocv_rmse = static_cast<double>(rmse);
  }
  if (fit.degree > 0 && fit.t_values[fit.degree]) {
    const double t = *fit.t_values[fit.degree];
    row.f_value = t * t;
    row.f_p_value = fit.p_values[fit.degree];
  }
  return row;
}

// The warnings of the fits of every degree: a text every degree gives once as it is, the
// others after the degree they belong to (unless the text names it already).
void add_fit_warnings(const std::vector<PolynomialFit>& fits, std::vector<std::string>& out) {
  auto everywhere = [&](const std::string& text) {
    return std::all_of(fits.begin(), fits.end(), [&](const PolynomialFit& fit) {
      return std::find(fit.warnings.begin(), fit.warnings.end(), text) != fit.warnings.end();
    });
  };
  for (const PolynomialFit& fit : fits) {
    const std::string degree = "degree " + std::to_string(fit.degree);
    for (const std::string& text : fit.warnings) {
      if (!everywhere(text)) {
        const bool names_its_degree = text.starts_with(degree + " ");
        out.push_back(names_its_degree ? text : degree + ": " + text);
      } else if (fit.degree == 0) {
        out.push_back(text);
      }
    }
  }
}

// The table's own warnings on a row's undefined values.
void add_row_warnings(const DegreeTable& table, const DegreeRow& row,
                      std::optional<std::size_t> unit_leverage_row,
                      std::vector<std::string>& out) {
  const std::string degree = "degree " + std::to_string(row.degree) + ": ";
  if (row.exact) {
    std::string text = degree + "the fit is exact: AIC, AICc and BIC are undefined (minus "
                                "infinity; they rank before any value)";
    if (row.degree > 0) {
      const bool significant = !table.rows[row.degree - 1].exact;
      text += ", and so is the F test of its added term (counted as " +
              std::string(significant ? "significant" : "not significant") + ")";
    }
    out.push_back(text);
  } else if (row.error_df <= 2) {
    out.push_back(degree + "AICc is undefined: it needs more than " +
                  std::to_string(row.degree + 3) + " observations");
  }
  if (unit_leverage_row) {
    out.push_back(degree + "the leave-one-out RMSE is undefined: observation " +
                  std::to_string(*unit_leverage_row + 1) + " has leverage 1");
  } else if (!row.loocv_rmse) {
    out.push_back(degree + "the leave-one-out RMSE does not fit in a double");
  }
}

// The checks of a degree table's input: a maximum degree of 0 or more, the data as a fit
// checks them, at least 2 observations (of positive weight).
Expected<CheckedInput> check_table_input(const Observations& data, std::optional<int> requested) {
  if (requested && *requested < 0) {
    return Error{ErrorKind::kDegreeOutOfRange,
                 "the maximum degree must be an integer from 0 to " + std::to_string(kMaxDegree) + " (it is " +
                     std::to_string(*requested) + ")",
                 {}};
  }
  Expected<CheckedInput> checked = check_input(data, 0);
  if (!checked && checked.error().kind != ErrorKind::kTooFewObservations) return checked.error();
  const std::int64_t used = checked ? checked->used : 0;
  if (used < 2) {
    return Error{ErrorKind::kTooFewObservations,
                 text::counted(static_cast<std::uint64_t>(used), "observation") +
                     (data.w.empty() ? "" : " of positive weight") +
                     " cannot make a degree table: at least 2 are needed",
                 {}};
  }
  return checked;
}

Expected<DegreeTable> table_guarded(const Observations& data, std::optional<int> requested) {
  const Expected<CheckedInput> checked_or = check_table_input(data, requested);
  if (!checked_or) return checked_or.error();
  const CheckedInput& checked = *checked_or;
  DegreeTable table;
  table.n = checked.used;
  table.zero_weight_count = checked.zero_weights;
  table.weighted = !data.w.empty();
  const int distinct = count_distinct_x(data, kMaxCoefficients + 1);
  const int asked = highest_degree(checked.used, distinct, requested, table.warnings);
  const MomentSums sums = sum_moments(data, checked.scaling, asked);
  const std::vector<ChebyshevSolution> solutions = solve_degrees(sums, asked, table.warnings);
  const int top = static_cast<int>(solutions.size()) - 1;
  const std::vector<Extended> c = fourier_coefficients(solutions[top], sums);
  SquareSums squares;
  const DeletedResiduals deleted =
      deleted_residuals(data, checked, solutions[top], sums, c, top == distinct - 1, squares);
  const std::vector<ScaledFit> scaled = scaled_fits(checked, sums, solutions, c, squares);

  const RowInputs inputs{checked.used, sum_log_weights(data),
                         checked.scaling.w_exponent + 2 * checked.scaling.y_exponent};
  std::vector<PolynomialFit> fits;
  std::vector<std::string> row_warnings;
  for (int k = 0; k <= top; ++k) {
    Expected<PolynomialFit> fit = assemble_fit(checked, table.weighted, solutions[k], scaled[k], k);
    if (!fit) {
      if (k == 0) return fit.error();
      table.warnings.push_back("degree " + std::to_string(k) + ": " + fit.error().message +
                               ": the table ends at degree " + std::to_string(k - 1));
      break;
    }
    table.rows.push_back(make_row(*fit, scaled[k], deleted.press[k],
                                  deleted.unit_leverage_row[k].has_value(), inputs));
    add_row_warnings(table, table.rows.back(), deleted.unit_leverage_row[k], row_warnings);
    if (!deleted.unit_leverage_row[k] && !fit->exact) {
      if (auto text = leverage_warning(k, deleted.closest_to_one[k])) row_warnings.push_back(*text);
    }
    fits.push_back(std::move(*fit));
  }
  add_fit_warnings(fits, table.warnings);
  table.warnings.insert(table.warnings.end(), row_warnings.begin(), row_warnings.end());
  table.recommended = recommend_degrees(table.rows);
  return table;
}

}  // namespace

int recommended_degree(const RecommendedDegrees& recommended, DegreeCriterion criterion) {
  switch (criterion) {
    case DegreeCriterion::kBic: return recommended.bic;
    case DegreeCriterion::kAic: return recommended.aic;
    case DegreeCriterion::kAicc: return recommended.aicc;
    case DegreeCriterion::kLoocv: return recommended.loocv;
    case DegreeCriterion::kFtest: return recommended.ftest;
  }
  return recommended.bic;
}

Expected<DegreeTable> degree_table(std::span<const double> x, std::span<const double> y,
                                   std::span<const double> w, std::optional<int> max_degree) {
  FloatingPointGuard guard;
  try {
    return table_guarded(Observations{x, y, w}, max_degree);
  } catch (const std::bad_alloc&) {
    return Error{ErrorKind::kOutOfMemory, "not enough memory for the degree table", {}};
  }
}

}  // namespace polylsq::accurate
