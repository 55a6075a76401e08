// Path data of curves and bands, byte for byte, on a panel where pixel = 10 * data
// (x across, y up from the bottom at 100): breaks at undefined samples, values beyond the
// panel held a tenth of its height outside it.
#include "plot/curve_path.h"

#include <gtest/gtest.h>

#include <limits>

namespace polylsq::plot {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

PanelMap ten_pixels_per_unit() { return PanelMap{{0, 0, 100, 100}, {0, 10}, {0, 10}, {}}; }

TEST(CurvePath, BreaksAtUndefinedSamplesAndHoldsFarValuesNearThePanel) {
  struct Row {
    std::vector<double> xs, ys;
    const char* path;
  };
  const Row rows[] = {
      {{0, 5, 10}, {0, 5, 10}, "M0 100L50 50L100 0"},
      {{0, 1, 2, 3}, {0, kNaN, 5, 10}, "M20 50L30 0"},  // a lone sample draws nothing
      {{0, 1, 2, 3, 4}, {0, 1, kInf, 2, 3}, "M0 100L10 90M30 80L40 70"},
      {{0, 1, 2}, {5, 1e300, -1e300}, "M0 50L10 -10L20 110"},
      {{0, 1}, {0.123, 9.876}, "M0 98.77L10 1.24"},
      {{0, 1}, {kNaN, kNaN}, ""},
  };
  for (const Row& row : rows)
    EXPECT_EQ(curve_path(row.xs, row.ys, ten_pixels_per_unit()), row.path) << row.path;
}

TEST(BandPath, ClosesOnePolygonPerDefinedStretch) {
  struct Row {
    std::vector<double> xs, lows, highs;
    const char* path;
  };
  const Row rows[] = {
      {{0, 1, 2}, {0, 0, 0}, {1, 2, 3}, "M0 100L10 100L20 100L20 70L10 80L0 90Z"},
      {{0, 1, 2, 3, 4}, {1, 1, 1, kNaN, 1}, {2, 2, kNaN, 2, 2}, "M0 90L10 90L10 80L0 80Z"},
      {{0, 1}, {-1e300, 0}, {1e300, 5}, "M0 110L10 100L10 50L0 -10Z"},
  };
  for (const Row& row : rows)
    EXPECT_EQ(band_path(row.xs, row.lows, row.highs, ten_pixels_per_unit()), row.path) << row.path;
}

}  // namespace
}  // namespace polylsq::plot
