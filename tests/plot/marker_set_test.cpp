// Marker thinning: every point while few; past the limit a bounded number of markers that
// are real points, lie within a cell diagonal of every point, and include the extremes.
#include "plot/marker_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <set>

namespace polylsq::plot {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

using Points = std::vector<PixelPoint>;
using Key = std::pair<double, double>;

Key key(PixelPoint p) { return {p.x, p.y}; }

std::vector<Key> keys(const Points& points) {
  std::vector<Key> out;
  for (PixelPoint p : points) out.push_back(key(p));
  return out;
}

TEST(MarkerSet, KeepsEveryFinitePointInOrderUpToTheLimitThenOnePerCellPlusExtremes) {
  struct Row {
    Points added;
    Points markers;
  };
  // Limit 3, cells of 10 pixels; all points in different cells.
  const Row rows[] = {
      {{{1, 2}, {kNaN, 3}, {4, kInf}, {55, 66}, {31, 32}}, {{1, 2}, {55, 66}, {31, 32}}},
      {{{1, 2}, {55, 66}, {31, 32}, {95, 5}},
       // cells row by row: (0,0) (9,0) (3,3) (5,6); then least x, greatest x, least y, greatest y
       {{1, 2}, {95, 5}, {31, 32}, {55, 66}, {1, 2}, {95, 5}, {1, 2}, {55, 66}}},
  };
  for (const Row& row : rows) {
    MarkerSet set({0, 0, 100, 100}, 3, 10);
    for (PixelPoint p : row.added) set.add(p);
    EXPECT_EQ(keys(set.markers()), keys(row.markers));
  }
}

TEST(MarkerSet, ThinsADenseCloudToBoundedRealMarkersNearEveryPoint) {
  const PixelBox box{80, 44, 600, 370};
  std::mt19937 generator(7);
  std::normal_distribution<double> spread(0, 40);
  Points points;
  for (int i = 0; i < 200'000; ++i)
    points.push_back({380 + spread(generator), 230 + spread(generator) / 2});
  points.push_back({80, 44});  // far corners and an edge: outliers that must stay visible
  points.push_back({680, 414});
  points.push_back({679.9, 50});
  MarkerSet set(box);
  for (PixelPoint p : points) set.add(p);
  const Points markers = set.markers();

  const double cells = std::ceil(box.width / kMarkerCell) * std::ceil(box.height / kMarkerCell);
  EXPECT_LE(static_cast<double>(markers.size()), cells + 4);
  const std::vector<Key> point_keys = keys(points);
  const std::vector<Key> marker_keys = keys(markers);
  const std::set<Key> input(point_keys.begin(), point_keys.end());
  std::map<Key, Points> near;  // markers by 6-pixel bucket
  for (PixelPoint m : markers) {
    EXPECT_TRUE(input.count(key(m))) << m.x << " " << m.y;
    near[{std::floor(m.x / 6), std::floor(m.y / 6)}].push_back(m);
  }
  const double reach = kMarkerCell * std::sqrt(2.0);
  std::size_t uncovered = 0;
  for (PixelPoint p : points) {
    bool covered = false;
    for (int dx = -2; dx <= 2 && !covered; ++dx)
      for (int dy = -2; dy <= 2 && !covered; ++dy)
        if (auto bucket = near.find({std::floor(p.x / 6) + dx, std::floor(p.y / 6) + dy});
            bucket != near.end())
          for (PixelPoint m : bucket->second)
            covered = covered || std::hypot(m.x - p.x, m.y - p.y) <= reach;
    uncovered += covered ? 0 : 1;
  }
  EXPECT_EQ(uncovered, 0u);
  for (Key outlier : {Key{80, 44}, Key{680, 414}, Key{679.9, 50}})
    EXPECT_NE(std::find(marker_keys.begin(), marker_keys.end(), outlier), marker_keys.end());
}

}  // namespace
}  // namespace polylsq::plot
