// The SVG picture of a fit: observations and curves above, residuals of the first curve
// below, round-numbered axes with their titles, the title and a legend of the observations,
// curves and band. Sound for any input: degenerate, huge or
// tiny ranges, millions of points, curves that leave the data or are undefined somewhere.
#pragma once

#include <string>

#include "plot/plot_layout.h"
#include "plot/plot_request.h"

namespace polylsq::plot {

// Colours of the picture, for callers and tests that look at rendered pixels.
inline constexpr const char* kBackgroundColour = "#ffffff";
inline constexpr const char* kMarkerColour = "#404040";
inline constexpr const char* kCurveColours[] = {"#d62728", "#1f77b4", "#2ca02c",
                                                "#9467bd", "#ff7f0e", "#8c564b"};
inline constexpr double kMarkerRadius = 2.5;
inline constexpr double kCurveWidth = 2;

// The complete SVG document (UTF-8, self-contained) drawing `request` with the layout that
// plot_layout(request) returns. Every number in it is finite and written with at most two
// decimals; at most a few thousand markers per panel however many observations there are
// (see MarkerSet; about 8400 in all for a million points filling both panels, up to twice
// the main panel's share when some are not fitted). A curve with samples beyond the main
// panel's y range gets a "leaves the frame" row under its legend label. The document
// is at most about 0.4 MB plus 15 kB per curve, so under 2 MB for up to 100 curves.
// No failure path.
std::string render_svg(const PlotRequest& request);

}  // namespace polylsq::plot
