// What a plot of a fit shows: the observations, the fitted curves as callables, an optional
// confidence band, a title and the names of the axes and the observations. Plain data; the callers
// evaluate the curves as accurately as they like, the plot only samples them.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace polylsq::plot {

struct Curve {
  std::function<double(double)> value;  // y at x; NaN, infinity or a throw break the line
  std::string label;                    // legend text, e.g. "accurate fit"
  bool dashed = false;
};

struct Band {
  std::function<std::pair<double, double>(double)> bounds;  // low, high at x
  std::string label;                                        // e.g. "95% confidence band"
};

// A further series of observations with its own fitted curve (and band), drawn in a colour
// of its own; its residuals against its curve share the residual panel.
struct SeriesPlot {
  std::span<const double> x;  // paired as the request's own observations
  std::span<const double> y;
  std::vector<bool> not_fitted = {};
  std::string label;  // legend text of the series, e.g. the name of its y column
  Curve curve;        // its fit; its label is not shown
  std::optional<Band> band = {};
};

struct PlotRequest {
  // Observations, paired by index; pairs beyond the shorter span and pairs with a
  // non-finite member are left out.
  std::span<const double> x;
  std::span<const double> y;
  std::vector<Curve> curves;  // the first is the fit whose residuals are drawn
  std::optional<Band> band;   // shaded around the first curve
  std::string title;          // e.g. "degree 2, n = 20, R² = 0.998364"
  // Per observation, true where the fit left it out (a weight of 0): drawn hollow and
  // given no residual. Empty, or shorter than the pairs: the rest were used.
  std::vector<bool> not_fitted = {};
  std::string x_label = "x";  // axis titles, e.g. the header names of the columns
  std::string y_label = "y";
  std::string observations_label = "observations";  // legend text of the markers
  // Further series. With any, every series is drawn in its own colour (the request's own
  // observations in the first curve's, then each further series in the colour after the
  // last curve's, in order), their residuals in it too, and the legend has one row per
  // series (a line sample with a marker, its label; `observations_label` for the
  // request's own) instead of the observations' and the first curve's rows.
  std::vector<SeriesPlot> more_series = {};
};

}  // namespace polylsq::plot
