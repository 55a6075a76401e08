// Marker thinning past the exact limit: a bounded number of markers that are real points,
// lie within a cell diagonal of every point, and keep the outliers.
#include "plot/marker_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>

namespace polylsq::plot {
namespace {

using Key = std::pair<double, double>;

std::vector<Key> keys(const std::vector<PixelPoint>& points) {
  std::vector<Key> out;
  for (PixelPoint p : points) out.push_back({p.x, p.y});
  return out;
}

TEST(MarkerSet, ThinsADenseCloudToBoundedRealMarkersNearEveryPoint) {
  const PixelBox box{80, 44, 600, 370};
  std::mt19937 generator(7);
  std::normal_distribution<double> spread(0, 40);
  std::vector<PixelPoint> points;
  for (int i = 0; i < 30'000; ++i)
    points.push_back({380 + spread(generator), 230 + spread(generator) / 2});
  const std::vector<Key> outliers{{80, 44}, {680, 414}, {679.9, 50}};  // corners and an edge
  for (auto [x, y] : outliers) points.push_back({x, y});
  MarkerSet set(box);
  for (PixelPoint p : points) set.add(p);
  const std::vector<PixelPoint> markers = set.markers();

  const double cells = std::ceil(box.width / kMarkerCell) * std::ceil(box.height / kMarkerCell);
  EXPECT_LE(static_cast<double>(markers.size()), cells + 4);
  const std::vector<Key> point_keys = keys(points), marker_keys = keys(markers);
  const std::set<Key> input(point_keys.begin(), point_keys.end());
  for (const Key& m : marker_keys) EXPECT_TRUE(input.count(m)) << m.first << " " << m.second;
  const auto covered = [&](PixelPoint p) {
    return std::any_of(markers.begin(), markers.end(), [&](PixelPoint m) {
      return std::hypot(m.x - p.x, m.y - p.y) <= kMarkerCell * std::sqrt(2.0);
    });
  };
  EXPECT_EQ(std::count_if(points.begin(), points.end(), covered), std::ssize(points));
  for (const Key& outlier : outliers)
    EXPECT_NE(std::find(marker_keys.begin(), marker_keys.end(), outlier), marker_keys.end());
}

}  // namespace
}  // namespace polylsq::plot
