// One series' fit, predictions and intervals.
#include "app/fit_series.h"

#include <algorithm>

#include "accurate/coefficient_intervals.h"
#include "app/report_text.h"

namespace polylsq::app {
namespace {

// The x range of the observations the fit used (weight above 0).
std::pair<double, double> used_x_range(const input::Series& data) {
  double low = 0.0;
  double high = 0.0;
  bool any = false;
  for (std::size_t i = 0; i < data.x.size(); ++i) {
    if (!data.w.empty() && data.w[i] == 0.0) continue;
    low = any ? std::min(low, data.x[i]) : data.x[i];
    high = any ? std::max(high, data.x[i]) : data.x[i];
    any = true;
  }
  return {low, high};
}

// The predictions asked for, each beyond the x range of the observations used named in a
// warning.
Expected<void> add_predictions(SeriesResult& result, const SeriesRequest& request) {
  if (request.at.empty()) return {};
  const auto [low, high] = used_x_range(*result.data);
  for (const double x : request.at) {
    const auto prediction = accurate::predict(result.fit, x, request.level);
    if (!prediction) {
      return Error{prediction.error().kind, "x = " + exact_text(x) + ": " + prediction.error().message};
    }
    result.predictions.push_back({x, *prediction});
    if (x < low || x > high) {
      result.warnings.push_back("the prediction at x = " + exact_text(x) + " extrapolates beyond the data's x range [" +
                                exact_text(low) + ", " + exact_text(high) + "]");
    }
  }
  return {};
}

}  // namespace

Expected<SeriesResult> fit_series(const input::Series& data, const SeriesRequest& request) {
  Expected<accurate::PolynomialFit> fit = accurate::fit_polynomial(data.x, data.y, data.w, request.degree);
  if (!fit) return fit.error();
  SeriesResult result;
  result.data = &data;
  result.fit = std::move(*fit);
  if (const Expected<void> predicted = add_predictions(result, request); !predicted) return predicted.error();
  if (request.confint) {
    Expected<std::vector<accurate::Interval>> intervals =
        accurate::coefficient_intervals(result.fit, request.level);
    if (!intervals) return intervals.error();
    if (!intervals->empty()) result.coefficient_intervals = std::move(*intervals);
  }
  return result;
}

}  // namespace polylsq::app
