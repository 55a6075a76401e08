// predict and evaluate: the standard error and intervals of a straight line against the
// textbook closed forms (unweighted and weighted), values far outside the data, the
// degenerate and undefined cases, and the argument errors.
#include "accurate/prediction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/accurate/hard_families.h"
#include "tests/accurate/textbook_line.h"

namespace polylsq::accurate {
namespace {

using V = std::vector<double>;

// The closed forms below are evaluated in double: about 1e-15 relative, with margin.
constexpr double kClosedFormInDouble = 1e-12;

TEST(Predict, StraightLineMatchesTheTextbookIntervals) {
  const V x{1, 2, 4, 7}, y{2.1, 3.9, 8.2, 13.8};
  for (const V& w : {V{}, V{1, 2, 0.5, 1}}) {
    const testing::TextbookLine line = testing::textbook_line(x, y, w);
    const double sw = line.sum_of_weights, xbar = line.x_mean, sxx = line.sxx;
    const double a = line.intercept, b = line.slope;
    const double s = std::sqrt(line.residual_var);

    const auto fit = fit_polynomial(x, y, w, 1);
    ASSERT_TRUE(fit.has_value());
    for (const double x0 : {0.0, 3.0, 10.0}) {
      for (const double level : {0.95, 0.5}) {
        SCOPED_TRACE(::testing::Message() << "weighted " << !w.empty() << ", x0 " << x0
                                          << ", level " << level);
        const auto p = predict(*fit, x0, level);
        ASSERT_TRUE(p.has_value());
        const double value = a + b * x0;
        const double se = s * std::sqrt(1.0 / sw + (x0 - xbar) * (x0 - xbar) / sxx);
        const double q = testing::t_quantile_2df(level);
        const double half_confidence = q * se, half_prediction = q * std::sqrt(se * se + s * s);
        const double tolerance = kClosedFormInDouble * (std::fabs(value) + half_prediction);
        EXPECT_NEAR(p->fit, value, tolerance);
        EXPECT_NEAR(*p->se_fit, se, kClosedFormInDouble * se);
        EXPECT_NEAR(*p->quantile, q, kClosedFormInDouble * q);
        EXPECT_NEAR(p->confidence->lower, value - half_confidence, tolerance);
        EXPECT_NEAR(p->confidence->upper, value + half_confidence, tolerance);
        EXPECT_NEAR(p->prediction->lower, value - half_prediction, tolerance);
        EXPECT_NEAR(p->prediction->upper, value + half_prediction, tolerance);
      }
    }
  }
}

// y = 1 - 2x + 3x^2 exactly: no spread, and the value is exact far outside the data.
TEST(Predict, ExactFitHasZeroWidthIntervalsAndExactValuesFarAway) {
  const testing::DataSet set = testing::exact_quadratic(8);
  const auto fit = fit_polynomial(set.x, set.y, {}, 2);
  ASSERT_TRUE(fit.has_value());
  EXPECT_EQ(evaluate(*fit, 1e6), 3e12 - 2e6 + 1);
  EXPECT_EQ(evaluate(*fit, -0.5), 2.75);
  const std::vector<double> at{1e6, -0.5, 2.5, 0.0};
  EXPECT_EQ(evaluate_all(*fit, at), (std::vector<double>{3e12 - 2e6 + 1, 2.75, 14.75, 1.0}));
  const auto p = predict(*fit, 2.5);
  ASSERT_TRUE(p.has_value());
  EXPECT_EQ(p->fit, 14.75);
  EXPECT_EQ(p->se_fit, 0.0);
  EXPECT_EQ(p->confidence->lower, 14.75);
  EXPECT_EQ(p->prediction->upper, 14.75);
}

TEST(Predict, NoErrorDegreesOfFreedomLeavesTheIntervalsUndefined) {
  const auto fit = fit_polynomial(V{0, 1, 2}, V{1, 3, 7}, {}, 2);
  ASSERT_TRUE(fit.has_value());
  const auto p = predict(*fit, 3.0);
  ASSERT_TRUE(p.has_value());
  EXPECT_EQ(p->fit, 13.0);
  EXPECT_FALSE(p->se_fit || p->confidence || p->prediction || p->quantile);
}

TEST(Predict, BadArgumentsGiveTheirMessages) {
  const auto fit = fit_polynomial(V{0, 1, 2, 3}, V{1, 3, 2, 5}, {}, 1);
  ASSERT_TRUE(fit.has_value());
  struct Case {
    double x0, level;
    const char* message;
  };
  const Case cases[] = {
      {std::nan(""), 0.95, "x0 is not a finite number"},
      {INFINITY, 0.95, "x0 is not a finite number"},
      {1.0, 1.0, "the confidence level must lie strictly between 0 and 1"},
      {1.0, 0.0, "the confidence level must lie strictly between 0 and 1"},
      {1.7e308, 0.95, "the prediction at x = 1.7e+308 does not fit in a double"},  // 1.1 x
  };
  for (const Case& c : cases) {
    const auto p = predict(*fit, c.x0, c.level);
    ASSERT_FALSE(p.has_value()) << c.message;
    EXPECT_EQ(p.error().message, c.message);
  }
}

}  // namespace
}  // namespace polylsq::accurate
