// compare_printed_curve against hand-derived differences: fits of exact polynomial data (so
// the accurate curve is known in closed form) or of a line worked by hand, with printed
// coefficients whose difference from it has a known worst point; read_back of each kind of
// printed field.
#include "app/printed_curve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace polylsq::app {
namespace {

using V = std::vector<double>;

// The accurate fit is right to about 30 digits and the printed decimals are doubles: 1e-12
// relative leaves room for both.
constexpr double kRelative = 1e-12;

void expect_near(double actual, double expected, const char* what) {
  EXPECT_NEAR(actual, expected, kRelative * std::fmax(1.0, std::fabs(expected))) << what;
}

double value_of(const V& p, double x) {
  double v = 0;
  for (std::size_t k = p.size(); k-- > 0;) v = v * x + p[k];
  return v;
}

struct CurveRow {
  std::string name;
  V x;
  V y;  // empty: the exact values of `exact` at x
  V exact;
  int degree;
  V printed;
  double y_range;
  // Derived by hand:
  double at_x, max_difference, printed_value, accurate_value, limit;
  bool marked;
};

V steps(double first, double step, int count) {
  V x;
  for (int i = 0; i < count; ++i) x.push_back(first + step * i);
  return x;
}

// clang-format off
TEST(ComparePrintedCurve, FindsTheWorstPointAndJudgesItByTheLimit) {
  const V cubic{2, 1, -1, 0.5};           // increasing on [-1.5, 1.5]: from -3.4375 to 2.9375
  const V off_cubic{2.0005, 0.997, -1, 0.501};  // differs by 0.0005 - 0.003 x + 0.001 x^3
  const V line_x = steps(1, 1, 5), line_y{2, 3, 5, 4, 6};  // fit 1.3 + 0.9 x, SD sqrt(1.9 / 3)
  const double line_sd = std::sqrt(1.9 / 3);
  const V far_x = steps(1e6, 1, 11);      // (x - 1000003)^2: 9 at the first x, 49 at the last
  const CurveRow rows[] = {
      // The difference peaks where 0.003 x^2 = 0.003: 0.0025 at x = -1, beyond 0.001625 at
      // x = -1.5 and 0.0015 at x = 1.
      {"interior worst point", steps(-1.5, 0.25, 13), {}, cubic, 3, off_cubic, 6.375,
       -1, 0.0025, -0.4975, -0.5, 0.06375, false},
      {"the same, marked by 1% of a narrow y range", steps(-1.5, 0.25, 13), {}, cubic, 3, off_cubic, 0.1,
       -1, 0.0025, -0.4975, -0.5, 0.001, true},
      {"x far from zero", far_x, {}, {1000006000009.0, -2000006, 1}, 2, {0}, 49,
       1000010, 49, 0, 49, 0.49, true},
      // The difference 0.5 + 0.05 x is largest at x = 5.
      {"within one residual SD", line_x, line_y, {}, 1, {1.8, 0.95}, 4, 5, 0.75, 6.55, 5.8, line_sd, false},
      {"beyond one residual SD", line_x, line_y, {}, 1, {1.8, 0.96}, 4, 5, 0.8, 6.6, 5.8, line_sd, true},
  };
  for (const CurveRow& row : rows) {
    SCOPED_TRACE(row.name);
    V y = row.y;
    for (std::size_t i = 0; y.size() < row.x.size(); ++i) y.push_back(value_of(row.exact, row.x[i]));
    const auto fit = accurate::fit_polynomial(row.x, y, {}, row.degree);
    ASSERT_TRUE(fit.has_value());
    const CurveComparison curve =
        compare_printed_curve(row.printed, *fit, row.x.front(), row.x.back(), row.y_range);
    expect_near(curve.at_x, row.at_x, "at_x");
    expect_near(curve.max_difference, row.max_difference, "max_difference");
    expect_near(curve.printed_value, row.printed_value, "printed_value");
    expect_near(curve.accurate_value, row.accurate_value, "accurate_value");
    expect_near(curve.limit, row.limit, "limit");
    EXPECT_EQ(curve.marked, row.marked);
    EXPECT_EQ(curve.printed_coefficients, row.printed);
  }
}
// clang-format on

TEST(ReadBack, GivesTheNumberOfAPrintedFieldOrNothing) {
  const std::pair<const char*, std::optional<double>> rows[] = {
      {"      .204", 0.204},   {"     -.956", -0.956}, {"  -123.000", -123.0},
      {"999999.999", 999999.999}, {"**********", std::nullopt}, {"1#QNAN....", std::nullopt},
      {"1#INF.....", std::nullopt}, {"          ", std::nullopt}, {"    1.5 x", std::nullopt},
  };
  for (const auto& [field, expected] : rows) EXPECT_EQ(read_back(field), expected) << field;
}

}  // namespace
}  // namespace polylsq::app
