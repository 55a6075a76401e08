// The printed polynomial against the accurate fit: both as power series in one variable
// t = (x - middle) / half-width over the data's x range, their difference searched there.
#include "app/printed_curve.h"

#include <algorithm>
#include <charconv>

#include "app/polynomial_extremum.h"

namespace polylsq::app {
namespace {

// t spans [-1, 1]; the worst t is found to 2^-120 of that, far below a double's resolution
// of the x it maps to.
const WideReal kResolution = ldexp(WideReal(1), -120);

// The share of the range of y that a curve may be off wherever the residual SD is smaller.
constexpr double kRangeShare = 0.01;

std::vector<WideReal> wide(std::span<const double> values) {
  return std::vector<WideReal>(values.begin(), values.end());
}

// The accurate fit as a power series in u = (x - center) / 2^x_exponent, in units of y:
// 2^y_exponent sum_j alpha_j T_j(u), with T_1 = u and T_{j+1} = 2u T_j - T_{j-1}.
std::vector<WideReal> accurate_in_u(const accurate::FitBasis& basis) {
  const std::size_t terms = basis.chebyshev_hi.size();
  const WideReal y_scale = ldexp(WideReal(1), basis.y_exponent);
  std::vector<WideReal> sum(terms), previous(terms), current(terms);
  for (std::size_t j = 0; j < terms; ++j) {
    if (j == 0) {
      current[0] = 1;
    } else {
      std::vector<WideReal> next(terms);
      for (std::size_t k = 0; k < terms; ++k) {
        const WideReal raised = k > 0 ? current[k - 1] : WideReal(0);
        next[k] = j == 1 ? raised : 2 * raised - previous[k];
      }
      previous = std::exchange(current, std::move(next));
    }
    const WideReal alpha = (WideReal(basis.chebyshev_hi[j]) + basis.chebyshev_lo[j]) * y_scale;
    for (std::size_t k = 0; k < terms; ++k) sum[k] += alpha * current[k];
  }
  return sum;
}

std::vector<WideReal> difference(std::vector<WideReal> a, const std::vector<WideReal>& b) {
  a.resize(std::max(a.size(), b.size()));
  for (std::size_t k = 0; k < b.size(); ++k) a[k] -= b[k];
  return a;
}

}  // namespace

std::optional<double> read_back(std::string_view field) {
  const std::size_t first = field.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  field.remove_prefix(first);
  double value = 0.0;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (error != std::errc() || end != field.data() + field.size()) return std::nullopt;
  return value;
}

CurveComparison compare_printed_curve(std::span<const double> printed, const accurate::PolynomialFit& fit,
                                      double x_low, double x_high, double y_range) {
  const accurate::FitBasis& basis = fit.basis;
  const WideReal middle = (WideReal(x_low) + x_high) / 2;
  const WideReal half_width = (WideReal(x_high) - x_low) / 2;
  const std::vector<WideReal> printed_in_t = compose_linear(wide(printed), middle, half_width);
  // u = (x - center) / 2^x_exponent = u_at_middle + u_per_t t
  const WideReal u_at_middle = ldexp(middle - basis.center, -basis.x_exponent);
  const WideReal u_per_t = ldexp(half_width, -basis.x_exponent);
  const std::vector<WideReal> accurate_in_t = compose_linear(accurate_in_u(basis), u_at_middle, u_per_t);

  const Extremum worst =
      largest_magnitude(difference(printed_in_t, accurate_in_t), WideReal(-1), WideReal(1), kResolution);
  CurveComparison out;
  out.printed_coefficients.assign(printed.begin(), printed.end());
  out.at_x = std::clamp(static_cast<double>(middle + half_width * worst.t), x_low, x_high);
  const WideReal t = half_width > 0 ? (out.at_x - middle) / half_width : WideReal(0);
  const WideReal printed_value = polynomial_value(printed_in_t, t);
  const WideReal accurate_value = polynomial_value(accurate_in_t, t);
  out.printed_value = static_cast<double>(printed_value);
  out.accurate_value = static_cast<double>(accurate_value);
  out.max_difference = static_cast<double>(abs(printed_value - accurate_value));
  out.limit = std::max(fit.residual_sd.value_or(0.0), kRangeShare * y_range);
  out.marked = out.max_difference > out.limit;
  return out;
}

double printed_curve_value(std::span<const double> printed, double x) {
  return static_cast<double>(polynomial_value(wide(printed), WideReal(x)));
}

}  // namespace polylsq::app
