// SVG path data of sampled curves and bands in a panel. A non-finite sample breaks the line
// (or splits the band); values beyond the panel are held a tenth of its height outside it,
// so every coordinate stays short and finite and the caller clips to the panel. With samples
// well under a pixel apart this looks the same as cutting the line at the panel edge.
#pragma once

#include <span>
#include <string>

#include "plot/plot_layout.h"

namespace polylsq::plot {

// "M x y L x y ..." through (xs[j], ys[j]), a new "M" after each break; stretches of a
// single sample are left out. Empty when nothing is drawable. Spans of equal length.
std::string curve_path(std::span<const double> xs, std::span<const double> ys, const PanelMap& map);

// Closed polygons between lows[j] and highs[j]: along the lows, back along the highs, "Z";
// one per stretch of samples where both bounds are finite. Spans of equal length.
std::string band_path(std::span<const double> xs, std::span<const double> lows,
                      std::span<const double> highs, const PanelMap& map);

}  // namespace polylsq::plot
