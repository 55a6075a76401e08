// The observation markers of one panel, bounded in number: every point while there are
// few, past that one marker per occupied cell of a pixel grid (so outliers and the shape of
// dense clouds survive) plus the points of least and greatest x and y exactly.
#pragma once

#include <cstddef>
#include <vector>

#include "plot/plot_layout.h"

namespace polylsq::plot {

struct PixelPoint {
  double x = 0;
  double y = 0;
};

// Marker counts: all points up to kExactMarkers; beyond, at most one per kMarkerCell-pixel
// cell of the panel box, about (width / cell) * (height / cell), plus four.
inline constexpr std::size_t kExactMarkers = 4000;
inline constexpr double kMarkerCell = 6;

class MarkerSet {
 public:
  explicit MarkerSet(PixelBox box, std::size_t exact_limit = kExactMarkers,
                     double cell = kMarkerCell);

  // Adds a point in pixels; non-finite points are ignored, points outside the box count
  // toward the nearest cell.
  void add(PixelPoint point);

  // Markers to draw: the points in the order added while at most exact_limit were added;
  // otherwise one per occupied cell (its first point), row by row, then the extremes.
  std::vector<PixelPoint> markers() const;

 private:
  void add_to_grid(PixelPoint point);

  PixelBox box_;
  std::size_t exact_limit_;
  double cell_;
  std::size_t columns_;
  std::size_t rows_;
  std::vector<PixelPoint> exact_;
  std::vector<PixelPoint> cells_;     // per cell; NaN x when empty
  std::vector<PixelPoint> extremes_;  // least x, greatest x, least y, greatest y
};

}  // namespace polylsq::plot
