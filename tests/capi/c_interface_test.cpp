// The C interface's figures against closed forms, the copies into caller buffers (counts,
// short buffers, NaN for undefined figures, texts cut at a character boundary), the degree
// table, and a client written in strict C99.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "polylsq/polylsq.h"
#include "tests/capi/c_client.h"

namespace {

using V = std::vector<double>;

// Closed forms are evaluated in double: a few units in the last place of 1e-16 apart.
constexpr double kTolerance = 1e-14;

// The least-squares line through (0, 1), (1, 3), (2, 2), (3, 5), by hand: x mean 1.5,
// y mean 2.75, Sxx = 5, Sxy = 5.5, so b = 1.1 and a = 1.1; residuals -0.1, 0.8, -1.3, 0.6,
// SSE = 2.7 on 2 degrees of freedom, s^2 = 1.35; SST = 8.75, SSR = 6.05.
const V kLineX{0, 1, 2, 3}, kLineY{1, 3, 2, 5};
const double kS2 = 1.35;
const double kSeA = std::sqrt(kS2 * (0.25 + 2.25 / 5)), kSeB = std::sqrt(kS2 / 5);
// Student's t with 2 degrees of freedom: two-sided p = 1 - |t| / sqrt(t^2 + 2), and the
// quantile at u is (2u - 1) / sqrt(2u(1 - u)).
double p_two_df(double t) { return 1 - std::fabs(t) / std::sqrt(t * t + 2); }
const double kQ975 = 0.95 / std::sqrt(2 * 0.975 * 0.025);

void expect_near(double got, double expected) {
  EXPECT_NEAR(got, expected, kTolerance * std::fmax(1.0, std::fabs(expected))) << expected;
}

TEST(CInterface, TheLineHasTheFiguresOfItsClosedForms) {
  polylsq_fit_t* fit = polylsq_fit(kLineX.data(), kLineY.data(), nullptr, 4, 1, nullptr);
  ASSERT_NE(fit, nullptr);
  double a[2], se[2], t[2], p[2], cov[4];
  ASSERT_EQ(polylsq_fit_coefficients(fit, a, 2), 2u);
  ASSERT_EQ(polylsq_fit_standard_errors(fit, se, 2), 2u);
  ASSERT_EQ(polylsq_fit_t_values(fit, t, 2), 2u);
  ASSERT_EQ(polylsq_fit_p_values(fit, p, 2), 2u);
  ASSERT_EQ(polylsq_fit_covariance(fit, cov, 4), 4u);
  polylsq_anova_t anova;
  polylsq_fit_anova(fit, &anova);
  polylsq_prediction_t at4;
  ASSERT_EQ(polylsq_predict(fit, 4.0, 0.95, &at4, nullptr), POLYLSQ_OK);
  double lower[2], upper[2];
  ASSERT_EQ(polylsq_coefficient_intervals(fit, 0.95, lower, upper, 2, nullptr), POLYLSQ_OK);
  const double se_fit = std::sqrt(kS2 * (0.25 + 2.5 * 2.5 / 5));
  const struct {
    const char* name;
    double got, expected;
  } figures[] = {
      {"a", a[0], 1.1},
      {"b", a[1], 1.1},
      {"se a", se[0], kSeA},
      {"se b", se[1], kSeB},
      {"t a", t[0], 1.1 / kSeA},
      {"t b", t[1], 1.1 / kSeB},
      {"p a", p[0], p_two_df(1.1 / kSeA)},
      {"p b", p[1], p_two_df(1.1 / kSeB)},
      {"var a", cov[0], kS2 * 0.7},
      {"cov ab", cov[1], -1.5 * kS2 / 5},
      {"cov ba", cov[2], -1.5 * kS2 / 5},
      {"var b", cov[3], kS2 / 5},
      {"R2", polylsq_fit_r_squared(fit), 6.05 / 8.75},
      {"adjusted R2", polylsq_fit_adjusted_r_squared(fit), 1 - (2.7 / 8.75) * 3 / 2},
      {"residual SD", polylsq_fit_residual_sd(fit), std::sqrt(kS2)},
      {"SSR", anova.ss_regression, 6.05},
      {"SSE", anova.ss_error, 2.7},
      {"SST", anova.ss_total, 8.75},
      {"MSR", anova.ms_regression, 6.05},
      {"MSE", anova.ms_error, kS2},
      {"F", anova.f, 6.05 / kS2},
      {"p of F", anova.p, p_two_df(1.1 / kSeB)},
      {"f(4)", at4.fit, 5.5},
      {"f(4) via evaluate", polylsq_evaluate(fit, 4.0), 5.5},
      {"se_fit", at4.se_fit, se_fit},
      {"q", at4.quantile, kQ975},
      {"confidence low", at4.confidence_lower, 5.5 - kQ975 * se_fit},
      {"confidence high", at4.confidence_upper, 5.5 + kQ975 * se_fit},
      {"prediction low", at4.prediction_lower, 5.5 - kQ975 * std::sqrt(se_fit * se_fit + kS2)},
      {"prediction high", at4.prediction_upper, 5.5 + kQ975 * std::sqrt(se_fit * se_fit + kS2)},
      {"a low", lower[0], 1.1 - kQ975 * kSeA},
      {"b high", upper[1], 1.1 + kQ975 * kSeB},
  };
  for (const auto& figure : figures) {
    SCOPED_TRACE(figure.name);
    expect_near(figure.got, figure.expected);
  }
  EXPECT_EQ(anova.df_regression, 1);
  EXPECT_EQ(anova.df_error, 2);
  EXPECT_EQ(anova.df_total, 3);
  EXPECT_EQ(polylsq_fit_degree(fit), 1);
  EXPECT_EQ(polylsq_fit_observations(fit), 4);
  EXPECT_EQ(polylsq_fit_weighted(fit), 0);
  EXPECT_EQ(polylsq_fit_exact(fit), 0);
  EXPECT_EQ(polylsq_fit_warning_count(fit), 0u);
  polylsq_fit_free(fit);
}

TEST(CInterface, AnExactFitShowsItsUndefinedFiguresAsNaN) {
  const V x{0, 1, 2}, y{1, 6, 17};  // 1 + 2x + 3x^2, n = degree + 1
  polylsq_fit_t* fit = polylsq_fit(x.data(), y.data(), nullptr, 3, 2, nullptr);
  ASSERT_NE(fit, nullptr);
  double a[3], se[3];
  polylsq_fit_coefficients(fit, a, 3);
  for (int k = 0; k < 3; ++k) expect_near(a[k], k + 1.0);
  EXPECT_EQ(polylsq_fit_standard_errors(fit, se, 3), 3u);
  for (const double s : se) EXPECT_TRUE(std::isnan(s));
  EXPECT_EQ(polylsq_fit_covariance(fit, nullptr, 0), 0u);  // undefined: no values
  EXPECT_TRUE(std::isnan(polylsq_fit_residual_sd(fit)));
  EXPECT_TRUE(std::isnan(polylsq_fit_adjusted_r_squared(fit)));
  EXPECT_EQ(polylsq_fit_exact(fit), 1);
  polylsq_prediction_t at;
  ASSERT_EQ(polylsq_predict(fit, 3.0, 0.9, &at, nullptr), POLYLSQ_OK);
  expect_near(at.fit, 34.0);
  for (const double undefined :
       {at.se_fit, at.confidence_lower, at.prediction_upper, at.quantile}) {
    EXPECT_TRUE(std::isnan(undefined));
  }
  double lower[3], upper[3];
  ASSERT_EQ(polylsq_coefficient_intervals(fit, 0.95, lower, upper, 3, nullptr), POLYLSQ_OK);
  EXPECT_TRUE(std::isnan(lower[0]) && std::isnan(upper[2]));
  EXPECT_TRUE(std::isnan(polylsq_evaluate(fit, INFINITY)));
  polylsq_fit_free(fit);
}

TEST(CInterface, ShortBuffersGetWhatFitsAndTheCountOfTheWhole) {
  polylsq_fit_t* fit = polylsq_fit(kLineX.data(), kLineY.data(), nullptr, 4, 1, nullptr);
  double values[4] = {-7, -7, -7, -7};
  EXPECT_EQ(polylsq_fit_covariance(fit, values, 1), 4u);
  EXPECT_EQ(values[1], -7);  // only the first written
  EXPECT_EQ(polylsq_fit_coefficients(fit, nullptr, 0), 2u);
  EXPECT_EQ(polylsq_fit_coefficients(nullptr, values, 4), 0u);
  EXPECT_TRUE(std::isnan(polylsq_fit_r_squared(nullptr)));
  EXPECT_TRUE(std::isnan(polylsq_evaluate(nullptr, 1.0)));
  polylsq_fit_free(fit);
}

TEST(CInterface, WarningsAreCopiedWholeOrCutAtACharacterBoundary) {
  const V x{0, 1, 2, 3}, y{1, 2, 3, 4}, w{1, 0, 1, 1};
  polylsq_fit_t* fit = polylsq_fit(x.data(), y.data(), w.data(), 4, 0, nullptr);
  ASSERT_EQ(polylsq_fit_warning_count(fit), 2u);
  const std::string zero_weight = "1 observation has weight 0 and is not used";
  const std::string degree_zero =
      "degree 0 has no regression term: F and its p value are undefined";
  char text[80];
  EXPECT_EQ(polylsq_fit_warning(fit, 0, text, sizeof text), zero_weight.size());
  EXPECT_EQ(text, zero_weight);
  EXPECT_EQ(polylsq_fit_warning(fit, 1, text, 7), degree_zero.size());
  EXPECT_STREQ(text, "degree");
  EXPECT_EQ(polylsq_fit_warning(fit, 2, text, sizeof text), 0u);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(polylsq_fit_weighted(fit), 1);
  EXPECT_EQ(polylsq_fit_zero_weight_count(fit), 1);
  polylsq_fit_free(fit);
}

TEST(CInterface, TheDegreeTableOfACubicRecommendsThree) {
  V x, y;  // 1 - x + 0.5 x^3 and a small alternating disturbance
  for (int i = 0; i < 12; ++i) {
    x.push_back(i * 0.5);
    y.push_back(1 - x.back() + 0.5 * x.back() * x.back() * x.back() + (i % 2 == 0 ? 0.01 : -0.01));
  }
  polylsq_degree_table_t* table =
      polylsq_degree_table(x.data(), y.data(), nullptr, x.size(), 5, nullptr);
  ASSERT_NE(table, nullptr);
  polylsq_degree_row_t rows[6];
  ASSERT_EQ(polylsq_degree_table_rows(table, rows, 6), 6u);
  for (int d = 0; d < 6; ++d) {
    EXPECT_EQ(rows[d].degree, d);
    EXPECT_EQ(rows[d].error_df, 12 - d - 1);
  }
  EXPECT_TRUE(std::isnan(rows[0].f) && std::isnan(rows[0].f_p));
  EXPECT_LT(rows[3].error_sum_of_squares, 12 * 0.01 * 0.01);  // the disturbance is all that is left
  EXPECT_GT(rows[2].error_sum_of_squares, 1.0);
  EXPECT_EQ(polylsq_degree_table_recommended(table, POLYLSQ_CRITERION_FTEST), 3);
  EXPECT_EQ(polylsq_degree_table_recommended(table, static_cast<polylsq_criterion_t>(9)), -1);
  EXPECT_EQ(polylsq_degree_table_observations(table), 12);
  EXPECT_EQ(polylsq_degree_table_weighted(table), 0);
  polylsq_degree_table_free(table);
}

TEST(CInterface, AStrictC99ClientFitsPredictsAndReadsAnError) {
  c_client_result result{};
  c_client_run(&result);
  EXPECT_TRUE(result.fitted);
  EXPECT_EQ(result.coefficient_count, 2u);
  expect_near(result.coefficients[0], 1.1);
  expect_near(result.coefficients[1], 1.1);
  EXPECT_TRUE(result.predicted);
  expect_near(result.se_fit, std::sqrt(kS2 * (0.25 + 2.5 * 2.5 / 5)));
  EXPECT_TRUE(result.failed);
  EXPECT_EQ(result.error_status, POLYLSQ_DEGREE_OUT_OF_RANGE);
  EXPECT_STREQ(result.message, "the degree must be an integer from 0 to 10 (it is 11)");
}

TEST(CInterface, TheVersionIsTheProjects) { EXPECT_STREQ(polylsq_version(), POLYLSQ_VERSION); }

}  // namespace
