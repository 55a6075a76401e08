// The degree table: the checks, the moment pass of the highest degree, a solve per degree,
// the table pass, the rows of high leverage in 50 digits, and the rows themselves, each
// degree's statistics through the same stages as fit_polynomial.
#include "accurate/degree_table.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <new>
#include <sstream>
#include <utility>

#include "accurate/degree_criteria.h"
#include "accurate/fit_limits.h"
#include "accurate/fit_stages.h"
#include "accurate/fp_guard.h"

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

// For a table that ends at degree distinct - 1, where the fit interpolates the weighted
// mean at each distinct x: the x values of a single used observation (whose leverage is
// then exactly 1) and the first such observation.
struct LoneAbscissas {
  std::vector<double> values;
  std::optional<std::size_t> first_row;
};

LoneAbscissas lone_abscissas(const Observations& data) {
  std::vector<double> values;
  std::vector<int> counts;
  std::vector<std::size_t> rows;
  for (std::size_t i = 0; i < data.x.size(); ++i) {
    if (!data.w.empty() && !(data.w[i] > 0.0)) continue;
    const auto at = std::find(values.begin(), values.end(), data.x[i]);
    if (at == values.end()) {
      values.push_back(data.x[i]);
      counts.push_back(1);
      rows.push_back(i);
    } else {
      ++counts[static_cast<std::size_t>(at - values.begin())];
    }
  }
  LoneAbscissas lone;
  for (std::size_t v = 0; v < values.size(); ++v) {
    if (counts[v] != 1) continue;
    lone.values.push_back(values[v]);
    if (!lone.first_row || rows[v] < *lone.first_row) lone.first_row = rows[v];
  }
  return lone;
}

// Scaled PRESS of every degree; the first row of leverage 1 at each degree; and at each
// degree the row of high leverage whose 1 - h is smallest, with that 1 - h.
struct DeletedResiduals {
  std::vector<Extended> press;
  std::vector<std::optional<std::size_t>> unit_leverage_row;
  std::vector<std::optional<std::pair<std::size_t, Extended>>> closest_to_one;
};

// Adds to deleted.press the terms of a row of high leverage, in 50 digits from the same
// z = L^-1 phi(t) and c as the pass; a degree where the row's leverage is 1 (lone at the
// highest degree, or 1 - h not positive in 50 digits) gets no term but the row's number.
void add_high_leverage_row(const Observations& data, const DataScaling& scaling,
                           const ChebyshevSolution& top, const std::vector<Extended>& c,
                           std::size_t row, const LoneAbscissas& lone,
                           DeletedResiduals& deleted) {
  const bool lone_row =
      std::find(lone.values.begin(), lone.values.end(), data.x[row]) != lone.values.end();
  const std::size_t p = c.size();
  const Extended t = ldexp(Extended(data.x[row]) - Extended(scaling.center), -scaling.x_exponent);
  const Extended w = data.w.empty() ? Extended(1) : ldexp(Extended(data.w[row]), -scaling.w_exponent);
  const Extended y = ldexp(Extended(data.y[row]), -scaling.y_exponent);
  std::vector<Extended> phi(p);
  phi[0] = 1;
  if (p > 1) phi[1] = t;
  for (std::size_t j = 2; j < p; ++j) phi[j] = 2 * t * phi[j - 1] - phi[j - 2];
  Extended fitted = 0, leverage = 0;
  for (std::size_t k = 0; k < p; ++k) {
    Extended z = 0;
    for (std::size_t j = 0; j <= k; ++j) z += top.inverse_factor[k * p + j] * phi[j];
    fitted += c[k] * z;
    leverage += w * z * z;
    if (1 - leverage <= 0 || (k + 1 == p && lone_row)) {
      if (!deleted.unit_leverage_row[k]) deleted.unit_leverage_row[k] = row;
      continue;
    }
    auto& closest = deleted.closest_to_one[k];
    if (!closest || 1 - leverage < closest->second) closest.emplace(row, 1 - leverage);
    const Extended residual = (y - fitted) / (1 - leverage);
    deleted.press[k] += w * residual * residual;
  }
}

Extended sum_log_weights(const Observations& data) {
  DoubleDouble sum;
  for (const double w : data.w) {
    if (w > 0.0) sum = add(sum, std::log(w));
  }
  return to_extended(sum);
}

// Estimated relative error of z = U phi(t) in double, above which the pass sums it in
// double-double: each z_k adds k + 1 products U_kj phi_j with |phi_j| <= 1, rounding each
// partial sum, against z's own scale 1 / sqrt(sum w).
constexpr double kDoubleLeverageError = 1e-10;

LeveragePrecision leverage_precision(const ChebyshevSolution& top, const MomentSums& sums) {
  const std::size_t p = top.coefficients.size();
  const double scale = std::sqrt(sums.chebyshev[0].hi);
  double worst = 0.0;
  for (std::size_t k = 0; k < p; ++k) {
    double row = 0.0;
    for (std::size_t j = 0; j <= k; ++j) {
      row += std::fabs(static_cast<double>(top.inverse_factor[k * p + j]));
    }
    worst = std::max(worst, static_cast<double>(k + 2) * 0x1p-53 * row * scale);
  }
  return worst > kDoubleLeverageError ? LeveragePrecision::kDoubleDouble
                                      : LeveragePrecision::kDouble;
}

// The table pass and the rows of high leverage: PRESS of every degree, and the pass's sums
// of squares of the highest degree (none for constant y, whose residuals are all 0).
DeletedResiduals deleted_residuals(const Observations& data, const CheckedInput& checked,
                                   const ChebyshevSolution& top, const std::vector<Extended>& c,
                                   bool interpolating, LeveragePrecision precision,
                                   SquareSums& squares) {
  const std::size_t p = c.size();
  DeletedResiduals deleted{std::vector<Extended>(p, Extended(0)),
                           std::vector<std::optional<std::size_t>>(p),
                           std::vector<std::optional<std::pair<std::size_t, Extended>>>(p)};
  const LoneAbscissas lone = interpolating ? lone_abscissas(data) : LoneAbscissas{};
  deleted.unit_leverage_row[p - 1] = lone.first_row;
  if (checked.constant_y) return deleted;
  std::vector<DoubleDouble> factor;
  std::vector<double> fourier;
  for (const Extended& u : top.inverse_factor) factor.push_back(to_double_double(u));
  for (const Extended& v : c) fourier.push_back(static_cast<double>(v));
  const DegreeSquareSums sums = sum_degree_squares(
      data, checked.scaling, centred_power_series(top), to_double_double(top.mean), factor,
      fourier, precision);
  squares = sums.squares;
  for (std::size_t k = 0; k < p; ++k) deleted.press[k] = to_extended(sums.press[k]);
  for (const std::size_t row : sums.high_leverage) {
    add_high_leverage_row(data, checked.scaling, top, c, row, lone, deleted);
  }
  return deleted;
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
// others after the degree they belong to.
void add_fit_warnings(const std::vector<PolynomialFit>& fits, std::vector<std::string>& out) {
  auto everywhere = [&](const std::string& text) {
    return std::all_of(fits.begin(), fits.end(), [&](const PolynomialFit& fit) {
      return std::find(fit.warnings.begin(), fit.warnings.end(), text) != fit.warnings.end();
    });
  };
  for (const PolynomialFit& fit : fits) {
    for (const std::string& text : fit.warnings) {
      if (!everywhere(text)) {
        out.push_back("degree " + std::to_string(fit.degree) + ": " + text);
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
  }
}

// 1 / (1 - h) = 1 + w phi^T G_(-i)^-1 phi, the Gram matrix G_(-i) of the fit without the
// row: its deleted residual is an extrapolation that amplifies the moments' relative error
// kMomentPrecision by about 1 / (1 - h). Warns below kWarnBelowDigits for the row of
// smallest 1 - h.
void add_leverage_warning(int degree,
                          const std::optional<std::pair<std::size_t, Extended>>& closest,
                          std::vector<std::string>& out) {
  if (!closest || !(closest->second > 0)) return;
  const double complement = static_cast<double>(closest->second);
  const double digits = -std::log10(kMomentPrecision / complement);
  if (digits >= kWarnBelowDigits) return;
  std::ostringstream text;
  text.precision(1);
  text << "degree " << degree << ": observation " << closest->first + 1 << " has leverage 1 - "
       << std::scientific << complement << std::fixed
       << ": the leave-one-out RMSE may have only about " << std::max(0.0, digits)
       << " correct digits";
  out.push_back(text.str());
}

Expected<DegreeTable> table_guarded(const Observations& data, std::optional<int> requested) {
  if (requested && *requested < 0) {
    return FitError{FitErrorKind::kDegreeOutOfRange,
                    "the maximum degree must be an integer from 0 to " +
                        std::to_string(kMaxDegree) + " (it is " + std::to_string(*requested) +
                        ")",
                    {}};
  }
  const Expected<CheckedInput> checked_or = check_input(data, 0);
  if (!checked_or) return checked_or.error();
  const CheckedInput& checked = *checked_or;
  if (checked.used < 2) {
    return FitError{FitErrorKind::kTooFewObservations,
                    std::string("1 observation") + (data.w.empty() ? "" : " of positive weight") +
                        " cannot make a degree table: at least 2 are needed",
                    {}};
  }
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
      deleted_residuals(data, checked, solutions[top], c, top == distinct - 1,
                        leverage_precision(solutions[top], sums), squares);
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
      add_leverage_warning(k, deleted.closest_to_one[k], row_warnings);
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
    return FitError{FitErrorKind::kOutOfMemory, "not enough memory for the degree table", {}};
  }
}

}  // namespace polylsq::accurate
