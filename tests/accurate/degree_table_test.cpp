// degree_table: every figure against its definition on small data (exact references), each
// row against fit_polynomial of its degree, the recommendation rules, recovery of the true
// degree in simulations, weights that change the choice, the undefined figures with their
// warnings, the maximum degree and the errors.
#include "accurate/degree_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "accurate/degree_criteria.h"
#include "accurate/polynomial_fit.h"
#include "tests/accurate/exact_degree_table.h"
#include "tests/accurate/hard_families.h"
#include "tests/support_lib/split_mix.h"

namespace polylsq::accurate {
namespace {

using testing::correct_digits;
using testing::Float100;
using V = std::vector<double>;

// Digits every figure keeps on small data against its exact reference.
constexpr double kDefinitionDigits = 12.0;

struct SmallCase {
  const char* name;
  V x, y, w;
  std::optional<int> max_degree;
};

const SmallCase kSmallCases[] = {
    {"eight points",
     {1, 2, 3, 4, 5, 6, 7, 8},
     {2.1, 3.9, 6.2, 7.8, 11.5, 13.1, 17.2, 19.9},
     {},
     {}},
    {"weights, repeated x and a zero weight",
     {0, 1, 1, 2, 3, 3, 4, 5, 6},
     {1.2, 1.9, 2.4, 2.8, 4.5, 4.1, 6.3, 8.8, 12.6},
     {1, 2, 0.5, 1, 3, 0, 1, 2, 1},
     {}},
    {"y = 1 - 2x + 3x^2: exact from degree 2",
     {0, 1, 2, 3, 4, 5, 6, 7},
     {1, 2, 9, 22, 41, 66, 97, 134},
     {},
     {}},
    {"x occurring once at the interpolating degree",
     {0, 0, 1, 1, 2, 3},
     {1, 2, 2, 4, 5, 3},
     {},
     {}},
    {"weighted, degrees 0..4", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9},
     {1.62, 1.92, 2.55, 2.89, 3.52, 4.09, 4.46, 5.0, 5.57, 5.98},
     {0.01, 1, 1, 0.01, 1, 1, 0.01, 1, 1, 0.01},
     4},
};

double digits(const std::optional<double>& estimate, const std::optional<Float100>& exact) {
  if (!estimate || !exact) return estimate.has_value() == exact.has_value() ? 16.0 : 0.0;
  return correct_digits(*estimate, *exact);
}

TEST(DegreeTable, EveryFigureMatchesItsDefinitionOnSmallData) {
  for (const SmallCase& c : kSmallCases) {
    SCOPED_TRACE(c.name);
    const auto table = degree_table(c.x, c.y, c.w, c.max_degree);
    ASSERT_TRUE(table.has_value()) << table.error().message;
    const int top = static_cast<int>(table->rows.size()) - 1;
    const auto exact = testing::exact_degree_rows(c.x, c.y, c.w, top);
    for (const DegreeRow& row : table->rows) {
      SCOPED_TRACE(::testing::Message() << "degree " << row.degree);
      const testing::ExactDegreeRow& reference = exact[row.degree];
      EXPECT_GE(digits(row.residual_sd, reference.residual_sd), kDefinitionDigits);
      EXPECT_GE(digits(row.r_squared, reference.r_squared), kDefinitionDigits);
      EXPECT_GE(digits(row.adjusted_r_squared, reference.adjusted_r_squared), kDefinitionDigits);
      EXPECT_GE(digits(row.aic, reference.aic), kDefinitionDigits);
      EXPECT_GE(digits(row.aicc, reference.aicc), kDefinitionDigits);
      EXPECT_GE(digits(row.bic, reference.bic), kDefinitionDigits);
      EXPECT_GE(digits(row.loocv_rmse, reference.loocv_rmse), kDefinitionDigits);
      EXPECT_GE(digits(row.f_p_value, reference.f_p_value), kDefinitionDigits);
    }
  }
}

// Rows against separate fits: the same problem solved from the same moments, the lower
// degrees' sums of squares by the orthogonal decomposition instead of their own pass.
constexpr double kSameFit = 1e-12;

void expect_near_relative(const std::optional<double>& a, const std::optional<double>& b,
                          const char* what) {
  ASSERT_EQ(a.has_value(), b.has_value()) << what;
  if (a) {
    EXPECT_NEAR(*a, *b, kSameFit * std::fabs(*b)) << what;
  }
}

TEST(DegreeTable, EachRowIsTheFitOfItsDegree) {
  std::vector<testing::DataSet> sets = {testing::norris(), testing::wampler1(),
                                        testing::clustered()};
  for (const SmallCase& c : kSmallCases) sets.push_back({c.name, 0, c.x, c.y, c.w});
  for (const testing::DataSet& set : testing::hard_families()) {
    if (set.name.rfind("weighted", 0) == 0 || set.name.rfind("huge", 0) == 0) sets.push_back(set);
  }
  for (const testing::DataSet& set : sets) {
    SCOPED_TRACE(set.name);
    const auto table = degree_table(set.x, set.y, set.w);
    ASSERT_TRUE(table.has_value());
    const int top = static_cast<int>(table->rows.size()) - 1;
    std::optional<PolynomialFit> below;
    for (const DegreeRow& row : table->rows) {
      SCOPED_TRACE(::testing::Message() << "degree " << row.degree);
      const auto fit = fit_polynomial(set.x, set.y, set.w, row.degree);
      ASSERT_TRUE(fit.has_value());
      EXPECT_EQ(row.exact, fit->exact);
      EXPECT_EQ(row.error_df, fit->anova.error_df);
      if (row.degree == top) {  // the same second pass: the same bits
        EXPECT_EQ(row.error_sum_of_squares, fit->anova.error_sum_of_squares);
        EXPECT_EQ(row.residual_sd, fit->residual_sd);
        EXPECT_EQ(row.r_squared, fit->r_squared);
        EXPECT_EQ(row.adjusted_r_squared, fit->adjusted_r_squared);
      }
      expect_near_relative(row.error_sum_of_squares, fit->anova.error_sum_of_squares, "SSE");
      expect_near_relative(row.residual_sd, fit->residual_sd, "residual SD");
      expect_near_relative(row.r_squared, fit->r_squared, "R-squared");
      expect_near_relative(row.adjusted_r_squared, fit->adjusted_r_squared, "adjusted");
      if (row.degree > 0) {
        // anova(fit of degree - 1, fit): one added term, F = t^2 of its coefficient.
        expect_near_relative(row.f_p_value, fit->p_values[row.degree], "F p");
        const double sse = fit->anova.error_sum_of_squares;
        const double drop = below->anova.error_sum_of_squares - sse;
        if (!fit->exact && drop > 0) {
          ASSERT_TRUE(row.f_value.has_value());
          const double f = drop / (sse / static_cast<double>(fit->anova.error_df));
          // The difference of the two sums loses digits as the drop shrinks.
          EXPECT_NEAR(*row.f_value, f, kSameFit * f * below->anova.error_sum_of_squares / drop);
        }
      }
      below = *fit;
    }
  }
}

// Rows with the given criteria, for the rules alone.
DegreeRow rule_row(int degree, std::optional<double> value, std::optional<double> p,
                   bool exact = false, std::int64_t error_df = 10) {
  DegreeRow row;
  row.degree = degree;
  row.aic = row.aicc = row.bic = row.loocv_rmse = value;
  row.f_p_value = p;
  row.exact = exact;
  row.error_df = error_df;
  return row;
}

TEST(DegreeTable, RecommendationRulesRankAsDocumented) {
  const auto none = std::nullopt;
  struct Case {
    const char* rule;
    std::vector<DegreeRow> rows;
    int likelihood;  // bic, aic (and aicc unless noted)
    int loocv;
    int ftest;
  };
  const Case cases[] = {
      {"a tie goes to the lower degree",
       {rule_row(0, 5, none), rule_row(1, 3, 0.01), rule_row(2, 3, 0.01), rule_row(3, 4, 0.01)},
       1, 1, 3},
      {"the F test stops at the first term that is not significant",
       {rule_row(0, 9, none), rule_row(1, 8, 0.049), rule_row(2, 7, 0.05), rule_row(3, 6, 1e-9)},
       3, 3, 1},
      {"degree 1 not significant: degree 0",
       {rule_row(0, 9, none), rule_row(1, 8, 0.3), rule_row(2, 7, 0.01)}, 2, 2, 0},
      {"an exact fit ranks first by likelihood; its undefined F counts once",
       {rule_row(0, 9, none), rule_row(1, 8, 0.01), rule_row(2, none, none, true),
        rule_row(3, none, none, true)},
       2, 1, 2},
      {"undefined values that are not exact fits are left out",
       {rule_row(0, 9, none), rule_row(1, none, 0.01), rule_row(2, 8.5, 0.01)}, 2, 2, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rule);
    const RecommendedDegrees r = recommend_degrees(c.rows);
    EXPECT_EQ(r.bic, c.likelihood);
    EXPECT_EQ(r.aic, c.likelihood);
    EXPECT_EQ(r.aicc, c.likelihood);
    EXPECT_EQ(r.loocv, c.loocv);
    EXPECT_EQ(r.ftest, c.ftest);
  }
  // AICc needs n - k - 1 = error_df - 2 > 0: an exact fit without it is not ranked.
  const DegreeRow short_rows[] = {rule_row(0, 9, none), rule_row(1, 8, 0.01, false, 3),
                                  rule_row(2, none, none, true, 2)};
  EXPECT_EQ(recommend_degrees(short_rows).aicc, 1);
  EXPECT_EQ(recommend_degrees(short_rows).bic, 2);
  EXPECT_EQ(recommended_degree(recommend_degrees(short_rows), DegreeCriterion::kAicc), 1);
  EXPECT_EQ(recommended_degree(recommend_degrees(short_rows), DegreeCriterion::kFtest), 2);
}

// Standard normal deviates by Box-Muller from SplitMix64.
class Normal : public polylsq::testing::SplitMix64 {
 public:
  using SplitMix64::SplitMix64;
  double operator()() {
    const double u = uniform(), v = uniform();
    return std::sqrt(-2.0 * std::log(1.0 - u)) * std::cos(6.283185307179586 * v);
  }
};

// 100 data sets of 100 observations, x uniform over [-1, 1], noise of SD 1, true degree
// 1..4; each term a_k x^k moves y by 5 to 10 noise SDs over the range (|a_k| times 2 for
// odd k, 1 for even k). Prints how often each rule finds the true degree.
TEST(DegreeTable, BicFindsTheTrueDegreeInAtLeastNinetyOfOneHundredSimulations) {
  Normal random(20240611);
  int found[5] = {};
  constexpr DegreeCriterion kRules[] = {DegreeCriterion::kBic, DegreeCriterion::kAic,
                                        DegreeCriterion::kAicc, DegreeCriterion::kLoocv,
                                        DegreeCriterion::kFtest};
  for (int simulation = 0; simulation < 100; ++simulation) {
    const int degree = static_cast<int>(random.between(1, 4));
    V a{10.0 * (2.0 * random.uniform() - 1.0)};
    for (int k = 1; k <= degree; ++k) {
      const double range = k % 2 == 1 ? 2.0 : 1.0;
      const double sign = random.next() % 2 == 0 ? 1.0 : -1.0;
      a.push_back(sign * (5.0 + 5.0 * random.uniform()) / range);
    }
    V x, y;
    for (int i = 0; i < 100; ++i) {
      x.push_back(2.0 * random.uniform() - 1.0);
      double f = 0.0;
      for (int k = degree; k >= 0; --k) f = f * x.back() + a[k];
      y.push_back(f + random());
    }
    const auto table = degree_table(x, y, {});
    ASSERT_TRUE(table.has_value());
    for (int r = 0; r < 5; ++r) {
      found[r] += recommended_degree(table->recommended, kRules[r]) == degree;
    }
  }
  std::printf("[ found    ] true degree in 100: bic %d, aic %d, aicc %d, loocv %d, ftest %d\n",
              found[0], found[1], found[2], found[3], found[4]);
  EXPECT_GE(found[0], 90);
}

// A line with noise of about 0.1; every third reading comes from an instrument with 100
// times the variance (weight 0.01) and a curved bias. Unweighted, the bias reads as a
// quadratic term; weighted as R weights it, the line is chosen.
TEST(DegreeTable, WeightsChangeTheChosenDegree) {
  const double noise[] = {0.12, -0.08, 0.05, -0.11, 0.02, 0.09, -0.04, -0.1, 0.07, 0.03,
                          -0.06, 0.1, -0.02, 0.04, -0.09, 0.08, -0.05, 0.11, -0.07, 0.01};
  V x, y, w;
  for (int i = 0; i < 20; ++i) {
    x.push_back(i);
    y.push_back(1.5 + 0.5 * i + noise[i] + (i % 3 == 0 ? 0.05 * (i - 9.5) * (i - 9.5) : 0.0));
    w.push_back(i % 3 == 0 ? 0.01 : 1.0);
  }
  const auto unweighted = degree_table(x, y, {}, 4);
  const auto weighted = degree_table(x, y, w, 4);
  ASSERT_TRUE(unweighted.has_value() && weighted.has_value());
  for (const DegreeCriterion rule : {DegreeCriterion::kBic, DegreeCriterion::kAic,
                                     DegreeCriterion::kAicc, DegreeCriterion::kLoocv,
                                     DegreeCriterion::kFtest}) {
    EXPECT_EQ(recommended_degree(unweighted->recommended, rule), 2);
    EXPECT_EQ(recommended_degree(weighted->recommended, rule), 1);
  }
  EXPECT_TRUE(weighted->weighted);
}

bool has_warning(const DegreeTable& table, const std::string& text) {
  for (const std::string& w : table.warnings) {
    if (w == text) return true;
  }
  return false;
}

TEST(DegreeTable, UndefinedFiguresAreAbsentWithTheirWarnings) {
  struct Case {
    V x, y;
    int degree;
    std::optional<double> DegreeRow::*figure;
    const char* warning;
  };
  const Case cases[] = {
      // n - k - 1 = 6 - 5 - 1 = 0 at degree 3 (k = 5 parameters).
      {{1, 2, 3, 4, 5, 6}, {1.5, 2.25, 2, 5.5, 7, 6.5}, 3, &DegreeRow::aicc,
       "degree 3: AICc is undefined: it needs more than 6 observations"},
      // Degree 3 interpolates the means at x = 0, 1, 2, 3; x = 2 and 3 occur once.
      {{0, 0, 1, 1, 2, 3}, {1, 2, 2, 4, 5, 3}, 3, &DegreeRow::loocv_rmse,
       "degree 3: the leave-one-out RMSE is undefined: observation 5 has leverage 1"},
      {{0, 1, 2, 3, 4, 5, 6, 7}, {1, 2, 9, 22, 41, 66, 97, 134}, 2, &DegreeRow::bic,
       "degree 2: the fit is exact: AIC, AICc and BIC are undefined (minus infinity; they "
       "rank before any value), and so is the F test of its added term (counted as "
       "significant)"},
      {{0, 1, 2, 3, 4, 5, 6, 7}, {1, 2, 9, 22, 41, 66, 97, 134}, 3, &DegreeRow::f_p_value,
       "degree 3: the fit is exact: AIC, AICc and BIC are undefined (minus infinity; they "
       "rank before any value), and so is the F test of its added term (counted as not "
       "significant)"},
      {{1, 2, 3, 4, 5}, {1.5, 2, 4, 3.5, 5}, 0, &DegreeRow::f_p_value,
       "degree 0 has no regression term: F and its p value are undefined"},
      {{1, 2, 3, 4, 5}, {7, 7, 7, 7, 7}, 1, &DegreeRow::r_squared,
       "y is constant: R-squared and adjusted R-squared are undefined; the fit is exact, so "
       "the standard errors are 0 and the t values, p values and F are undefined"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.warning);
    const auto table = degree_table(c.x, c.y, {});
    ASSERT_TRUE(table.has_value());
    ASSERT_LT(c.degree, static_cast<int>(table->rows.size()));
    EXPECT_FALSE(table->rows[c.degree].*c.figure);
    EXPECT_TRUE(has_warning(*table, c.warning));
  }
}

// An exact fit has no residuals to leave out: its leave-one-out RMSE is 0, and a constant
// y is recommended at degree 0 by every rule.
TEST(DegreeTable, ExactFitsLeaveNothingOut) {
  const auto quadratic =
      degree_table(V{0, 1, 2, 3, 4, 5, 6, 7}, V{1, 2, 9, 22, 41, 66, 97, 134}, {});
  const auto constant = degree_table(V{1, 2, 3, 4, 5}, V{7, 7, 7, 7, 7}, {});
  ASSERT_TRUE(quadratic.has_value() && constant.has_value());
  EXPECT_EQ(quadratic->rows[2].loocv_rmse, 0.0);
  EXPECT_EQ(quadratic->rows[2].residual_sd, 0.0);
  for (const DegreeCriterion rule : {DegreeCriterion::kBic, DegreeCriterion::kAic,
                                     DegreeCriterion::kAicc, DegreeCriterion::kLoocv,
                                     DegreeCriterion::kFtest}) {
    EXPECT_EQ(recommended_degree(quadratic->recommended, rule), 2);
    EXPECT_EQ(recommended_degree(constant->recommended, rule), 0);
  }
  EXPECT_EQ(constant->rows[3].loocv_rmse, 0.0);
}

TEST(DegreeTable, TheHighestDegreeIsTheDefaultOrLess) {
  V many_x, many_y;
  for (int i = 0; i < 30; ++i) {
    many_x.push_back(i);
    many_y.push_back(std::sin(i));
  }
  struct Case {
    V x, y;
    std::optional<int> max_degree;
    std::size_t rows;
    const char* warning;  // nullptr: none about the degree
  };
  const Case cases[] = {
      {many_x, many_y, {}, 11, nullptr},                    // kMaxDegree
      {{1, 2, 3, 4, 5}, {1, 3, 2, 5, 4}, {}, 4, nullptr},     // n - 2 = 3
      {{1, 1, 2, 2, 3, 3, 3}, {1, 2, 2, 3, 5, 4, 6}, {}, 3, nullptr},  // distinct x - 1 = 2
      {many_x, many_y, 3, 4, nullptr},
      {many_x, many_y, 0, 1, nullptr},
      {{1, 2, 3, 4, 5}, {1, 3, 2, 5, 4}, 7, 4,
       "a maximum degree of 7 was asked for; the table ends at degree 3, the least of 10, the "
       "distinct x values less 1 and the observations less 2"},
      {many_x, many_y, 12, 11,
       "a maximum degree of 12 was asked for; the table ends at degree 10, the least of 10, the "
       "distinct x values less 1 and the observations less 2"},
      {{5, 5, 5}, {1, 2, 4}, {}, 1, nullptr},  // constant x: degree 0 only
  };
  for (const Case& c : cases) {
    const auto table = degree_table(c.x, c.y, {}, c.max_degree);
    ASSERT_TRUE(table.has_value());
    EXPECT_EQ(table->rows.size(), c.rows);
    if (c.warning) {
      EXPECT_TRUE(has_warning(*table, c.warning)) << c.warning;
    } else {
      for (const std::string& w : table->warnings) {
        EXPECT_EQ(w.find("maximum degree"), std::string::npos);
      }
    }
  }
}

TEST(DegreeTable, ADegreeTheMomentsCannotDetermineEndsTheTable) {
  const testing::DataSet set = testing::clustered();
  const auto table = degree_table(set.x, set.y, {});
  ASSERT_TRUE(table.has_value());
  EXPECT_EQ(table->rows.size(), 4u);
  EXPECT_TRUE(has_warning(*table,
                          "the x values are too close together against their range to determine "
                          "a polynomial of degree 4: the table ends at degree 3"));
}

TEST(DegreeTable, ZeroWeightsCountNowhere) {
  const V x{0, 1, 2, 3, 4, 5, 6}, y{1.5, 2.25, 2.0, 5.5, 7.0, 1e300, 12.5};
  const auto weighted = degree_table(x, y, V{1, 1, 1, 1, 1, 0, 1});
  const auto dropped = degree_table(V{0, 1, 2, 3, 4, 6}, V{1.5, 2.25, 2.0, 5.5, 7.0, 12.5}, {});
  ASSERT_TRUE(weighted.has_value() && dropped.has_value());
  EXPECT_EQ(weighted->n, 6);
  EXPECT_EQ(weighted->zero_weight_count, 1);
  ASSERT_EQ(weighted->rows.size(), dropped->rows.size());
  for (std::size_t k = 0; k < dropped->rows.size(); ++k) {
    expect_near_relative(weighted->rows[k].bic, dropped->rows[k].bic, "BIC");
    expect_near_relative(weighted->rows[k].loocv_rmse, dropped->rows[k].loocv_rmse, "LOO");
  }
  EXPECT_TRUE(has_warning(*weighted, "1 observation has weight 0 and is not used"));
}

TEST(DegreeTable, BadInputGivesItsKindAndMessage) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    V x, y, w;
    std::optional<int> max_degree;
    ErrorKind kind;
    const char* message;
  };
  const Case cases[] = {
      {{1, 2}, {1, 2}, {}, -1, ErrorKind::kDegreeOutOfRange,
       "the maximum degree must be an integer from 0 to 10 (it is -1)"},
      {{1, 2, 3}, {1, 2}, {}, {}, ErrorKind::kSizeMismatch, "x has 3 values but y has 2"},
      {{1, nan, 3}, {1, 2, 3}, {}, {}, ErrorKind::kNonFiniteValue,
       "observation 2: x is not a finite number (nan)"},
      {{1}, {2}, {}, {}, ErrorKind::kTooFewObservations,
       "1 observation cannot make a degree table: at least 2 are needed"},
      {{1, 2}, {2, 3}, {0, 4}, {}, ErrorKind::kTooFewObservations,
       "1 observation of positive weight cannot make a degree table: at least 2 are needed"},
      {{}, {}, {}, {}, ErrorKind::kTooFewObservations,
       "0 observations cannot make a degree table: at least 2 are needed"},
      {{1, 2}, {2, 3}, {0, 0}, {}, ErrorKind::kTooFewObservations,
       "0 observations of positive weight cannot make a degree table: at least 2 are needed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const auto table = degree_table(c.x, c.y, c.w, c.max_degree);
    ASSERT_FALSE(table.has_value());
    EXPECT_EQ(table.error().kind, c.kind);
    EXPECT_EQ(table.error().message, c.message);
  }
}

}  // namespace
}  // namespace polylsq::accurate
