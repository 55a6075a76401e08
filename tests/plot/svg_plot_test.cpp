// Whole documents for edge inputs: each is well-formed XML (libxml2), free of NaN and inf
// text, under 2 MB with a bounded marker count, and renders with rsvg-convert; the layout's
// ranges, ticks and titles for the edge ranges match hand-derived values and reach the text.
#include "plot/svg_plot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "plot/marker_set.h"
#include "tests/plot/plot_test_support.h"

namespace polylsq::plot {
namespace {

constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr std::size_t kMaxDocumentBytes = 2'000'000;

struct EdgeCase {
  std::string name;
  std::vector<double> x, y;
  std::vector<Curve> curves;
  std::optional<Band> band{};
  std::string title = "edge case";
  std::vector<bool> not_fitted{};
  PlotRequest request() const { return {x, y, curves, band, title, not_fitted}; }
};

std::vector<double> evenly(double first, double last, std::size_t count) {
  std::vector<double> values;
  for (std::size_t i = 0; i < count; ++i)
    values.push_back(first +
                     (last - first) * static_cast<double>(i) / static_cast<double>(count - 1));
  return values;
}

Curve curve(double (*f)(double), std::string label = "fit", bool dashed = false) {
  return {f, std::move(label), dashed};
}

double patchy(double x) {  // undefined below 3 and between 5 and 6, throws above 8
  if (x > 8) throw std::runtime_error("no value");
  return x < 3 ? kNaN : (x > 5 && x < 6 ? kInf : x);
}

// clang-format off
const std::vector<EdgeCase>& edge_cases() {
  static const std::vector<EdgeCase> cases = [] {
    const std::vector<double> many = evenly(2000, 2020, 1'000'000), zero_to_ten = evenly(0, 10, 11);
    std::vector<double> noisy;
    for (double x : many) noisy.push_back(std::sin(x) + std::sin(1e4 * x) / 3);
    return std::vector<EdgeCase>{
        {"one point", {5}, {3}, {curve([](double) { return 3.0; })}},
        {"a million points", many, noisy, {curve([](double x) { return std::sin(x); })}},
        {"constant y", evenly(0, 9, 10), std::vector<double>(10, 7), {curve([](double) { return 7.0; })}},
        {"huge magnitudes", evenly(1e300, 1e301, 10), evenly(-1e301, 1e301, 10),
         {curve([](double x) { return 2.2 * x - 1.2e301; })}},
        {"ends of the double range", {-kMax, kMax}, {kMax, -kMax}, {curve([](double x) { return -x; })}},
        {"tiny magnitudes", evenly(1e-300, 1e-299, 10), evenly(2e-300, 2e-299, 10),
         {curve([](double x) { return 2 * x; })}},
        {"x near 2000", evenly(2000, 2020, 21), evenly(-10, 10, 21), {curve([](double x) { return x - 2010; })}},
        {"curve leaves the data", zero_to_ten, zero_to_ten,
         {curve([](double x) { return std::pow(x, 10); }), curve([](double) { return 1e300; }, "far", true)}},
        {"undefined stretches", zero_to_ten, zero_to_ten, {curve(patchy)},
         Band{[](double x) { return std::pair{x < 4 ? kNaN : x - 1, x + 1}; }, "band"}},
        {"narrow x far from zero", evenly(1e8, 100000000.0001, 30), evenly(0, 1, 30),
         {curve([](double) { return 0.5; })}},
        {"x in billions, y in hundred-thousandths", evenly(1e9, 6e9, 11), evenly(1e-5, 6e-5, 11),
         {curve([](double x) { return x * 1e-14; })}},
        {"bad observations", {kNaN, 1, kInf, 2, 3, 4}, {1, kNaN, 2, 3, -kInf}, {curve([](double x) { return x; })}},
        {"rows not fitted", {1, 2, 3, 4, 5}, {2, 3, 5, 4, 6}, {curve([](double x) { return 1.3 + 0.9 * x; })},
         std::nullopt, "edge case", {false, false, false, true}},
        {"nothing", {}, {}, {}},
        {"empty callables", {1, 2}, {1, 2}, {Curve{}, Curve{}}, Band{}},
        {"hostile text", {1, 2, 3}, {1, 4, 9},
         {curve([](double x) { return x * x; }, std::string(200, 'L') + "<&>"),
          curve([](double x) { return x; }, "\"'\x01\xff", true)},
         Band{[](double x) { return std::pair{x * x - 1, x * x + 1}; }, "<band>"},
         "R\u00b2 <&> \"'\t\x02\xc0 " + std::string(300, 'T')}};
  }();
  return cases;
}
// clang-format on

std::string lowercase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

double marker_bound(const PixelBox& box) {
  return std::ceil(box.width / kMarkerCell) * std::ceil(box.height / kMarkerCell) + 4;
}

TEST(PlotXmlCheck, ReportsMalformedDocuments) {
  for (const char* bad :
       {"<a>", "<a>&</a>", "<a>1 < 2</a>", "<a>\x01</a>", "<a b=\"1\" b=\"2\"/>", "<a>\xff</a>"})
    EXPECT_NE(testkit::xml_error(bad), "") << bad;
  EXPECT_EQ(testkit::xml_error("<a b=\"&amp;\">\u00b2</a>"), "");
}

TEST(RenderSvg, EveryEdgeInputGivesAWellFormedBoundedDocumentWithoutNanOrInf) {
  for (const EdgeCase& edge : edge_cases()) {
    SCOPED_TRACE(edge.name);
    const std::string svg = render_svg(edge.request());
    const PlotLayout layout = plot_layout(edge.request());
    EXPECT_EQ(testkit::xml_error(svg), "");
    const std::string text = lowercase(svg);
    EXPECT_EQ(text.find("nan"), std::string::npos);
    EXPECT_EQ(text.find("inf"), std::string::npos);
    EXPECT_LT(svg.size(), kMaxDocumentBytes);
    EXPECT_LE(static_cast<double>(testkit::element_count(svg, "circle")),
              marker_bound(layout.main.box) + marker_bound(layout.residual.box));
    EXPECT_FALSE(layout.x_ticks.values.empty());
    EXPECT_FALSE(layout.main.y_ticks.values.empty());
  }
}

TEST(RenderSvg, EveryEdgeInputRendersWithARealRenderer) {
  POLYLSQ_SKIP_WITHOUT_RENDERER();
  for (const EdgeCase& edge : edge_cases()) {
    SCOPED_TRACE(edge.name);
    std::string error;
    const std::optional<testkit::Image> image = testkit::render(render_svg(edge.request()), error);
    ASSERT_TRUE(image.has_value()) << error;
    EXPECT_EQ(image->width, 800);
    EXPECT_EQ(image->height, 620);
  }
}

const EdgeCase& edge_case(std::string_view name) {
  return *std::find_if(edge_cases().begin(), edge_cases().end(),
                       [&](const EdgeCase& c) { return c.name == name; });
}

// clang-format off
TEST(RenderSvg, EdgeRangesGetHandDerivedAxesAndTheirTextReachesTheDocument) {
  struct Row { const char* name; AxisRange x, main_y; const char* x_labels; std::vector<const char*> texts;
               std::vector<bool> leaves_frame; };
  const Row rows[] = {
      {"one point", {4.45, 5.55}, {2.67, 3.33}, "4.6 4.8 5 5.2 5.4", {">x</text>", ">y</text>", ">residual</text>"},
       {false}},
      {"x near 2000", {1999, 2021}, {-11, 11}, "2000 2005 2010 2015 2020", {">2005</text>", ">edge case</text>"},
       {false}},
      // The curve counts only up to 15 (data 0..10 plus half its span), then the margin;
      // both curves go beyond it, and the legend says so under each.
      {"curve leaves the data", {-0.5, 10.5}, {-0.75, 15.75}, "0 2 4 6 8 10",
       {">fit</text>", ">far</text>", ">leaves the frame</text>"}, {true, true}},
      {"narrow x far from zero", {1e8 - 5e-6, 100000000.000105}, {-0.05, 1.05},
       "0 0.00002 0.00004 0.00006 0.00008 0.0001", {">x \u2212 100000000</text>"}, {false}},
      // One power of ten per axis, in its title, not on every tick.
      {"x in billions, y in hundred-thousandths", {0.75e9, 6.25e9}, {0.75e-5, 6.25e-5},
       "1 2 3 4 5 6",
       {">x (\u00d7 10\u2079)</text>", ">y (\u00d7 10\u207b\u2075)</text>", ">6</text>"}, {false}},
      // The band reaches 0 and 10.
      {"hostile text", {0.9, 3.1}, {-0.5, 10.5}, "1 1.5 2 2.5 3",
       {">&lt;band&gt;</text>", ">LLLLLLLLLLLLLLLLLLLLLLL\u2026</text>", ">&quot;&apos;\uFFFD\uFFFD</text>"},
       {false, false}}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const EdgeCase& edge = edge_case(row.name);
    const PlotLayout layout = plot_layout(edge.request());
    EXPECT_DOUBLE_EQ(layout.main.x.low, row.x.low);
    EXPECT_DOUBLE_EQ(layout.main.x.high, row.x.high);
    EXPECT_DOUBLE_EQ(layout.main.y.low, row.main_y.low);
    EXPECT_DOUBLE_EQ(layout.main.y.high, row.main_y.high);
    EXPECT_EQ(layout.x_ticks.labels, testkit::words(row.x_labels));
    EXPECT_GT(layout.legend_left, layout.main.box.right());
    const std::string svg = render_svg(edge.request());
    for (const char* text : row.texts) EXPECT_NE(svg.find(text), std::string::npos) << text;
    EXPECT_EQ(measure_plot(edge.request()).curve_leaves_frame, row.leaves_frame);
    EXPECT_EQ(svg.find(">leaves the frame</text>") != std::string::npos,
              std::count(row.leaves_frame.begin(), row.leaves_frame.end(), true) > 0);
  }
}
// clang-format on

// x = 1..5, the fourth not fitted: four filled markers and one ring above, four residuals
// below, the fourth undefined.
TEST(RenderSvg, ObservationsNotFittedAreHollowAndHaveNoResidual) {
  const EdgeCase& edge = edge_case("rows not fitted");
  const MeasuredPlot measured = measure_plot(edge.request());
  ASSERT_EQ(measured.residuals.size(), 5u);
  EXPECT_TRUE(std::isnan(measured.residuals[3]));
  EXPECT_DOUBLE_EQ(measured.residuals[2], 5 - (1.3 + 0.9 * 3));
  const std::string svg = render_svg(edge.request());
  EXPECT_EQ(testkit::element_count(svg, "circle"), 4u + 1 + 4 + 2);  // and two in the legend
  EXPECT_NE(svg.find(">not fitted (weight 0)</text>"), std::string::npos);
  const std::string ring_group = "<g fill=\"none\" stroke=\"" + std::string(kMarkerColour) + "\"";
  const std::size_t ring = svg.find(ring_group);
  ASSERT_NE(ring, std::string::npos);
  EXPECT_EQ(svg.find(ring_group, ring + 1), std::string::npos);  // one group, of one ring
  EXPECT_EQ(testkit::element_count(svg.substr(ring, svg.find("</g>", ring) + 4 - ring), "circle"), 1u);
}

// The legend's first row is the observations, with the request's label; a row for those
// not fitted only when some are; the axes carry the request's names.
TEST(RenderSvg, TheLegendNamesTheObservationsAndTheAxesTheirColumns) {
  const std::vector<double> x{8.3, 8.6, 8.8}, y{10.3, 10.3, 10.2};
  PlotRequest request{
      x, y, {curve([](double) { return 10.3; }, "degree 0")}, std::nullopt, "trees.csv"};
  const std::string plain = render_svg(request);
  for (const char* text :
       {">observations</text>", ">degree 0</text>", ">x</text>", ">trees.csv</text>"})
    EXPECT_NE(plain.find(text), std::string::npos) << text;
  EXPECT_EQ(plain.find(">not fitted (weight 0)</text>"), std::string::npos);
  EXPECT_EQ(testkit::element_count(plain, "circle"), 3u + 3 + 1);

  request.x_label = "Girth";
  request.y_label = "Volume <ft\u00b3>";
  request.observations_label = "Volume";
  request.not_fitted = {false, true};
  const std::string named = render_svg(request);
  for (const char* text : {">Girth</text>", ">Volume &lt;ft\u00b3&gt;</text>", ">Volume</text>",
                           ">not fitted (weight 0)</text>"})
    EXPECT_NE(named.find(text), std::string::npos) << text;
  EXPECT_EQ(named.find(">x</text>"), std::string::npos);
  EXPECT_EQ(named.find(">observations</text>"), std::string::npos);
  EXPECT_EQ(testkit::xml_error(named), "");
}

}  // namespace
}  // namespace polylsq::plot
