// The degree table of the accurate fit: for the degrees 0..N, the figures R gives for
// comparing lm fits of polynomials (residual standard deviation, R-squared, adjusted
// R-squared, AIC, AICc, BIC, leave-one-out RMSE, the F test of the added term) and the
// degree each criterion recommends. One pass over the data gives the moments of every
// degree, one more the residuals and leverages of every degree. A value undefined for the
// data is std::nullopt with a warning, never a NaN or an infinity. Runs under its own
// floating-point environment.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "text/expected.h"

namespace polylsq::accurate {

// One degree. With n the observations of positive weight, p = degree + 1 coefficients,
// k = p + 1 parameters (the variance counted), SSE = sum w r^2 and
// log L = (sum log w - n (log(2 pi) + 1 - log n + log SSE)) / 2 (R's logLik.lm):
struct DegreeRow {
  int degree = 0;
  std::int64_t error_df = 0;          // n - p
  double error_sum_of_squares = 0.0;  // SSE; exactly 0 for an exact fit
  bool exact = false;                 // as PolynomialFit::exact
  // As fit_polynomial of this degree reports them.
  std::optional<double> residual_sd;
  std::optional<double> r_squared;
  std::optional<double> adjusted_r_squared;
  // -2 log L + 2k; undefined for an exact fit (minus infinity: it ranks before any value).
  std::optional<double> aic;
  // AIC + 2k(k + 1) / (n - k - 1); undefined also when n - k - 1 <= 0.
  std::optional<double> aicc;
  // -2 log L + k log n; undefined for an exact fit, as AIC.
  std::optional<double> bic;
  // sqrt(PRESS / n), PRESS = sum w (r_i / (1 - h_ii))^2 with h_ii the leverage (hat value);
  // 0 for an exact fit; undefined when an observation has leverage 1.
  std::optional<double> loocv_rmse;
  // F of anova(fit of degree - 1, this fit): one added term, so F = t^2 of the highest
  // coefficient and its p value is that coefficient's. None for degree 0; undefined for an
  // exact fit.
  std::optional<double> f_value;
  std::optional<double> f_p_value;
};

enum class DegreeCriterion { kBic, kAic, kAicc, kLoocv, kFtest };

// The degree each criterion recommends. bic, aic, aicc, loocv: the smallest value (an
// exact fit's undefined AIC, AICc or BIC as minus infinity; other undefined values left
// out); ftest: the highest degree k such that the added term of every degree 1..k has
// p < 0.05 (an exact fit's undefined p counts as significant when the degree below is not
// exact), 0 if degree 1's has not. Ties go to the lower degree.
struct RecommendedDegrees {
  int bic = 0;
  int aic = 0;
  int aicc = 0;
  int loocv = 0;
  int ftest = 0;
};

// The field of recommended for criterion.
int recommended_degree(const RecommendedDegrees& recommended, DegreeCriterion criterion);

// The p value below which the F test counts an added term as significant.
inline constexpr double kFTestLevel = 0.05;

struct DegreeTable {
  std::int64_t n = 0;                  // observations used: those of positive weight
  std::int64_t zero_weight_count = 0;  // observations of weight 0, not used
  bool weighted = false;
  std::vector<DegreeRow> rows;  // degrees 0, 1, ..., rows.size() - 1
  RecommendedDegrees recommended;
  std::vector<std::string> warnings;
};

// The table for degrees 0..N of the observations (x, y, w as for fit_polynomial). N is
// max_degree, or by default the least of kMaxDegree, the distinct x values of positive
// weight less 1 and n - 2; a larger max_degree is reduced to that default with a warning.
// A degree whose x values do not determine the polynomial, or whose figures do not fit in
// a double, ends the table at the degree below with a warning. Errors (first failure
// wins): max_degree below 0; the input errors of fit_polynomial before its count of
// observations; fewer than 2 observations of positive weight; degree 0 itself failing.
Expected<DegreeTable> degree_table(std::span<const double> x, std::span<const double> y,
                                   std::span<const double> w,
                                   std::optional<int> max_degree = std::nullopt);

}  // namespace polylsq::accurate
