// The accurate fit: checks, the two data passes, the 50-digit solve, the statistics and the
// change to power series in x, every reported number checked against the double range.
#include "accurate/polynomial_fit.h"

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <new>
#include <span>
#include <sstream>

#include "accurate/chebyshev_system.h"
#include "accurate/data_sums.h"
#include "accurate/fit_input.h"
#include "accurate/fit_stages.h"
#include "accurate/fit_statistics.h"
#include "accurate/fp_guard.h"

namespace polylsq::accurate {
namespace {

// Residuals whose weighted norm is below this fraction of the weighted norm of y are
// rounding of the fit itself (the passes and the solve carry about 2^-100 relative), so
// the fit is exact. Real residuals of data held in doubles are near 2^-53 of y or more.
constexpr double kExactResidualRatio = 0x1p-66;

std::string scientific(const Extended& v) {
  std::ostringstream text;
  text.precision(3);
  text << std::scientific << v;
  return text.str();
}

// Rounds the reported values to double. A value beyond the largest double is an error
// (the caller's); one below the smallest normal double is rounded (to a subnormal or 0)
// and the first such value is named in a warning.
class Reporter {
 public:
  std::optional<double> operator()(const Extended& v, const std::string& what) {
    const Extended magnitude = abs(v);
    if (magnitude > Extended(DBL_MAX)) return std::nullopt;
    if (v != 0 && magnitude < Extended(DBL_MIN) && !underflow_) {
      underflow_ = what + " (about " + scientific(v) +
                   ") is below the normal double range and has lost precision";
    }
    return static_cast<double>(v);
  }
  const std::optional<std::string>& underflow() const { return underflow_; }

 private:
  std::optional<std::string> underflow_;
};

Error out_of_range(const std::string& what, const Extended& v) {
  return Error{ErrorKind::kOutOfRange,
                  what + " (about " + scientific(v) + ") does not fit in a double", {}};
}

std::string power_name(std::size_t k) {
  return k == 0 ? "the constant term" : "the coefficient of x^" + std::to_string(k);
}

// A fit is essentially perfect, as R's summary.lm judges it, when the residual variance is
// below this share of the fitted values' squared mean plus their variance.
constexpr double kEssentiallyPerfectShare = 1e-30;

// R's criterion, with the weights scaled to a mean of 1 so that it does not depend on their
// scale: SSE n / (W df) < 1e-30 (mean^2 + SSR n / (W (n - 1))), W the sum of the weights
// (n when unweighted), all in the scaled units of the passes. Not for an exact fit.
bool essentially_perfect(const ScaledFit& scaled, std::int64_t used, std::int64_t error_df) {
  if (scaled.exact || error_df <= 0 || used < 2) return false;
  const Extended n(used);
  const Extended residual_variance = scaled.error_ss * n / (scaled.weight_sum * error_df);
  const Extended fitted_variance = scaled.regression_ss * n / (scaled.weight_sum * (n - 1));
  return residual_variance <
         Extended(kEssentiallyPerfectShare) * (scaled.mean * scaled.mean + fitted_variance);
}

void add_warnings(PolynomialFit& fit, const CheckedInput& checked, double condition,
                  bool nearly_exact) {
  if (checked.zero_weights > 0) {
    fit.warnings.push_back(std::to_string(checked.zero_weights) + " observation" +
                           (checked.zero_weights == 1 ? " has" : "s have") +
                           " weight 0 and " + (checked.zero_weights == 1 ? "is" : "are") +
                           " not used");
  }
  if (fit.anova.error_df == 0) {
    fit.warnings.push_back(
        "as many coefficients as observations: the polynomial passes through every point; "
        "the residual standard deviation, standard errors, t and p values, F, adjusted "
        "R-squared and the intervals of predictions are undefined");
  }
  if (checked.constant_y) {
    fit.warnings.push_back(
        std::string("y is constant: R-squared and adjusted R-squared are undefined") +
        (fit.anova.error_df > 0 ? "; the fit is exact, so the standard errors are 0 and the t "
                                  "values, p values and F are undefined"
                                : ""));
  } else if (fit.exact && fit.anova.error_df > 0) {
    fit.warnings.push_back(
        "the polynomial fits every observation exactly: the standard errors are 0 and the t "
        "values, p values and F are undefined");
  } else if (nearly_exact) {
    fit.warnings.push_back(
        "the fit is essentially perfect (residual variance below 1e-30 of the fitted values' "
        "squared mean plus their variance): the t values, p values and F are not meaningful");
  }
  if (fit.degree == 0 && fit.anova.error_df > 0 && !fit.exact) {
    fit.warnings.push_back("degree 0 has no regression term: F and its p value are undefined");
  }
  const double digits = -std::log10(condition * kMomentPrecision);
  if (digits < kWarnBelowDigits) {
    std::ostringstream text;
    text.precision(1);
    text << "the x values are badly spread for degree " << fit.degree
         << " (condition number " << std::scientific << condition << std::fixed
         << "): the coefficients may have only about " << std::max(0.0, digits)
         << " correct digits";
    fit.warnings.push_back(text.str());
  }
}

Expected<PolynomialFit> fit_guarded(const Observations& data, int degree) {
  const Expected<CheckedInput> checked_or = check_input(data, degree);
  if (!checked_or) return checked_or.error();
  const CheckedInput& checked = *checked_or;

  const MomentSums sums = sum_moments(data, checked.scaling, degree);
  const std::optional<ChebyshevSolution> solution = solve_chebyshev(sums, degree);
  if (!solution) return ill_conditioned_error(degree);
  if (checked.constant_y) {
    return assemble_fit(checked, !data.w.empty(), *solution, constant_fit(checked, *solution),
                        degree);
  }
  const SquareSums squares = sum_squares(data, checked.scaling, centred_power_series(*solution),
                                         to_double_double(solution->mean));
  const ScaledFit scaled = fit_with_squares(
      checked, sums, *solution, degree, Extended(squares.residual.hi) + squares.residual.lo,
      Extended(squares.fitted.hi) + squares.fitted.lo);
  return assemble_fit(checked, !data.w.empty(), *solution, scaled, degree);
}

}  // namespace

Error ill_conditioned_error(int degree) {
  return Error{ErrorKind::kIllConditioned,
                  "the x values are too close together against their range to determine a "
                  "polynomial of degree " +
                      std::to_string(degree),
                  {}};
}

std::vector<DoubleDouble> centred_power_series(const ChebyshevSolution& solution) {
  std::vector<Extended> centred = chebyshev_to_power(solution.coefficients);
  centred[0] -= solution.mean;
  std::vector<DoubleDouble> centred_dd;
  for (const Extended& c : centred) centred_dd.push_back(to_double_double(c));
  return centred_dd;
}

ScaledFit constant_fit(const CheckedInput& checked, const ChebyshevSolution& solution) {
  // The exact solution: the constant itself, every other coefficient 0.
  const Extended y = ldexp(Extended(*checked.constant_y), -checked.scaling.y_exponent);
  ScaledFit fit;
  fit.chebyshev.assign(solution.coefficients.size(), Extended(0));
  fit.chebyshev[0] = y;
  fit.mean = y;
  fit.exact = true;
  return fit;
}

ScaledFit fit_with_squares(const CheckedInput& checked, const MomentSums& sums,
                           const ChebyshevSolution& solution, int degree, Extended error_ss,
                           Extended regression_ss) {
  ScaledFit fit;
  fit.chebyshev = solution.coefficients;
  fit.mean = solution.mean;
  fit.error_ss = error_ss;
  fit.weight_sum = Extended(sums.chebyshev[0].hi) + Extended(sums.chebyshev[0].lo);
  fit.regression_ss = degree == 0 ? Extended(0) : regression_ss;
  const Extended y_norm_squared =
      fit.error_ss + fit.regression_ss +
      (Extended(sums.chebyshev[0].hi) + Extended(sums.chebyshev[0].lo)) * fit.mean * fit.mean;
  if (checked.used == degree + 1 ||
      fit.error_ss <= Extended(kExactResidualRatio) * kExactResidualRatio * y_norm_squared) {
    fit.error_ss = 0;
    fit.exact = true;
  }
  return fit;
}

namespace {

// The analysis of variance, residual standard deviation and R-squared; the residual standard
// deviation in 50 digits (undefined when error_df == 0).
Expected<std::optional<Extended>> add_statistics(PolynomialFit& fit, const CheckedInput& checked,
                                                 const ScaledFit& scaled, Reporter& report) {
  const DataScaling& scaling = checked.scaling;
  AnalysisOfVariance& anova = fit.anova;
  anova.regression_df = fit.degree;
  anova.error_df = checked.used - (fit.degree + 1);
  anova.total_df = checked.used - 1;

  // Sums of squares: scaled by 2^-(w_exponent + 2 y_exponent).
  const int ss_exponent = scaling.w_exponent + 2 * scaling.y_exponent;
  const Extended regression_ss = ldexp(scaled.regression_ss, ss_exponent);
  const Extended error_ss = ldexp(scaled.error_ss, ss_exponent);
  const Extended total_ss = regression_ss + error_ss;
  const std::optional<double> sst = report(total_ss, "the total sum of squares");
  if (!sst) return out_of_range("the total sum of squares", total_ss);
  const std::optional<double> ssr = report(regression_ss, "the regression sum of squares");
  const std::optional<double> sse = report(error_ss, "the error sum of squares");
  anova.regression_sum_of_squares = *ssr;
  anova.error_sum_of_squares = *sse;
  anova.total_sum_of_squares = *sst;
  const bool spread = !checked.constant_y && total_ss > 0;
  if (anova.regression_df > 0) {
    anova.regression_mean_square = static_cast<double>(regression_ss / anova.regression_df);
  }
  std::optional<Extended> sigma;  // residual standard deviation, in units of y
  if (anova.error_df > 0) {
    const Extended error_ms = error_ss / anova.error_df;
    anova.error_mean_square = static_cast<double>(error_ms);
    sigma = sqrt(error_ms);
    fit.residual_sd = static_cast<double>(*sigma);
    if (anova.regression_df > 0 && error_ss > 0) {
      anova.f_value = static_cast<double>((regression_ss / anova.regression_df) / error_ms);
      anova.f_p_value = f_upper_p_value(*anova.f_value, static_cast<double>(anova.regression_df),
                                        static_cast<double>(anova.error_df));
    }
  }
  if (spread) {
    fit.r_squared = static_cast<double>(regression_ss / total_ss);
    if (anova.error_df > 0) {
      fit.adjusted_r_squared = static_cast<double>(
          1 - (error_ss / total_ss) * Extended(anova.total_df) / anova.error_df);
    }
  }
  return sigma;
}

// cov(a_k, a_l) = sigma^2 2^-w_exponent (L^-1 c_k) . (L^-1 c_l) from the rows L^-1 c_k;
// left empty, with a warning, when an entry does not fit in a double.
void add_covariance(PolynomialFit& fit, const std::vector<Extended>& factored_change,
                    const Extended& variance, Reporter& report) {
  const std::size_t p = fit.coefficients.size();
  std::vector<double> covariance(p * p);
  for (std::size_t k = 0; k < p; ++k) {
    for (std::size_t l = 0; l <= k; ++l) {
      Extended dot = 0;
      for (std::size_t r = 0; r < p; ++r) {
        dot += factored_change[k * p + r] * factored_change[l * p + r];
      }
      const Extended v = variance * dot;
      const std::string what = k == l ? "the variance of " + power_name(k)
                                      : "the covariance of " + power_name(l) + " and " +
                                            power_name(k);
      const std::optional<double> entry = report(v, what);
      if (!entry) {
        fit.warnings.push_back(what + " (about " + scientific(v) +
                               ") does not fit in a double: the covariance matrix is omitted");
        return;
      }
      covariance[k * p + l] = covariance[l * p + k] = *entry;
    }
  }
  fit.covariance = std::move(covariance);
}

// Power series in x with their standard errors, t and p values and covariance: a = C alpha
// (alpha in units of y after the factor 2^y_exponent), var(a_k) = sigma^2 2^-w_exponent
// |L^-1 c_k|^2, c_k row k of C.
Expected<void> add_power_series(PolynomialFit& fit, const DataScaling& scaling,
                                const ChebyshevSolution& solution, const ScaledFit& scaled,
                                const std::optional<Extended>& sigma, Reporter& report) {
  const std::size_t p = static_cast<std::size_t>(fit.degree) + 1;
  const std::vector<Extended> change =
      chebyshev_to_power_in_x(fit.degree, scaling.center, scaling.x_exponent);
  const std::vector<Extended>& inverse = solution.inverse_factor;
  std::vector<Extended> factored_change(p * p);  // row k: L^-1 c_k
  for (std::size_t k = 0; k < p; ++k) {
    Extended a = 0;
    for (std::size_t j = 0; j < p; ++j) a += change[k * p + j] * scaled.chebyshev[j];
    a = ldexp(a, scaling.y_exponent);
    const std::optional<double> coefficient = report(a, power_name(k));
    if (!coefficient) return out_of_range(power_name(k), a);
    fit.coefficients.push_back(*coefficient);
    std::optional<double> se, t, p_value;
    if (sigma) {
      const Extended norm_squared = lower_triangular_norm_squared(
          std::span<const Extended>(inverse), std::span<const Extended>(change).subspan(k * p, p),
          std::span<Extended>(factored_change).subspan(k * p, p));
      const Extended se_k = *sigma * ldexp(sqrt(norm_squared), -scaling.w_exponent / 2);
      se = report(se_k, "the standard error of " + power_name(k));
      if (!se) return out_of_range("the standard error of " + power_name(k), se_k);
      if (se_k > 0) {
        t = static_cast<double>(a / se_k);
        p_value = t_two_sided_p_value(*t, static_cast<double>(fit.anova.error_df));
      }
    }
    fit.standard_errors.push_back(se);
    fit.t_values.push_back(t);
    fit.p_values.push_back(p_value);
  }
  if (sigma) {
    add_covariance(fit, factored_change, ldexp(*sigma * *sigma, -scaling.w_exponent), report);
  }
  return {};
}

void add_basis(FitBasis& basis, const DataScaling& scaling, const ChebyshevSolution& solution,
               const ScaledFit& scaled) {
  basis.center = scaling.center;
  basis.x_exponent = scaling.x_exponent;
  basis.y_exponent = scaling.y_exponent;
  for (const Extended& alpha : scaled.chebyshev) {
    const DoubleDouble v = to_double_double(alpha);
    basis.chebyshev_hi.push_back(v.hi);
    basis.chebyshev_lo.push_back(v.lo);
  }
  for (const Extended& u : solution.inverse_factor) {
    basis.covariance_factor.push_back(static_cast<double>(ldexp(u, -scaling.w_exponent / 2)));
  }
}

}  // namespace

Expected<PolynomialFit> assemble_fit(const CheckedInput& checked, bool weighted,
                                     const ChebyshevSolution& solution,
                                     const ScaledFit& scaled, int degree) {
  PolynomialFit fit;
  fit.degree = degree;
  fit.n = checked.used;
  fit.zero_weight_count = checked.zero_weights;
  fit.weighted = weighted;
  fit.exact = scaled.exact;
  Reporter report;
  const Expected<std::optional<Extended>> sigma = add_statistics(fit, checked, scaled, report);
  if (!sigma) return sigma.error();
  const Expected<void> power_series = add_power_series(fit, checked.scaling, solution, scaled, *sigma, report);
  if (!power_series) return power_series.error();
  add_basis(fit.basis, checked.scaling, solution, scaled);
  add_warnings(fit, checked, solution.condition,
               essentially_perfect(scaled, checked.used, fit.anova.error_df));
  if (report.underflow()) fit.warnings.push_back(*report.underflow());
  return fit;
}

Expected<PolynomialFit> fit_polynomial(std::span<const double> x, std::span<const double> y,
                                       std::span<const double> w, int degree) {
  FloatingPointGuard guard;
  try {
    return fit_guarded(Observations{x, y, w}, degree);
  } catch (const std::bad_alloc&) {
    return Error{ErrorKind::kOutOfMemory, "not enough memory for the fit", {}};
  }
}

}  // namespace polylsq::accurate
