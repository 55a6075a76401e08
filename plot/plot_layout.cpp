// Ranges, ticks and pixel boxes of a plot, and the curve and residual samples behind them.
#include "plot/plot_layout.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>
#include <tuple>

#include "plot/svg_writer.h"

namespace polylsq::plot {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

constexpr double kPictureWidth = 800;
constexpr double kPictureHeight = 620;
constexpr double kMainTop = 44;
constexpr double kMainHeight = 370;
constexpr double kResidualTop = 432;
constexpr double kResidualHeight = 130;
constexpr double kRightMargin = 20;
// Left of the y tick labels: the rotated axis title and gaps; right of them the tick marks.
constexpr double kAxisTitleBand = 30;
constexpr double kTickAndGap = 10;
constexpr int kMainYTicks = 8;
constexpr int kResidualYTicks = 5;
constexpr int kMostXTicks = 9;
constexpr double kXLabelGap = 18;  // free pixels between neighbouring x labels
// Legend column: gap, line sample, gap, label.
constexpr double kLegendGap = 14;
// Curves and band count toward the main y range within this part of the data's y span
// beyond each end of it.
constexpr double kCurveReach = 0.5;

// Running minimum and maximum of finite values.
struct Extent {
  double low = std::numeric_limits<double>::infinity();
  double high = -std::numeric_limits<double>::infinity();
  void include(double v) {
    if (!std::isfinite(v)) return;
    low = std::min(low, v);
    high = std::max(high, v);
  }
  bool empty() const { return low > high; }
};

// f(x), or `undefined` when f is empty or throws.
template <typename Result>
Result evaluate(const std::function<Result(double)>& f, double x, Result undefined) noexcept {
  if (!f) return undefined;
  try {
    return f(x);
  } catch (...) {
    return undefined;
  }
}

std::vector<double> samples_across(AxisRange extent) {
  std::vector<double> xs(kCurveSamples);
  for (std::size_t j = 0; j < kCurveSamples; ++j) {
    const double t = static_cast<double>(j) / static_cast<double>(kCurveSamples - 1);
    xs[j] = extent.low * (1 - t) + extent.high * t;  // no overflow for any finite ends
  }
  return xs;
}

double widest_label(const Ticks& ticks) {
  std::size_t widest = 0;
  for (const std::string& label : ticks.labels) widest = std::max(widest, character_count(label));
  return static_cast<double>(widest) * kLabelCharWidth;
}

// The most x ticks (up to kMostXTicks) whose labels fit side by side in `width`.
Ticks fitting_x_ticks(AxisRange range, double width) {
  Ticks ticks;
  for (int most = kMostXTicks; most >= 3; --most) {
    ticks = choose_ticks(range, most);
    const double needed =
        static_cast<double>(ticks.labels.size()) * (widest_label(ticks) + kXLabelGap);
    if (needed <= width) break;
  }
  return ticks;
}

// The x of the pairs of `x` and `y` whose y is finite.
void include_x(Extent& extent, std::span<const double> x, std::span<const double> y) {
  const std::size_t pairs = std::min(x.size(), y.size());
  for (std::size_t i = 0; i < pairs; ++i)
    if (std::isfinite(y[i])) extent.include(x[i]);
}

std::vector<double> sampled(const Curve& curve, const std::vector<double>& xs) {
  std::vector<double> ys(xs.size());
  for (std::size_t j = 0; j < xs.size(); ++j) ys[j] = evaluate(curve.value, xs[j], kNaN);
  return ys;
}

void sample_band(const Band& band, const std::vector<double>& xs, std::vector<double>& low,
                 std::vector<double>& high) {
  low.resize(xs.size());
  high.resize(xs.size());
  for (std::size_t j = 0; j < xs.size(); ++j)
    std::tie(low[j], high[j]) = evaluate(band.bounds, xs[j], std::pair{kNaN, kNaN});
}

// y - curve(x) per pair, NaN where a member is not finite or the pair is not fitted (which
// sets `any_not_fitted`) or there is no curve; the finite ones widen `range`.
std::vector<double> residuals_of(std::span<const double> x, std::span<const double> y,
                                 const std::vector<bool>& not_fitted, const Curve* curve, Extent& range,
                                 bool& any_not_fitted) {
  const std::size_t pairs = std::min(x.size(), y.size());
  std::vector<double> residuals(pairs, kNaN);
  for (std::size_t i = 0; i < pairs; ++i) {
    if (!std::isfinite(x[i]) || !std::isfinite(y[i])) continue;
    if (i < not_fitted.size() && not_fitted[i]) {
      any_not_fitted = true;
      continue;
    }
    if (curve == nullptr) continue;
    residuals[i] = y[i] - evaluate(curve->value, x[i], kNaN);
    range.include(residuals[i]);
  }
  return residuals;
}

bool leaves(const std::vector<double>& ys, AxisRange range) {
  return std::any_of(ys.begin(), ys.end(), [&](double v) { return !std::isnan(v) && (v < range.low || v > range.high); });
}

// The y of the pairs of `x` and `y` whose x is finite.
void include_y(Extent& extent, std::span<const double> x, std::span<const double> y) {
  const std::size_t pairs = std::min(x.size(), y.size());
  for (std::size_t i = 0; i < pairs; ++i)
    if (std::isfinite(x[i])) extent.include(y[i]);
}

AxisRange main_y_range(const PlotRequest& request, const MeasuredPlot& measured) {
  Extent data;
  include_y(data, request.x, request.y);
  for (const SeriesPlot& series : request.more_series) include_y(data, series.x, series.y);
  if (data.empty()) data.low = data.high = 0;
  const AxisRange base = drawable_extent(data.low, data.high);
  const double reach = (base.high / 2 - base.low / 2) * (2 * kCurveReach);
  const double limit_low = std::max(base.low - reach, -std::numeric_limits<double>::max());
  const double limit_high = std::min(base.high + reach, std::numeric_limits<double>::max());
  Extent content;
  content.include(base.low);
  content.include(base.high);
  const auto include_within_limits = [&](double v) {
    if (std::isfinite(v)) content.include(std::clamp(v, limit_low, limit_high));
  };
  for (const std::vector<double>& ys : measured.curve_y)
    for (double v : ys) include_within_limits(v);
  for (double v : measured.band_low) include_within_limits(v);
  for (double v : measured.band_high) include_within_limits(v);
  for (const MeasuredPlot::SeriesSamples& series : measured.more_series) {
    for (const std::vector<double>* values : {&series.curve_y, &series.band_low, &series.band_high})
      for (double v : *values) include_within_limits(v);
  }
  return axis_range_for(content.low, content.high);
}

void lay_out_boxes(const PlotRequest& request, MeasuredPlot& measured) {
  PlotLayout& layout = measured.layout;
  layout.width = kPictureWidth;
  layout.height = kPictureHeight;
  const double left =
      kAxisTitleBand +
      std::max(widest_label(layout.main.y_ticks), widest_label(layout.residual.y_ticks)) +
      kTickAndGap;
  double right = kPictureWidth - kRightMargin;
  std::size_t longest = character_count(request.observations_label);
  if (measured.any_not_fitted) longest = std::max(longest, character_count(kNotFittedLabel));
  for (std::size_t c = 0; c < request.curves.size(); ++c) {
    longest = std::max(longest, character_count(request.curves[c].label));
    if (measured.curve_leaves_frame[c])
      longest = std::max(longest, character_count(kLeavesFrameNote));
  }
  if (request.band) longest = std::max(longest, character_count(request.band->label));
  for (std::size_t s = 0; s < request.more_series.size(); ++s) {
    longest = std::max(longest, character_count(request.more_series[s].label));
    if (measured.more_series[s].curve_leaves_frame)
      longest = std::max(longest, character_count(kLeavesFrameNote));
  }
  longest = std::min(longest, kLegendLabelChars);
  right -= kLegendGap + kLegendSampleWidth + kLegendTextGap +
           static_cast<double>(longest) * kLabelCharWidth;
  layout.legend_left = right + kLegendGap;
  layout.main.box = {left, kMainTop, right - left, kMainHeight};
  layout.residual.box = {left, kResidualTop, right - left, kResidualHeight};
  layout.x_ticks = fitting_x_ticks(layout.main.x, right - left);
}

}  // namespace

double PanelMap::pixel_x(double data_x) const {
  return box.left + range_fraction(data_x, x) * box.width;
}

double PanelMap::pixel_y(double data_y) const {
  return box.bottom() - range_fraction(data_y, y) * box.height;
}

MeasuredPlot measure_plot(const PlotRequest& request) {
  MeasuredPlot measured;
  PlotLayout& layout = measured.layout;

  Extent x_data;
  include_x(x_data, request.x, request.y);
  for (const SeriesPlot& series : request.more_series) include_x(x_data, series.x, series.y);
  if (x_data.empty()) x_data.low = x_data.high = 0;
  layout.main.x = layout.residual.x = axis_range_for(x_data.low, x_data.high);

  measured.sample_x = samples_across(drawable_extent(x_data.low, x_data.high));
  for (const Curve& curve : request.curves) measured.curve_y.push_back(sampled(curve, measured.sample_x));
  if (request.band) sample_band(*request.band, measured.sample_x, measured.band_low, measured.band_high);
  for (const SeriesPlot& series : request.more_series) {
    MeasuredPlot::SeriesSamples& samples = measured.more_series.emplace_back();
    samples.curve_y = sampled(series.curve, measured.sample_x);
    if (series.band) sample_band(*series.band, measured.sample_x, samples.band_low, samples.band_high);
  }
  layout.main.y = main_y_range(request, measured);

  Extent residual_data;
  residual_data.include(0);
  const Curve* first = request.curves.empty() ? nullptr : &request.curves.front();
  measured.residuals =
      residuals_of(request.x, request.y, request.not_fitted, first, residual_data, measured.any_not_fitted);
  for (std::size_t s = 0; s < request.more_series.size(); ++s) {
    const SeriesPlot& series = request.more_series[s];
    measured.more_series[s].residuals =
        residuals_of(series.x, series.y, series.not_fitted, &series.curve, residual_data, measured.any_not_fitted);
  }
  layout.residual.y = axis_range_for(residual_data.low, residual_data.high);

  layout.main.y_ticks = choose_ticks(layout.main.y, kMainYTicks);
  layout.residual.y_ticks = choose_ticks(layout.residual.y, kResidualYTicks);
  for (const std::vector<double>& ys : measured.curve_y)
    measured.curve_leaves_frame.push_back(leaves(ys, layout.main.y));
  for (MeasuredPlot::SeriesSamples& series : measured.more_series)
    series.curve_leaves_frame = leaves(series.curve_y, layout.main.y);
  lay_out_boxes(request, measured);
  return measured;
}

std::size_t series_colour(const PlotRequest& request, std::size_t s) {
  return s == 0 ? 0 : request.curves.size() + s - 1;
}

PlotLayout plot_layout(const PlotRequest& request) { return measure_plot(request).layout; }

}  // namespace polylsq::plot
