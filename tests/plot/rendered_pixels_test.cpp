// Rendered pixels: rsvg-convert draws the curve, band, residual markers and background
// where the layout says, for an exact quadratic through integer data (residuals exactly 0)
// and for a curve that leaves the panel (clipped to it).
#include <gtest/gtest.h>

#include <cmath>

#include "plot/svg_plot.h"
#include "tests/plot/plot_test_support.h"

namespace polylsq::plot {
namespace {

using testkit::Rgb;
using testkit::rgb_from_hex;

// Antialiasing blends a stroke 2 pixels wide with the background at its edges; a pixel
// fully inside it keeps the stroke's colour. Fills and the background are exact up to the
// renderer's rounding of the blend.
constexpr int kStrokeTolerance = 48;
constexpr int kFillTolerance = 3;
constexpr int kRowsSearched = 3;  // either side of where a stroke's centre falls

double quadratic(double x) { return x * x - 4 * x + 3; }

struct Probe {
  const char* what;
  double x, y;  // pixel position
  Rgb colour;
  int tolerance;
  int rows_searched;
};

// The closest colour to probe.colour within the searched rows of the probe's column.
void expect_probe(const testkit::Image& image, const Probe& probe) {
  const int column = static_cast<int>(std::floor(probe.x));
  const int row = static_cast<int>(std::floor(probe.y));
  int best = 256;
  for (int r = row - probe.rows_searched; r <= row + probe.rows_searched; ++r)
    best = std::min(best, testkit::colour_distance(image.at(column, r), probe.colour));
  EXPECT_LE(best, probe.tolerance) << probe.what << " at (" << column << ", " << row << ")";
}

std::optional<testkit::Image> rendered(const PlotRequest& request) {
  std::string error;
  std::optional<testkit::Image> image = testkit::render(render_svg(request), error);
  EXPECT_TRUE(image.has_value()) << error;
  return image;
}

TEST(RenderedPixels, CurveBandResidualsAndBackgroundLandWhereTheLayoutSays) {
  POLYLSQ_SKIP_WITHOUT_RENDERER();
  std::vector<double> x, y;
  for (int i = 0; i <= 10; ++i) {
    x.push_back(i);
    y.push_back(quadratic(i));
  }
  const PlotRequest request{x,
                            y,
                            {Curve{quadratic, "fit", false}},
                            Band{[](double v) {
                                   return std::pair{quadratic(v) - 5, quadratic(v) + 5};
                                 },
                                 "band"},
                            "exact quadratic"};
  const PlotLayout layout = plot_layout(request);
  const PanelMap& main = layout.main;
  const PanelMap& residual = layout.residual;
  const Rgb white = rgb_from_hex(kBackgroundColour);
  const Rgb curve = rgb_from_hex(kCurveColours[0]);
  const Rgb marker = rgb_from_hex(kMarkerColour);
  // Band: 18% of #d62728 over white.
  const Rgb band{static_cast<int>(std::lround(255 - 0.18 * (255 - 214))),
                 static_cast<int>(std::lround(255 - 0.18 * (255 - 39))),
                 static_cast<int>(std::lround(255 - 0.18 * (255 - 40)))};
  // Between the data points (no marker there): 1.5 -> -0.75, 4.5 -> 5.25, 8.5 -> 41.25.
  const std::pair<double, double> on_curve[] = {{1.5, -0.75}, {4.5, 5.25}, {8.5, 41.25}};
  std::vector<Probe> probes;
  for (auto [cx, cy] : on_curve) {
    probes.push_back(
        {"curve", main.pixel_x(cx), main.pixel_y(cy), curve, kStrokeTolerance, kRowsSearched});
    probes.push_back({"band", main.pixel_x(cx), main.pixel_y(cy + 2.5), band, kFillTolerance, 0});
    probes.push_back(
        {"background above the band", main.pixel_x(cx), main.pixel_y(cy + 10), white, 0, 0});
  }
  for (double rx : {3.0, 6.0, 9.0})
    probes.push_back(
        {"residual marker", residual.pixel_x(rx), residual.pixel_y(0), marker, kFillTolerance, 0});
  probes.push_back(
      {"residual background", residual.pixel_x(2.5), residual.pixel_y(0) - 20, white, 0, 0});
  probes.push_back({"margin", 2, 2, white, 0, 0});

  const std::optional<testkit::Image> image = rendered(request);
  ASSERT_TRUE(image.has_value());
  for (const Probe& probe : probes) expect_probe(*image, probe);
}

TEST(RenderedPixels, ACurveLeavingThePanelIsClippedToIt) {
  POLYLSQ_SKIP_WITHOUT_RENDERER();
  const std::vector<double> x{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  const PlotRequest request{x,
                            x,
                            {Curve{[](double v) { return std::pow(v, 10); }, "fit", false}},
                            std::nullopt,
                            "clipped"};
  const PlotLayout layout = plot_layout(request);
  const double column = layout.main.pixel_x(9.5);  // where the curve is far above the panel
  const Rgb white = rgb_from_hex(kBackgroundColour);
  const Probe probes[] = {
      {"inside the panel below its top", column, layout.main.box.top + 3, white, 0, 0},
      {"the curve rising through the panel", layout.main.pixel_x(std::pow(10.0, 0.1)),
       layout.main.pixel_y(10), rgb_from_hex(kCurveColours[0]), kStrokeTolerance, kRowsSearched},
  };
  const std::optional<testkit::Image> image = rendered(request);
  ASSERT_TRUE(image.has_value());
  for (const Probe& probe : probes) expect_probe(*image, probe);
  // Nothing of the curve above the panel, where it would run unclipped.
  for (int row = 0; row < static_cast<int>(layout.main.box.top) - 1; ++row)
    ASSERT_EQ(image->at(static_cast<int>(column), row), white) << "row " << row;
}

}  // namespace
}  // namespace polylsq::plot
