// Where everything of a plot goes: the picture size, the two panels (observations and curves
// above, residuals below) with their data ranges, ticks and pixel boxes, and the samples of
// the curves and residuals measured once from the request. render_svg draws exactly this
// mapping, so a caller can tell where a data point lands without reading the SVG.
#pragma once

#include <cstddef>
#include <vector>

#include "plot/axis_ticks.h"
#include "plot/plot_request.h"

namespace polylsq::plot {

// A rectangle in picture pixels; y grows downward.
struct PixelBox {
  double left = 0;
  double top = 0;
  double width = 0;
  double height = 0;
  double right() const { return left + width; }
  double bottom() const { return top + height; }
};

// One panel: its plot area and the data ranges across and up it.
struct PanelMap {
  PixelBox box;
  AxisRange x;
  AxisRange y;
  Ticks y_ticks;
  // box.left at x.low, box.right() at x.high; NaN for NaN, possibly infinite far outside.
  double pixel_x(double data_x) const;
  // box.bottom() at y.low, box.top at y.high; NaN for NaN, possibly infinite far outside.
  double pixel_y(double data_y) const;
};

struct PlotLayout {
  double width = 0;  // picture size in pixels
  double height = 0;
  PanelMap main;            // observations, curves, band
  PanelMap residual;        // y - curves[0](x) against x; same x range and columns as main
  Ticks x_ticks;           // shared by both panels, labelled under the residual panel
  double legend_left = 0;  // left edge of the legend column: observations, curves, band
};

// Curve samples across the panels.
inline constexpr std::size_t kCurveSamples = 1000;
// Legend labels are cut to this many characters.
inline constexpr std::size_t kLegendLabelChars = 24;
// Approximate advance of one character of the 12 px sans-serif labels, for fitting text.
inline constexpr double kLabelCharWidth = 7.5;
// A legend row: line sample (or band swatch), gap, label.
inline constexpr double kLegendSampleWidth = 30;
inline constexpr double kLegendTextGap = 8;
// The legend row under a curve's label when part of the curve lies outside the frame.
inline constexpr const char* kLeavesFrameNote = "leaves the frame";
// The legend label of the hollow markers, shown when some observation was not fitted.
inline constexpr const char* kNotFittedLabel = "not fitted (weight 0)";

// Everything measured from a request, ready to draw.
struct MeasuredPlot {
  PlotLayout layout;
  std::vector<double> sample_x;              // ascending, across the data's x extent
  std::vector<std::vector<double>> curve_y;  // per curve, at sample_x; NaN where undefined
  std::vector<double> band_low, band_high;   // at sample_x when there is a band, else empty
  std::vector<double> residuals;             // per observation pair; NaN where undefined
                                             // or not fitted
  std::vector<bool> curve_leaves_frame;      // per curve: a sample beyond the main y range
  bool any_not_fitted = false;               // some observation pair is drawn hollow
  // The same for each further series (request.more_series), in order.
  struct SeriesSamples {
    std::vector<double> curve_y;
    std::vector<double> band_low, band_high;
    std::vector<double> residuals;
    bool curve_leaves_frame = false;
  };
  std::vector<SeriesSamples> more_series;
};

// The colour index (into kCurveColours, cyclic) of series `s` of `request`: 0 for its own
// observations, then one after its curves' for each further series.
std::size_t series_colour(const PlotRequest& request, std::size_t s);

// Evaluates the curves (kCurveSamples each), the bands and the residuals once and lays out
// the picture. Ranges: x covers the finite observations of every series (axis_range_for);
// the main y range covers the observations and whatever of the curves and bands lies
// within the observations' y extent widened by half its span on each side; the residual
// range covers the finite residuals of the fitted observations and zero. A callable that
// throws counts as NaN there. No failure path.
MeasuredPlot measure_plot(const PlotRequest& request);

// The layout part of measure_plot.
PlotLayout plot_layout(const PlotRequest& request);

}  // namespace polylsq::plot
