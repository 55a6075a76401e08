// The C++ layer shows what the C interface holds: each figure of a Fit is the C accessor's
// value (std::nullopt where C gives NaN), predictions and intervals likewise, the degree
// table's rows and recommendations; a Fit is move-only and noexcept to use.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <type_traits>
#include <vector>

#include "polylsq/polylsq.hpp"

namespace {

using V = std::vector<double>;

// The C value of a figure the C++ layer shows as an optional.
void expect_shown(const std::optional<double>& shown, double c_value) {
  if (std::isnan(c_value)) {
    EXPECT_FALSE(shown.has_value());
  } else {
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(*shown, c_value);
  }
}

void expect_shown(const std::vector<std::optional<double>>& shown,
                  std::size_t (*accessor)(const polylsq_fit_t*, double*, std::size_t),
                  const polylsq_fit_t* fit) {
  V values(accessor(fit, nullptr, 0));
  accessor(fit, values.data(), values.size());
  ASSERT_EQ(shown.size(), values.size());
  for (std::size_t k = 0; k < values.size(); ++k) expect_shown(shown[k], values[k]);
}

TEST(CppLayer, AFitShowsTheFiguresOfItsCObject) {
  // A line through noisy points, and a cubic through four (no error degrees of freedom).
  for (const int degree : {1, 3}) {
    SCOPED_TRACE(degree);
    const auto fit = polylsq::fit(V{0, 1, 2, 3}, V{1, 3, 2, 5}, degree);
    ASSERT_TRUE(fit.has_value());
    const polylsq_fit_t* c = fit->handle();
    EXPECT_EQ(fit->degree(), degree);
    EXPECT_EQ(fit->observations(), 4);
    EXPECT_EQ(fit->exact(), degree == 3);
    V coefficients(degree + 1);
    polylsq_fit_coefficients(c, coefficients.data(), coefficients.size());
    EXPECT_EQ(fit->coefficients(), coefficients);
    expect_shown(fit->standard_errors(), polylsq_fit_standard_errors, c);
    expect_shown(fit->t_values(), polylsq_fit_t_values, c);
    expect_shown(fit->p_values(), polylsq_fit_p_values, c);
    EXPECT_EQ(fit->covariance().size(), polylsq_fit_covariance(c, nullptr, 0));
    expect_shown(fit->r_squared(), polylsq_fit_r_squared(c));
    expect_shown(fit->adjusted_r_squared(), polylsq_fit_adjusted_r_squared(c));
    expect_shown(fit->residual_sd(), polylsq_fit_residual_sd(c));
    polylsq_anova_t anova;
    polylsq_fit_anova(c, &anova);
    EXPECT_EQ(fit->anova().ss_error, anova.ss_error);
    EXPECT_EQ(fit->anova().df_error, anova.df_error);
    expect_shown(fit->anova().f, anova.f);
    expect_shown(fit->anova().p, anova.p);
    EXPECT_EQ(fit->evaluate(1.5), polylsq_evaluate(c, 1.5));

    polylsq_prediction_t p;
    ASSERT_EQ(polylsq_predict(c, 2.5, 0.8, &p, nullptr), POLYLSQ_OK);
    const auto prediction = fit->predict(2.5, 0.8);
    ASSERT_TRUE(prediction.has_value());
    EXPECT_EQ(prediction->fit, p.fit);
    expect_shown(prediction->se_fit, p.se_fit);
    EXPECT_EQ(prediction->confidence.has_value(), degree == 1);
    EXPECT_EQ(prediction->prediction.has_value(), degree == 1);
    if (prediction->confidence) {
      EXPECT_EQ(prediction->confidence->lower, p.confidence_lower);
      EXPECT_EQ(prediction->prediction->upper, p.prediction_upper);
    }
    const auto intervals = fit->coefficient_intervals(0.8);
    ASSERT_TRUE(intervals.has_value());
    EXPECT_EQ(intervals->size(), degree == 1 ? 2u : 0u);
  }
}

TEST(CppLayer, TheDegreeTableHoldsTheRowsAndRecommendationsOfTheCTable) {
  // 2 - 0.1 x + x^2, then 0.05 added and taken away in turn.
  const V x{0, 1, 2, 3, 4, 5, 6, 7}, y{2.05, 2.85, 5.85, 10.65, 17.65, 26.45, 37.45, 50.25};
  const V w{1, 2, 1, 2, 1, 2, 1, 2};
  const auto table = polylsq::degree_table(x, y, w, 4);
  polylsq_degree_table_t* c =
      polylsq_degree_table(x.data(), y.data(), w.data(), x.size(), 4, nullptr);
  ASSERT_TRUE(table.has_value());
  ASSERT_NE(c, nullptr);
  std::vector<polylsq_degree_row_t> rows(polylsq_degree_table_rows(c, nullptr, 0));
  polylsq_degree_table_rows(c, rows.data(), rows.size());
  ASSERT_EQ(table->rows.size(), rows.size());
  for (std::size_t d = 0; d < rows.size(); ++d) {
    EXPECT_EQ(table->rows[d].degree, rows[d].degree);
    EXPECT_EQ(table->rows[d].error_sum_of_squares, rows[d].error_sum_of_squares);
    expect_shown(table->rows[d].aicc, rows[d].aicc);
    expect_shown(table->rows[d].loocv_rmse, rows[d].loocv_rmse);
    expect_shown(table->rows[d].f_p, rows[d].f_p);
  }
  EXPECT_TRUE(table->weighted);
  using polylsq::Criterion;
  for (const Criterion criterion :
       {Criterion::kBic, Criterion::kAic, Criterion::kAicc, Criterion::kLoocv, Criterion::kFtest}) {
    EXPECT_EQ(table->recommended(criterion),
              polylsq_degree_table_recommended(c, static_cast<polylsq_criterion_t>(criterion)));
  }
  EXPECT_EQ(table->recommended(Criterion::kFtest), 2);
  polylsq_degree_table_free(c);
}

TEST(CppLayer, AFitIsMoveOnlyAndItsCallsDoNotThrow) {
  static_assert(!std::is_copy_constructible_v<polylsq::Fit>);
  static_assert(std::is_nothrow_move_constructible_v<polylsq::Fit>);
  const V x{1, 2, 3}, y{1, 4, 9};
  static_assert(noexcept(polylsq::fit(x, y, 2)));
  static_assert(noexcept(polylsq::degree_table(x, y)));
  static_assert(noexcept(std::declval<polylsq::Fit&>().predict(1.0)));
  EXPECT_EQ(polylsq::version(), POLYLSQ_VERSION);
}

}  // namespace
