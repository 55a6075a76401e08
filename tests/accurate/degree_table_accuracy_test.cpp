// Accuracy of the degree table: every figure of every row against the exact least-squares
// fits of the same doubles, on each hard family and on NIST Norris and Wampler1, for the
// default degrees. Each data set prints a line with its measured digits, the minimum over
// the rows of each figure; a leave-one-out RMSE the table warns may have fewer digits is
// left out of the minimum (and named on the line).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "accurate/degree_table.h"
#include "tests/accurate/exact_degree_table.h"
#include "tests/accurate/hard_families.h"

namespace polylsq::accurate::testing {
namespace {

constexpr const char* kFigureNames[] = {"sd", "R2", "adjR2", "AIC", "AICc", "BIC", "LOO", "Fp"};
constexpr std::size_t kFigures = std::size(kFigureNames);

using Digits = std::array<double, kFigures>;

// Digits of one figure; a value undefined on one side only counts as 0 digits.
double digits(const std::optional<double>& estimate, const std::optional<Float100>& exact) {
  if (!estimate || !exact) return estimate.has_value() == exact.has_value() ? kDigitsCap : 0.0;
  return correct_digits(*estimate, *exact);
}

// The table warns that the leave-one-out RMSE of this degree may have few digits.
bool loo_warned(const DegreeTable& table, int degree) {
  const std::string prefix = "degree " + std::to_string(degree) + ": ";
  return std::any_of(table.warnings.begin(), table.warnings.end(), [&](const std::string& w) {
    return w.rfind(prefix, 0) == 0 &&
           w.find("the leave-one-out RMSE may have only about") != std::string::npos;
  });
}

Digits measure(const DegreeTable& table, const std::vector<ExactDegreeRow>& exact) {
  Digits d;
  d.fill(kDigitsCap);
  for (std::size_t k = 0; k < table.rows.size(); ++k) {
    const DegreeRow& row = table.rows[k];
    const ExactDegreeRow& reference = exact[k];
    const double row_digits[kFigures] = {
        digits(row.residual_sd, reference.residual_sd),
        digits(row.r_squared, reference.r_squared),
        digits(row.adjusted_r_squared, reference.adjusted_r_squared),
        digits(row.aic, reference.aic),
        digits(row.aicc, reference.aicc),
        digits(row.bic, reference.bic),
        loo_warned(table, row.degree) ? kDigitsCap : digits(row.loocv_rmse, reference.loocv_rmse),
        digits(row.f_p_value, reference.f_p_value)};
    for (std::size_t f = 0; f < kFigures; ++f) d[f] = std::min(d[f], row_digits[f]);
  }
  return d;
}

void report(const std::string& name, const DegreeTable& table, const Digits& d) {
  std::printf("[ digits   ] %-52s 0..%-2zu", name.c_str(), table.rows.size() - 1);
  for (std::size_t f = 0; f < kFigures; ++f) std::printf("  %s %5.2f", kFigureNames[f], d[f]);
  for (const DegreeRow& row : table.rows) {
    if (loo_warned(table, row.degree)) std::printf("  (LOO %d warned)", row.degree);
  }
  std::printf("\n");
}

// Digits promised for every figure of the table, against the exact fits.
constexpr double kTableDigits = 10.0;

TEST(DegreeTableAccuracy, EveryFigureOfEveryRowKeepsTenDigitsOnTheHardAndNistSets) {
  std::vector<DataSet> sets = hard_families();
  sets.push_back(norris());
  sets.push_back(wampler1());
  for (const DataSet& set : sets) {
    SCOPED_TRACE(set.name);
    const auto table = degree_table(set.x, set.y, set.w);
    ASSERT_TRUE(table.has_value()) << table.error().message;
    const int top = static_cast<int>(table->rows.size()) - 1;
    const Digits d = measure(*table, exact_degree_rows(set.x, set.y, set.w, top));
    report(set.name, *table, d);
    for (std::size_t f = 0; f < kFigures; ++f) {
      EXPECT_GE(d[f], kTableDigits) << kFigureNames[f];
    }
  }
}

// The isolated observation of the clustered set has leverage within 1e-30 of 1 at degree
// 3: its deleted residual is an extrapolation beyond what the moments hold, and the table
// says so.
TEST(DegreeTableAccuracy, ALeverageNearOneBeyondTheMomentsIsWarned) {
  const DataSet set = clustered();
  const auto table = degree_table(set.x, set.y, set.w);
  ASSERT_TRUE(table.has_value());
  ASSERT_EQ(table->rows.size(), 4u);
  EXPECT_TRUE(loo_warned(*table, 3));
  EXPECT_FALSE(loo_warned(*table, 1));
}

}  // namespace
}  // namespace polylsq::accurate::testing
