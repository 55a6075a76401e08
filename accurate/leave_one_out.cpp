// Leave-one-out residuals of every degree: the table pass and its rows of high leverage.
#include "accurate/leave_one_out.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "accurate/fit_stages.h"

namespace polylsq::accurate {
namespace {

Extended to_extended(DoubleDouble v) { return Extended(v.hi) + Extended(v.lo); }

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
  const Extended t =
      ldexp(Extended(data.x[row]) - Extended(scaling.center), -scaling.x_exponent);
  const Extended w =
      data.w.empty() ? Extended(1) : ldexp(Extended(data.w[row]), -scaling.w_exponent);
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

}  // namespace

DeletedResiduals deleted_residuals(const Observations& data, const CheckedInput& checked,
                                   const ChebyshevSolution& top, const MomentSums& sums,
                                   const std::vector<Extended>& c, bool interpolating,
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
  const DegreeSquareSums pass = sum_degree_squares(
      data, checked.scaling, centred_power_series(top), to_double_double(top.mean), factor,
      fourier, leverage_precision(top, sums));
  squares = pass.squares;
  for (std::size_t k = 0; k < p; ++k) deleted.press[k] = to_extended(pass.press[k]);
  for (const std::size_t row : pass.high_leverage) {
    add_high_leverage_row(data, checked.scaling, top, c, row, lone, deleted);
  }
  return deleted;
}

// 1 / (1 - h) = 1 + w phi^T G_(-i)^-1 phi, G_(-i) the Gram matrix of the fit without the
// row: its deleted residual is an extrapolation that amplifies the moments' relative error
// kMomentPrecision by about 1 / (1 - h).
std::optional<std::string> leverage_warning(
    int degree, const std::optional<std::pair<std::size_t, Extended>>& closest) {
  if (!closest || !(closest->second > 0)) return std::nullopt;
  const double complement = static_cast<double>(closest->second);
  const double digits = -std::log10(kMomentPrecision / complement);
  if (digits >= kWarnBelowDigits) return std::nullopt;
  std::ostringstream text;
  text.precision(1);
  text << "degree " << degree << ": observation " << closest->first + 1 << " has leverage 1 - "
       << std::scientific << complement << std::fixed
       << ": the leave-one-out RMSE may have only about " << std::max(0.0, digits)
       << " correct digits";
  return text.str();
}

}  // namespace polylsq::accurate
