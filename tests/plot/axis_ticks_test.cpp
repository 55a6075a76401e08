// Axis ranges, tick choice and tick label text against hand-derived tables: round steps
// (1, 2, 5 x 10^k), labels without binary noise, offsets for narrow spans far from zero,
// and the ends of the double range.
#include "plot/axis_ticks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>

#include "tests/plot/plot_test_support.h"

namespace polylsq::plot {
namespace {

constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Each word as the double nearest to it (strtod: an independent decimal conversion).
std::vector<double> decimals(const char* text) {
  std::vector<double> out;
  for (const std::string& word : testkit::words(text))
    out.push_back(std::strtod(word.c_str(), nullptr));
  return out;
}

// clang-format off
TEST(ChooseTicks, PicksTheSmallestRoundStepAndReadableLabels) {
  struct Row { double low, high; int max_ticks; const char* values; const char* labels; const char* title; };
  const Row rows[] = {
      {0, 1, 7, "0 0.2 0.4 0.6 0.8 1", "0 0.2 0.4 0.6 0.8 1", "x"},
      {0.1, 0.3, 7, "0.1 0.15 0.2 0.25 0.3", "0.1 0.15 0.2 0.25 0.3", "x"},
      {-1, 1, 7, "-1 -0.5 0 0.5 1", "-1 -0.5 0 0.5 1", "x"},
      {0.5, 0.9, 3, "0.6 0.8", "0.6 0.8", "x"},  // a step of 0.1 leaves five ticks
      {-10.6, 10.6, 5, "-10 -5 0 5 10", "-10 -5 0 5 10", "x"},
      {2000, 2020, 9, "2000 2005 2010 2015 2020", "2000 2005 2010 2015 2020", "x"},
      {1e6, 1e6 + 10, 7, "1000000 1000002 1000004 1000006 1000008 1000010",
       "1000000 1000002 1000004 1000006 1000008 1000010", "x"},
      {0, 1e6, 7, "0 2e5 4e5 6e5 8e5 1e6", "0 200000 400000 600000 800000 1000000", "x"},
      // From a largest label of 1e7, and below 1e-4, the labels share its power of ten.
      {0, 1e7, 7, "0 2e6 4e6 6e6 8e6 1e7", "0 0.2 0.4 0.6 0.8 1", "x (\u00d7 10\u2077)"},
      {1e9, 6e9, 7, "1e9 2e9 3e9 4e9 5e9 6e9", "1 2 3 4 5 6", "x (\u00d7 10\u2079)"},
      {1e12, 2e12, 7, "1e12 1.2e12 1.4e12 1.6e12 1.8e12 2e12", "1 1.2 1.4 1.6 1.8 2",
       "x (\u00d7 10\u00b9\u00b2)"},
      {0, 1e-4, 7, "0 2e-5 4e-5 6e-5 8e-5 1e-4", "0 0.00002 0.00004 0.00006 0.00008 0.0001", "x"},
      {0, 1e-5, 7, "0 2e-6 4e-6 6e-6 8e-6 1e-5", "0 0.2 0.4 0.6 0.8 1",
       "x (\u00d7 10\u207b\u2075)"},
      {-5e-5, 5e-5, 7, "-4e-5 -2e-5 0 2e-5 4e-5", "-4 -2 0 2 4", "x (\u00d7 10\u207b\u2075)"},
      {1e-300, 3e-300, 7, "1e-300 1.5e-300 2e-300 2.5e-300 3e-300", "1 1.5 2 2.5 3",
       "x (\u00d7 10\u207b\u00b3\u2070\u2070)"},
      {-kMax, kMax, 7, "-1.5e308 -1e308 -5e307 0 5e307 1e308 1.5e308",
       "-1.5 -1 -0.5 0 0.5 1 1.5", "x (\u00d7 10\u00b3\u2070\u2078)"},
      // Labels past 7 significant digits: offsets.
      {1e8, 100000000.0001, 7,
       "1e8 100000000.00002 100000000.00004 100000000.00006 100000000.00008 100000000.0001",
       "0 0.00002 0.00004 0.00006 0.00008 0.0001", "x \u2212 100000000"},
      {123456.7, 123456.8, 7, "123456.7 123456.72 123456.74 123456.76 123456.78 123456.8",
       "0.7 0.72 0.74 0.76 0.78 0.8", "x \u2212 123456"},
      {-123456.8, -123456.7, 7, "-123456.8 -123456.78 -123456.76 -123456.74 -123456.72 -123456.7",
       "0.2 0.22 0.24 0.26 0.28 0.3", "x + 123457"},
      {1e300, 1.000000000001e300, 7,
       "1e300 1.0000000000002e300 1.0000000000004e300 1.0000000000006e300 1.0000000000008e300 1.000000000001e300",
       "0 0.2 0.4 0.6 0.8 1", "x \u2212 1e+300 (\u00d7 10\u00b2\u2078\u2078)"}};
  for (const Row& row : rows) {
    const Ticks ticks = choose_ticks({row.low, row.high}, row.max_ticks);
    SCOPED_TRACE(testing::Message() << "[" << row.low << ", " << row.high << "]");
    EXPECT_EQ(ticks.values, decimals(row.values));
    EXPECT_EQ(ticks.labels, testkit::words(row.labels));
    EXPECT_EQ(axis_title("x", ticks), row.title);
  }
}

TEST(ChooseTicks, GivesNoTicksForRangesItCannotLabel) {
  const AxisRange rows[] = {{1, 1}, {2, 1}, {kNaN, 1}, {0, kInf}, {1, 1 + 4.5e-16}, {0, 5e-324}};
  for (const AxisRange& row : rows) EXPECT_TRUE(choose_ticks(row, 7).values.empty()) << row.low;
}

TEST(AxisRange, WidensDegenerateDataAndAddsFivePercentMargins) {
  struct Row { double low, high; AxisRange extent, axis; };
  const Row rows[] = {
      {0, 10, {0, 10}, {-0.5, 10.5}},              {5, 5, {4.5, 5.5}, {4.45, 5.55}},
      {-5, -5, {-5.5, -4.5}, {-5.55, -4.45}},      {0, 0, {-1, 1}, {-1.1, 1.1}},
      {kNaN, 1, {-1, 1}, {-1.1, 1.1}},             {3, 1, {-1, 1}, {-1.1, 1.1}},
      {1e300, 1e300, {9e299, 1.1e300}, {8.9e299, 1.11e300}},
      {-kMax, kMax, {-kMax, kMax}, {-kMax, kMax}}, {kMax, kMax, {0.9 * kMax, kMax}, {0.895 * kMax, kMax}},
      // Narrower than 1e-12 of the magnitude, or than 1e-300: widened to that.
      {1e8, std::nextafter(1e8, 2e8), {1e8 - 5e-5, 1e8 + 5e-5}, {1e8 - 5.5e-5, 1e8 + 5.5e-5}},
      {1e-310, 1e-310, {1e-310 - 5e-301, 1e-310 + 5e-301}, {1e-310 - 5.5e-301, 1e-310 + 5.5e-301}}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "[" << row.low << ", " << row.high << "]");
    const AxisRange extent = drawable_extent(row.low, row.high);
    const AxisRange axis = axis_range_for(row.low, row.high);
    EXPECT_DOUBLE_EQ(extent.low, row.extent.low);
    EXPECT_DOUBLE_EQ(extent.high, row.extent.high);
    EXPECT_DOUBLE_EQ(axis.low, row.axis.low);
    EXPECT_DOUBLE_EQ(axis.high, row.axis.high);
  }
}

TEST(RangeFraction, StaysFiniteAcrossTheWholeDoubleRange) {
  const std::tuple<double, AxisRange, double> rows[] = {
      {5, {0, 10}, 0.5},        {-5, {0, 10}, -0.5},   {0, {-kMax, kMax}, 0.5}, {kMax, {-kMax, kMax}, 1},
      {-kMax, {0, kMax}, -1},   {1e300, {1e300, 3e300}, 0},                     {1e308, {-1e-300, 1e-300}, kInf}};
  for (const auto& [value, range, fraction] : rows)
    EXPECT_DOUBLE_EQ(range_fraction(value, range), fraction) << value;
  EXPECT_TRUE(std::isnan(range_fraction(kNaN, {0, 1})));
}
// clang-format on

// Significant digits of a label's number: digits after leading zeros, before any exponent.
int significant_digits(const std::string& label) {
  int digits = 0;
  bool leading = true;
  for (char c : label.substr(0, label.find('e'))) {
    if (c < '0' || c > '9') continue;
    leading = leading && c == '0';
    digits += leading ? 0 : 1;
  }
  return digits;
}

TEST(ChooseTicks, LabelsReadBackAsEvenlySpacedTicksForAnyDataRange) {
  std::mt19937_64 generator(20240601);
  std::uniform_real_distribution<double> exponent(-299, 299), relative_span(-12, 3), unit(-1, 1);
  std::uniform_int_distribution<int> most(5, 10);
  for (int trial = 0; trial < 20000; ++trial) {
    const double magnitude = std::pow(10.0, exponent(generator));
    const double low = magnitude * unit(generator);
    const double high = low + magnitude * std::pow(10.0, relative_span(generator));
    const int max_ticks = most(generator);
    const AxisRange range = axis_range_for(low, high);
    const Ticks ticks = choose_ticks(range, max_ticks);
    SCOPED_TRACE(testing::Message() << std::hexfloat << low << " " << high << " " << max_ticks);
    ASSERT_GE(ticks.values.size(), 2u);
    ASSERT_LE(ticks.values.size(), static_cast<std::size_t>(max_ticks));
    ASSERT_EQ(ticks.labels.size(), ticks.values.size());
    const double step = ticks.values[1] - ticks.values[0];
    for (std::size_t i = 0; i < ticks.values.size(); ++i) {
      EXPECT_GE(ticks.values[i], range.low);
      EXPECT_LE(ticks.values[i], range.high);
      // Rounding of the tick values themselves, relative to their magnitude.
      const double slack = 1e-14 * std::max(std::fabs(ticks.values[i]), std::fabs(ticks.offset));
      const double spacing = i > 0 ? ticks.values[i] - ticks.values[i - 1] : step;
      EXPECT_NEAR(spacing, step, 1e-9 * step + slack);
      const std::string scaled = ticks.labels[i] + "e" + std::to_string(ticks.power);
      const double read_back = std::strtod(scaled.c_str(), nullptr) + ticks.offset;
      EXPECT_NEAR(read_back, ticks.values[i], 1e-9 * step + slack) << ticks.labels[i];
      EXPECT_LE(significant_digits(ticks.labels[i]), 7) << ticks.labels[i];
    }
  }
}

}  // namespace
}  // namespace polylsq::plot
