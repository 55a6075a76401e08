// fit_polynomial: every input error with its exact message, the cases whose statistics are
// partly undefined (constant y, exact fit, degree 0, as many observations as coefficients)
// or not meaningful (an essentially perfect fit), weights (zero weights, integer weights as
// repeated rows, p values of closed form), the covariance matrix (a line's closed form, a
// quadratic's exact inverse).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "accurate/polynomial_fit.h"
#include "tests/accurate/exact_least_squares.h"
#include "tests/accurate/hard_families.h"
#include "tests/accurate/textbook_line.h"

namespace polylsq::accurate {
namespace {

using V = std::vector<double>;
const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(FitPolynomial, EachBadInputGivesItsKindAndMessage) {
  struct Case {
    V x, y, w;
    int degree;
    ErrorKind kind;
    const char* message;
    std::optional<std::size_t> observation;
  };
  const Case cases[] = {
      {{1, 2}, {1, 2}, {}, 11, ErrorKind::kDegreeOutOfRange,
       "the degree must be an integer from 0 to 10 (it is 11)", {}},
      {{1, 2}, {1, 2}, {}, -1, ErrorKind::kDegreeOutOfRange,
       "the degree must be an integer from 0 to 10 (it is -1)", {}},
      {{1, 2, 3}, {1, 2}, {}, 1, ErrorKind::kSizeMismatch, "x has 3 values but y has 2", {}},
      {{1, 2, 3}, {1, 2, 3}, {1, 1}, 1, ErrorKind::kSizeMismatch,
       "there are 2 weights for 3 observations", {}},
      {{1, 2, kNaN}, {1, 2, 3}, {}, 1, ErrorKind::kNonFiniteValue,
       "observation 3: x is not a finite number (nan)", 2},
      {{1, 2, 3}, {kInf, 2, 3}, {}, 1, ErrorKind::kNonFiniteValue,
       "observation 1: y is not a finite number (inf)", 0},
      {{1, 2, 3}, {1, 2, 3}, {1, -kInf, 1}, 1, ErrorKind::kNonFiniteValue,
       "observation 2: the weight is not a finite number (-inf)", 1},
      {{1, 2, 3}, {1, 2, 3}, {1, -0.5, 1}, 1, ErrorKind::kNegativeWeight,
       "observation 2: the weight -0.5 is negative", 1},
      {{1, 2, kInf}, {1, kNaN, 3}, {}, 1, ErrorKind::kNonFiniteValue,
       "observation 2: y is not a finite number (nan)", 1},
      {{1, 2, 3}, {1, 2, 3}, {}, 3, ErrorKind::kTooFewObservations,
       "3 observations cannot determine a polynomial of degree 3: at least 4 are needed", {}},
      {{}, {}, {}, 0, ErrorKind::kTooFewObservations,
       "0 observations cannot determine a polynomial of degree 0: at least 1 is needed", {}},
      {{5}, {1}, {}, 1, ErrorKind::kTooFewObservations,
       "1 observation cannot determine a polynomial of degree 1: at least 2 are needed", {}},
      {{1, 2, 3, 4}, {1, 2, 3, 4}, {1, 0, 2, 0}, 2, ErrorKind::kTooFewObservations,
       "2 observations of positive weight cannot determine a polynomial of degree 2: at least "
       "3 are needed", {}},
      {{2, 2, 2, 2}, {1, 2, 3, 4}, {}, 1, ErrorKind::kConstantX,
       "x is constant (2): a polynomial of degree 1 needs at least 2 distinct x values", {}},
      {{1, 2, 3, 1, 2, 3}, {1, 2, 3, 4, 5, 6}, {}, 3, ErrorKind::kTooFewDistinctX,
       "3 distinct x values cannot determine a polynomial of degree 3: at least 4 are needed", {}},
      {{1, 2, 3, 4, 1}, {1, 2, 3, 4, 5}, {1, 1, 1, 0, 1}, 3, ErrorKind::kTooFewDistinctX,
       "3 distinct x values cannot determine a polynomial of degree 3: at least 4 are needed", {}},
      {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 1e300}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {}, 10,
       ErrorKind::kIllConditioned,
       "the x values are too close together against their range to determine a polynomial of "
       "degree 10", {}},
      {{0, 0x1p-1000, 0x1p-999}, {0, 1, 4}, {}, 2, ErrorKind::kOutOfRange,
       "the coefficient of x^2 (about 1.148e+602) does not fit in a double", {}},
      {{0, 1, 2}, {1e300, -1e300, 1e300}, {}, 1, ErrorKind::kOutOfRange,
       "the total sum of squares (about 2.667e+600) does not fit in a double", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const auto fit = fit_polynomial(c.x, c.y, c.w, c.degree);
    ASSERT_FALSE(fit.has_value());
    EXPECT_EQ(fit.error().kind, c.kind);
    EXPECT_EQ(fit.error().message, c.message);
    EXPECT_EQ(fit.error().observation, c.observation);
  }
}

TEST(FitPolynomial, ConstantYIsAnExactFitWithUndefinedRSquared) {
  const V x{1, 2, 3, 4, 5}, y{7.25, 7.25, 7.25, 7.25, 7.25};
  const auto fit = fit_polynomial(x, y, {}, 2);
  ASSERT_TRUE(fit.has_value());
  EXPECT_EQ(fit->coefficients, (V{7.25, 0, 0}));
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(fit->standard_errors[k], 0.0);
    EXPECT_FALSE(fit->t_values[k] || fit->p_values[k]);
  }
  EXPECT_EQ(fit->residual_sd, 0.0);
  EXPECT_FALSE(fit->r_squared || fit->adjusted_r_squared || fit->anova.f_value);
  EXPECT_EQ(fit->anova.total_sum_of_squares, 0.0);
  EXPECT_EQ(fit->covariance, V(9, 0.0));
  EXPECT_TRUE(fit->exact);
  ASSERT_EQ(fit->warnings.size(), 1u);
  EXPECT_EQ(fit->warnings[0].rfind("y is constant", 0), 0u);
}

TEST(FitPolynomial, ExactPolynomialDataGiveZeroStandardErrors) {
  const testing::DataSet set = testing::exact_quadratic(10);
  const auto fit = fit_polynomial(set.x, set.y, {}, 2);
  ASSERT_TRUE(fit.has_value());
  EXPECT_EQ(fit->coefficients, (V{1, -2, 3}));
  EXPECT_TRUE(fit->exact);
  EXPECT_EQ(fit->residual_sd, 0.0);
  EXPECT_EQ(fit->anova.error_sum_of_squares, 0.0);
  EXPECT_EQ(fit->r_squared, 1.0);
  EXPECT_EQ(fit->adjusted_r_squared, 1.0);
  EXPECT_FALSE(fit->anova.f_value || fit->anova.f_p_value);
  EXPECT_EQ(fit->covariance, V(9, 0.0));
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(fit->standard_errors[k], 0.0);
    EXPECT_FALSE(fit->t_values[k]);
  }
}

// Degree 0 fits the mean: se = s / sqrt(n), R-squared 0, no F.
TEST(FitPolynomial, DegreeZeroIsTheMeanWithItsStandardError) {
  const V x{3, 1, 4, 1, 5}, y{2, 4, 4, 5, 10};  // mean 5, squares about it 36
  const auto fit = fit_polynomial(x, y, {}, 0);
  ASSERT_TRUE(fit.has_value());
  EXPECT_EQ(fit->coefficients, V{5});
  EXPECT_DOUBLE_EQ(*fit->residual_sd, 3.0);  // sqrt(36 / 4)
  EXPECT_DOUBLE_EQ(*fit->standard_errors[0], 3.0 / std::sqrt(5.0));
  ASSERT_EQ(fit->covariance.size(), 1u);
  EXPECT_DOUBLE_EQ(fit->covariance[0], 9.0 / 5.0);
  EXPECT_EQ(fit->r_squared, 0.0);
  EXPECT_EQ(fit->adjusted_r_squared, 0.0);
  EXPECT_EQ(fit->anova.regression_df, 0);
  EXPECT_FALSE(fit->anova.regression_mean_square || fit->anova.f_value);
  EXPECT_EQ(fit->warnings,
            std::vector<std::string>{"degree 0 has no regression term: F and its p value are undefined"});
}

// R's criterion: residual variance below 1e-30 (mean^2 + variance) of the fitted values,
// with the weights scaled to a mean of 1. y = 1 + x on x = 1..10 moved by one ulp up and
// down: residual variance about 2e-30 against 1e-30 (6.5^2 + 82.5 / 9) = 5.1e-29.
TEST(FitPolynomial, AnEssentiallyPerfectFitSaysItsTestsAreNotMeaningful) {
  const std::string kNotMeaningful = "the t values, p values and F are not meaningful";
  const std::string kUndefined = "the t values, p values and F are undefined";
  struct Row {
    std::string name;
    double noise_ulps;  // y moved by this many ulps, alternately up and down
    double weight;      // of every observation; 0 for an unweighted fit
    int degree;
    std::string warning_end;  // empty: no warning
  };
  const Row rows[] = {
      {"one ulp of noise", 1, 0, 1, kNotMeaningful},
      {"the same with weights 1e10", 1, 1e10, 1, kNotMeaningful},
      {"noise of a few millionths", 1e10, 0, 1, ""},
      {"no noise: exact", 0, 0, 1, kUndefined},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    V x, y, w;
    for (int i = 1; i <= 10; ++i) {
      const double exact = 1.0 + i;
      const double ulp = std::nextafter(exact, kInf) - exact;
      x.push_back(i);
      y.push_back(exact + (i % 2 == 0 ? 1 : -1) * row.noise_ulps * ulp);
      if (row.weight > 0) w.push_back(row.weight);
    }
    const auto fit = fit_polynomial(x, y, w, row.degree);
    ASSERT_TRUE(fit.has_value());
    if (row.warning_end.empty()) {
      EXPECT_TRUE(fit->warnings.empty());
      continue;
    }
    ASSERT_EQ(fit->warnings.size(), 1u);
    const std::string& warning = fit->warnings[0];
    EXPECT_EQ(warning.substr(warning.size() - row.warning_end.size()), row.warning_end) << warning;
  }
}

// y = 1 + x + ... + x^5 on x = 0..20 (an exact quintic with nearly collinear powers): exact,
// and the warning says which statistics are undefined.
TEST(FitPolynomial, AnExactQuinticOnZeroToTwentyIsExact) {
  V x, y;
  for (int i = 0; i <= 20; ++i) {
    x.push_back(i);
    y.push_back(1.0 + i + i * i + std::pow(i, 3) + std::pow(i, 4) + std::pow(i, 5));
  }
  const auto fit = fit_polynomial(x, y, {}, 5);
  ASSERT_TRUE(fit.has_value());
  EXPECT_TRUE(fit->exact);
  EXPECT_EQ(fit->coefficients, V(6, 1.0));
  EXPECT_FALSE(fit->t_values[0] || fit->anova.f_value);
  const std::string exact_warning =
      "the polynomial fits every observation exactly: the standard errors are 0 and the t "
      "values, p values and F are undefined";
  EXPECT_NE(std::find(fit->warnings.begin(), fit->warnings.end(), exact_warning), fit->warnings.end());
}

// Three points, degree 2: y = 1 + x + x^2 through them, no error degrees of freedom.
TEST(FitPolynomial, AsManyObservationsAsCoefficientsLeavesSpreadUndefined) {
  const auto fit = fit_polynomial(V{0, 1, 2}, V{1, 3, 7}, {}, 2);
  ASSERT_TRUE(fit.has_value());
  EXPECT_EQ(fit->coefficients, (V{1, 1, 1}));
  EXPECT_EQ(fit->anova.error_df, 0);
  EXPECT_FALSE(fit->residual_sd || fit->adjusted_r_squared || fit->anova.f_value ||
               fit->anova.error_mean_square);
  for (int k = 0; k < 3; ++k) EXPECT_FALSE(fit->standard_errors[k] || fit->t_values[k]);
  EXPECT_TRUE(fit->covariance.empty());
  EXPECT_EQ(fit->r_squared, 1.0);
}

TEST(FitPolynomial, BadlySpreadXGiveAWarningWithTheDigitsAtRisk) {
  const testing::DataSet set = testing::clustered();
  const auto fit = fit_polynomial(set.x, set.y, {}, set.degree);
  ASSERT_TRUE(fit.has_value());
  ASSERT_EQ(fit->warnings.size(), 1u);
  EXPECT_EQ(fit->warnings[0].rfind("the x values are badly spread for degree 3 (condition number ", 0),
            0u);
}

// y = 1e-300 (1, 3, 2, 5) at x = 0..3: a = b = 1.1e-300; the squares lie below the doubles.
TEST(FitPolynomial, TinyYFitsAndWarnsOfSumsOfSquaresBelowTheDoubleRange) {
  const auto fit = fit_polynomial(V{0, 1, 2, 3}, V{1e-300, 3e-300, 2e-300, 5e-300}, {}, 1);
  ASSERT_TRUE(fit.has_value());
  EXPECT_NEAR(fit->coefficients[0], 1.1e-300, 1e-314);
  EXPECT_NEAR(fit->coefficients[1], 1.1e-300, 1e-314);
  EXPECT_EQ(fit->anova.total_sum_of_squares, 0.0);
  ASSERT_EQ(fit->warnings.size(), 1u);
  EXPECT_EQ(fit->warnings[0].rfind("the total sum of squares (about ", 0), 0u);
}

// Relative agreement of two fits of the same least-squares problem written two ways.
constexpr double kSameProblem = 1e-14;

TEST(FitPolynomial, ZeroWeightsCountNeitherInNNorInDegreesOfFreedom) {
  const V x{0, 1, 2, 3, 4, 5, 6}, y{1.5, 2.25, 2.0, 5.5, 7.0, 1e300, 12.5};
  const V w{1, 1, 1, 1, 1, 0, 1};
  const auto weighted = fit_polynomial(x, y, w, 2);
  const auto dropped = fit_polynomial(V{0, 1, 2, 3, 4, 6}, V{1.5, 2.25, 2.0, 5.5, 7.0, 12.5}, {}, 2);
  ASSERT_TRUE(weighted.has_value() && dropped.has_value());
  EXPECT_EQ(weighted->n, 6);
  EXPECT_EQ(weighted->zero_weight_count, 1);
  EXPECT_EQ(weighted->anova.error_df, 3);
  EXPECT_EQ(weighted->warnings, std::vector<std::string>{"1 observation has weight 0 and is not used"});
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(weighted->coefficients[k], dropped->coefficients[k],
                kSameProblem * std::fabs(dropped->coefficients[k]));
    EXPECT_NEAR(*weighted->standard_errors[k], *dropped->standard_errors[k],
                kSameProblem * *dropped->standard_errors[k]);
  }
}

// Many rows are surveyed in two halves: what is found in one half only (the first used y
// when every row of the first half has weight 0, a y that differs only between the halves,
// a value that is not finite in the second half) decides as it does in one scan.
TEST(FitPolynomial, ManyRowsAreSurveyedInTwoHalvesAsInOne) {
  constexpr std::size_t kRows = std::size_t{1} << 17;
  struct Case {
    const char* name;
    double first_y, second_y;  // of the rows in the first and the second half
    double first_w;            // of the rows in the first half (second half: 1)
    bool nan_in_last_row;
  };
  const Case cases[] = {
      {"constant in the used half", 1e300, 7.25, 0.0, false},
      {"constant in each half, not in both", 1.0, 2.0, 1.0, false},
      {"NaN in the second half", 1.0, 1.0, 1.0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    V x(kRows), y(kRows), w(kRows, 1.0);
    for (std::size_t i = 0; i < kRows; ++i) {
      const bool first = i < kRows / 2;
      x[i] = static_cast<double>(i % 1000);
      y[i] = first ? c.first_y : c.second_y;
      if (first) w[i] = c.first_w;
    }
    if (c.nan_in_last_row) y.back() = kNaN;
    const auto fit = fit_polynomial(x, y, w, 1);
    if (c.nan_in_last_row) {
      ASSERT_FALSE(fit.has_value());
      EXPECT_EQ(fit.error().message,
                "observation " + std::to_string(kRows) + ": y is not a finite number (nan)");
      continue;
    }
    ASSERT_TRUE(fit.has_value()) << fit.error().message;
    const bool constant = c.first_w == 0.0;
    EXPECT_EQ(fit->exact, constant);
    if (constant) {
      EXPECT_EQ(fit->coefficients, (V{7.25, 0}));
    } else {
      EXPECT_GT(fit->residual_sd, 0.4);  // half the rows 1, half 2, x alike in both
    }
  }
}

// Integer weights and repeated rows give the same coefficients, R-squared and sums of
// squares; n counts the rows used (a row of weight 0 is not), and so differs.
TEST(FitPolynomial, IntegerWeightsActAsRepeatedRows) {
  const struct {
    V x, y, w;
    std::int64_t weighted_n, repeated_n;
  } cases[] = {
      {{0.5, 1.5, 2.0, 3.25, 4.0}, {1.0, 2.5, 2.0, 6.0, 4.5}, {1, 3, 2, 1, 2}, 5, 9},
      {{1, 2, 3, 4, 5}, {2, 3, 5, 4, 6}, {1, 2, 1, 0, 3}, 4, 7},
  };
  for (const auto& c : cases) {
    V rx, ry;
    for (std::size_t i = 0; i < c.x.size(); ++i) {
      for (int r = 0; r < c.w[i]; ++r) {
        rx.push_back(c.x[i]);
        ry.push_back(c.y[i]);
      }
    }
    const auto weighted = fit_polynomial(c.x, c.y, c.w, 2);
    const auto repeated = fit_polynomial(rx, ry, {}, 2);
    ASSERT_TRUE(weighted.has_value() && repeated.has_value());
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(weighted->coefficients[k], repeated->coefficients[k],
                  kSameProblem * std::fabs(repeated->coefficients[k]));
    }
    EXPECT_NEAR(weighted->anova.error_sum_of_squares, repeated->anova.error_sum_of_squares,
                kSameProblem * repeated->anova.error_sum_of_squares);
    EXPECT_NEAR(*weighted->r_squared, *repeated->r_squared, kSameProblem);
    EXPECT_EQ(weighted->n, c.weighted_n);
    EXPECT_EQ(repeated->n, c.repeated_n);
  }
}

// With 2 error and 2 regression degrees of freedom the distributions have closed forms:
// P(|T| >= t) = 1 - t / sqrt(2 + t^2) and P(F' >= f) = 1 / (1 + f).
TEST(FitPolynomial, PValuesMatchClosedFormsAtTwoDegreesOfFreedom) {
  const auto fit = fit_polynomial(V{0, 1, 2, 3, 4}, V{1.0, 1.5, 4.0, 8.5, 17.5}, {}, 2);
  ASSERT_TRUE(fit.has_value());
  ASSERT_EQ(fit->anova.error_df, 2);
  constexpr double kBoostMath = 1e-13;  // Boost.Math's incomplete beta in double
  for (int k = 0; k < 3; ++k) {
    const double t = std::fabs(*fit->t_values[k]);
    EXPECT_NEAR(*fit->p_values[k], 1.0 - t / std::sqrt(2.0 + t * t), kBoostMath);
  }
  EXPECT_NEAR(*fit->anova.f_p_value, 1.0 / (1.0 + *fit->anova.f_value), kBoostMath);
}

// Closed forms evaluated in double: about 1e-15 relative, with margin.
constexpr double kClosedFormInDouble = 1e-12;

// var(b) = s^2 / Sxx, var(a) = s^2 (1 / Sw + xbar^2 / Sxx), cov(a, b) = -xbar s^2 / Sxx.
TEST(FitPolynomial, CovarianceOfALineIsTheTextbookMatrix) {
  const V x{1, 2, 4, 7}, y{2.1, 3.9, 8.2, 13.8};
  for (const V& w : {V{}, V{1, 2, 0.5, 1}}) {
    SCOPED_TRACE(w.empty() ? "unweighted" : "weighted");
    const testing::TextbookLine line = testing::textbook_line(x, y, w);
    const double sw = line.sum_of_weights, xbar = line.x_mean, sxx = line.sxx;
    const double s2 = line.residual_var;
    const V expected{s2 * (1 / sw + xbar * xbar / sxx), -xbar * s2 / sxx, -xbar * s2 / sxx,
                     s2 / sxx};
    const auto fit = fit_polynomial(x, y, w, 1);
    ASSERT_TRUE(fit.has_value());
    ASSERT_EQ(fit->covariance.size(), 4u);
    for (std::size_t e = 0; e < 4; ++e) {
      EXPECT_NEAR(fit->covariance[e], expected[e], kClosedFormInDouble * std::fabs(expected[e]));
    }
    EXPECT_EQ(fit->covariance[1], fit->covariance[2]);
  }
}

// cov = SSE / df (X^T W X)^-1 from the exact rational fit (testing::covariance_digits says
// how entries near 0 are measured).
TEST(FitPolynomial, CovarianceOfAQuadraticMatchesTheExactInverse) {
  const V x{0.5, 1.5, 2.0, 3.25, 4.0, 5.5}, y{1.0, 2.5, 2.0, 6.0, 4.5, 9.75};
  constexpr double kExactDigits = 12.0;
  for (const V& w : {V{}, V{1, 3, 2, 1, 2, 0.25}}) {
    SCOPED_TRACE(w.empty() ? "unweighted" : "weighted");
    const auto fit = fit_polynomial(x, y, w, 2);
    ASSERT_TRUE(fit.has_value());
    const auto exact = testing::exact_covariance(testing::exact_fit(x, y, w, 2));
    EXPECT_GE(testing::covariance_digits(fit->covariance, exact), kExactDigits);
  }
}

}  // namespace
}  // namespace polylsq::accurate
