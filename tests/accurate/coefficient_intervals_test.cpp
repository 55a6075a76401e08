// coefficient_intervals: a line against the textbook closed forms, a quadratic against its
// exact rational fit, the undefined and exact cases, and the level errors. Data with two
// error degrees of freedom, where Student's t quantile has a closed form.
#include "accurate/coefficient_intervals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "tests/accurate/exact_least_squares.h"
#include "tests/accurate/hard_families.h"
#include "tests/accurate/textbook_line.h"

namespace polylsq::accurate {
namespace {

using V = std::vector<double>;

// The closed forms below are evaluated in double: about 1e-15 relative, with margin.
constexpr double kClosedFormInDouble = 1e-12;

TEST(CoefficientIntervals, LineMatchesTheTextbookIntervals) {
  const V x{1, 2, 4, 7}, y{2.1, 3.9, 8.2, 13.8};
  for (const V& w : {V{}, V{1, 2, 0.5, 1}}) {
    const testing::TextbookLine line = testing::textbook_line(x, y, w);
    const double sw = line.sum_of_weights, xbar = line.x_mean, sxx = line.sxx;
    const double a = line.intercept, b = line.slope;
    const double s = std::sqrt(line.residual_var);
    const double se[] = {s * std::sqrt(1 / sw + xbar * xbar / sxx), s / std::sqrt(sxx)};
    const double coefficient[] = {a, b};
    const auto fit = fit_polynomial(x, y, w, 1);
    ASSERT_TRUE(fit.has_value());
    for (const double level : {0.95, 0.5, 0.999}) {
      SCOPED_TRACE(::testing::Message() << "weighted " << !w.empty() << ", level " << level);
      const auto intervals = coefficient_intervals(*fit, level);
      ASSERT_TRUE(intervals.has_value());
      ASSERT_EQ(intervals->size(), 2u);
      for (int k = 0; k < 2; ++k) {
        const double half = testing::t_quantile_2df(level) * se[k];
        const double tolerance = kClosedFormInDouble * (std::fabs(coefficient[k]) + half);
        EXPECT_NEAR((*intervals)[k].lower, coefficient[k] - half, tolerance);
        EXPECT_NEAR((*intervals)[k].upper, coefficient[k] + half, tolerance);
      }
    }
  }
}

// a_k -/+ q se_k with a_k and se_k from the exact rational fit, q in closed form.
TEST(CoefficientIntervals, QuadraticMatchesItsExactFit) {
  const V x{0.5, 1.5, 2.0, 3.25, 4.0}, y{1.0, 2.5, 2.0, 6.0, 4.5};
  constexpr double kExactDigits = 12.0;
  for (const V& w : {V{}, V{1, 3, 2, 1, 0.25}}) {
    SCOPED_TRACE(w.empty() ? "unweighted" : "weighted");
    const testing::ExactFit exact = testing::exact_fit(x, y, w, 2);
    const auto fit = fit_polynomial(x, y, w, 2);
    ASSERT_TRUE(fit.has_value());
    const auto intervals = coefficient_intervals(*fit, 0.9);
    ASSERT_TRUE(intervals.has_value());
    ASSERT_EQ(intervals->size(), 3u);
    const testing::Float100 q =
        testing::Float100(9) / 10 * sqrt(testing::Float100(2) / (1 - testing::Float100(81) / 100));
    for (std::size_t k = 0; k < 3; ++k) {
      const testing::Float100 a = testing::to_float(exact.coefficients[k]);
      const testing::Float100 half = q * exact.standard_errors[k];
      EXPECT_GE(testing::correct_digits((*intervals)[k].lower, a - half), kExactDigits) << k;
      EXPECT_GE(testing::correct_digits((*intervals)[k].upper, a + half), kExactDigits) << k;
    }
  }
}

TEST(CoefficientIntervals, UndefinedWithoutErrorDegreesOfFreedomAndEmptyWidthWhenExact) {
  const auto interpolating = fit_polynomial(V{0, 1, 2}, V{1, 3, 7}, {}, 2);
  ASSERT_TRUE(interpolating.has_value());
  const auto none = coefficient_intervals(*interpolating);
  ASSERT_TRUE(none.has_value());
  EXPECT_TRUE(none->empty());

  const testing::DataSet set = testing::exact_quadratic(10);
  const auto exact = fit_polynomial(set.x, set.y, {}, 2);
  ASSERT_TRUE(exact.has_value());
  const auto point = coefficient_intervals(*exact);
  ASSERT_TRUE(point.has_value());
  ASSERT_EQ(point->size(), 3u);
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_EQ((*point)[k].lower, exact->coefficients[k]);
    EXPECT_EQ((*point)[k].upper, exact->coefficients[k]);
  }
}

TEST(CoefficientIntervals, ALevelOutsideZeroToOneIsAnError) {
  const auto fit = fit_polynomial(V{1, 2, 4, 7}, V{2.1, 3.9, 8.2, 13.8}, {}, 1);
  ASSERT_TRUE(fit.has_value());
  for (const double level : {0.0, 1.0, -0.5, std::numeric_limits<double>::quiet_NaN()}) {
    const auto intervals = coefficient_intervals(*fit, level);
    ASSERT_FALSE(intervals.has_value());
    EXPECT_EQ(intervals.error().kind, ErrorKind::kInvalidArgument);
    EXPECT_EQ(intervals.error().message, "the confidence level must lie strictly between 0 and 1");
  }
}

}  // namespace
}  // namespace polylsq::accurate
