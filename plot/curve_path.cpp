// Path data of curves and bands: breaks at undefined samples, values held near the panel.
#include "plot/curve_path.h"

#include <algorithm>
#include <cmath>

#include "plot/svg_writer.h"

namespace polylsq::plot {
namespace {

constexpr double kHeldOutside = 0.1;  // of the panel height, beyond each edge

double held_pixel_y(const PanelMap& map, double y) {
  const double fraction = std::clamp(range_fraction(y, map.y), -kHeldOutside, 1 + kHeldOutside);
  return map.box.bottom() - fraction * map.box.height;
}

void append_point(std::string& path, char command, double x, double y) {
  path += command;
  append_number(path, x);
  path += ' ';
  append_number(path, y);
}

// Calls draw(first, last) for each maximal run [first, last] of indices where defined(j),
// runs of one index included.
template <typename Defined, typename Draw>
void for_each_run(std::size_t count, Defined defined, Draw draw) {
  std::size_t j = 0;
  while (j < count) {
    if (!defined(j)) {
      ++j;
      continue;
    }
    const std::size_t first = j;
    while (j + 1 < count && defined(j + 1)) ++j;
    draw(first, j);
    ++j;
  }
}

}  // namespace

std::string curve_path(std::span<const double> xs, std::span<const double> ys,
                       const PanelMap& map) {
  std::string path;
  const auto defined = [&](std::size_t j) { return std::isfinite(xs[j]) && std::isfinite(ys[j]); };
  for_each_run(std::min(xs.size(), ys.size()), defined, [&](std::size_t first, std::size_t last) {
    if (first == last) return;
    for (std::size_t j = first; j <= last; ++j)
      append_point(path, j == first ? 'M' : 'L', map.pixel_x(xs[j]), held_pixel_y(map, ys[j]));
  });
  return path;
}

std::string band_path(std::span<const double> xs, std::span<const double> lows,
                      std::span<const double> highs, const PanelMap& map) {
  std::string path;
  const std::size_t count = std::min({xs.size(), lows.size(), highs.size()});
  const auto defined = [&](std::size_t j) {
    return std::isfinite(xs[j]) && std::isfinite(lows[j]) && std::isfinite(highs[j]);
  };
  for_each_run(count, defined, [&](std::size_t first, std::size_t last) {
    if (first == last) return;
    for (std::size_t j = first; j <= last; ++j)
      append_point(path, j == first ? 'M' : 'L', map.pixel_x(xs[j]), held_pixel_y(map, lows[j]));
    for (std::size_t j = last + 1; j-- > first;)
      append_point(path, 'L', map.pixel_x(xs[j]), held_pixel_y(map, highs[j]));
    path += 'Z';
  });
  return path;
}

}  // namespace polylsq::plot
