// Bounded marker sets: exact while small, one marker per grid cell plus extremes when large.
#include "plot/marker_set.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace polylsq::plot {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMaxCellsPerSide = 4096;  // bounds the grid for any box and cell size

std::size_t cell_index(double offset, double cell, std::size_t count) {
  const double index = std::floor(offset / cell);
  if (!(index > 0)) return 0;
  return std::min(count - 1, static_cast<std::size_t>(std::min(index, 1e9)));
}

// Cells along a side of `length` pixels: at least one, at most kMaxCellsPerSide.
std::size_t cells_along(double length, double cell) {
  const double count = std::ceil(length / cell);
  if (!(count >= 1)) return 1;
  return static_cast<std::size_t>(std::min(count, kMaxCellsPerSide));
}

}  // namespace

MarkerSet::MarkerSet(PixelBox box, std::size_t exact_limit, double cell)
    : box_(box),
      exact_limit_(exact_limit),
      cell_(cell > 0 && std::isfinite(cell) ? cell : kMarkerCell),
      columns_(cells_along(box.width, cell_)),
      rows_(cells_along(box.height, cell_)) {}

void MarkerSet::add(PixelPoint point) {
  if (!std::isfinite(point.x) || !std::isfinite(point.y)) return;
  if (extremes_.empty()) {
    extremes_.assign(4, point);
  } else {
    if (point.x < extremes_[0].x) extremes_[0] = point;
    if (point.x > extremes_[1].x) extremes_[1] = point;
    if (point.y < extremes_[2].y) extremes_[2] = point;
    if (point.y > extremes_[3].y) extremes_[3] = point;
  }
  if (cells_.empty() && exact_.size() < exact_limit_) {
    exact_.push_back(point);
    return;
  }
  if (cells_.empty()) {
    cells_.assign(columns_ * rows_, PixelPoint{kNaN, kNaN});
    for (PixelPoint earlier : exact_) add_to_grid(earlier);
    exact_.clear();
    exact_.shrink_to_fit();
  }
  add_to_grid(point);
}

void MarkerSet::add_to_grid(PixelPoint point) {
  const std::size_t column = cell_index(point.x - box_.left, cell_, columns_);
  const std::size_t row = cell_index(point.y - box_.top, cell_, rows_);
  PixelPoint& slot = cells_[row * columns_ + column];
  if (std::isnan(slot.x)) slot = point;
}

std::vector<PixelPoint> MarkerSet::markers() const {
  if (cells_.empty()) return exact_;
  std::vector<PixelPoint> kept;
  for (const PixelPoint& slot : cells_)
    if (!std::isnan(slot.x)) kept.push_back(slot);
  kept.insert(kept.end(), extremes_.begin(), extremes_.end());
  return kept;
}

}  // namespace polylsq::plot
