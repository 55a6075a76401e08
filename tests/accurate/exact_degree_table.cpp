// Exact references of the degree table.
#include "tests/accurate/exact_degree_table.h"

#include <boost/math/constants/constants.hpp>
#include <boost/math/distributions/fisher_f.hpp>
#include <cstddef>
#include <cstdint>

namespace polylsq::accurate::testing {
namespace {

// log L = sum over used observations of log N(r_i; 0, sigma^2 / w_i), sigma^2 = SSE / n.
Float100 log_likelihood(const std::vector<RowFigures>& rows, const ExactFit& fit) {
  const Float100 variance = to_float(fit.error_ss) / fit.n;
  const Float100 two_pi = 2 * boost::math::constants::pi<Float100>();
  Float100 sum = 0;
  for (const RowFigures& row : rows) {
    const Float100 spread = variance / row.weight;  // the variance of this observation
    sum += -log(two_pi * spread) / 2 - row.residual * row.residual / (2 * spread);
  }
  return sum;
}

// PRESS = sum w (r / (1 - h))^2; undefined when a leverage is 1.
std::optional<Float100> press(const std::vector<RowFigures>& rows) {
  Float100 sum = 0;
  for (const RowFigures& row : rows) {
    const Float100 complement = 1 - row.leverage;
    if (abs(complement) < kUnitLeverageGap) return std::nullopt;
    sum += row.weight * (row.residual / complement) * (row.residual / complement);
  }
  return sum;
}

ExactDegreeRow exact_row(std::span<const double> x, std::span<const double> y,
                         std::span<const double> w, const ExactFit& fit,
                         const ExactFit* below, int degree) {
  ExactDegreeRow row;
  row.degree = degree;
  const std::int64_t n = fit.n, p = degree + 1, df = n - p;
  const Rational total_ss = fit.error_ss + fit.regression_ss;
  const std::vector<RowFigures> figures = row_figures(x, y, w, fit);
  row.residual_sd = fit.residual_sd;
  row.r_squared = fit.r_squared;
  if (total_ss > 0 && df > 0) {
    row.adjusted_r_squared = 1 - to_float(fit.error_ss / total_ss * (n - 1) / df);
  }
  if (fit.error_ss > 0) {
    const Float100 minus_two_log_l = -2 * log_likelihood(figures, fit);
    const Float100 k(p + 1);
    row.aic = minus_two_log_l + 2 * k;
    row.bic = minus_two_log_l + log(Float100(n)) * k;
    if (n - k - 1 > 0) row.aicc = *row.aic + 2 * k * (k + 1) / (n - k - 1);
    if (below) {
      const Rational f = (below->error_ss - fit.error_ss) / (fit.error_ss / df);
      const boost::math::fisher_f_distribution<Float100> distribution(1, Float100(df));
      row.f_p_value = cdf(complement(distribution, to_float(f)));
    }
  }
  if (const std::optional<Float100> sum = press(figures)) row.loocv_rmse = sqrt(*sum / n);
  return row;
}

}  // namespace

std::vector<ExactDegreeRow> exact_degree_rows(std::span<const double> x,
                                              std::span<const double> y,
                                              std::span<const double> w, int max_degree) {
  std::vector<ExactFit> fits;
  std::vector<ExactDegreeRow> rows;
  for (int k = 0; k <= max_degree; ++k) {
    fits.push_back(exact_fit_about_center(x, y, w, k));
    rows.push_back(exact_row(x, y, w, fits.back(), k > 0 ? &fits[k - 1] : nullptr, k));
  }
  return rows;
}

}  // namespace polylsq::accurate::testing
