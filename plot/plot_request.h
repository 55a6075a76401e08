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
};

}  // namespace polylsq::plot
