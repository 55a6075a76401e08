// compare_figure and compare_with_legacy: each rule of the marks on figures laid out by
// hand in their result-file fields, and whole comparisons of fits of exact polynomial data
// (the accurate coefficients known in closed form) with their marks, verdicts and, in
// JSON, the curve left out where no curve is evaluated.
#include "app/check_comparison.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/check_report.h"

namespace polylsq::app {
namespace {

constexpr float kLegacyNaN = std::numeric_limits<float>::quiet_NaN();

struct FigureRow {
  float legacy;
  std::optional<double> accurate;
  FieldFormat field;
  const char* legacy_text;
  const char* accurate_text;
  const char* reason;  // "": not marked
};

TEST(CompareFigure, PrintsBothByTheLegacyFEditingAndMarksByTheRules) {
  const FigureRow rows[] = {
      {0.992f, 1.0, kCoefficientField, "      .992", "     1.000", "differs by 8 units in its last printed digit"},
      {0.204f, 0.2049, kCoefficientField, "      .204", "      .205", ""},  // one unit: agrees
      // An exact tie printed as the legacy run prints it (.063, not .062): one unit off .064.
      {0.0644f, 0.0625, kCoefficientField, "      .064", "      .063", ""},
      {12345.68f, 12345.6789, kCoefficientField, " 12345.680", " 12345.680", ""},  // seven digits
      {-0.956f, 0.956, kCoefficientField, "     -.956", "      .956", "differs by 1912 units in its last printed digit"},
      {-0.0004f, 0.0, kCoefficientField, "      .000", "      .000", ""},  // no minus sign on zero
      {123456789.0f, 123456789.0, kCoefficientField, "**********", "**********",
       "the field is too narrow for the value"},
      {1.5f, 1e12, kCoefficientField, "     1.500", "**********", ""},  // too wide: its digits say nothing
      {99.87654f, 99.87666, kRSquaredField, "     99.8765", "     99.8767", "differs by 2 units in its last printed digit"},
      {kLegacyNaN, 99.5, kRSquaredField, "1#QNAN......", "     99.5000",
       "the legacy run gives no value; the accurate value is defined"},
      {50.0f, std::nullopt, kRSquaredField, "     50.0000", "undefined", "the accurate value is undefined"},
      {kLegacyNaN, std::nullopt, kRSquaredField, "1#QNAN......", "undefined", ""},
  };
  for (const FigureRow& row : rows) {
    const FigureComparison figure = compare_figure("B(1)", row.legacy, row.accurate, row.field);
    EXPECT_EQ(figure.legacy_text, row.legacy_text) << row.legacy;
    EXPECT_EQ(figure.accurate_text, row.accurate_text) << row.legacy;
    EXPECT_EQ(figure.reason, row.reason) << row.legacy;
    EXPECT_EQ(figure.marked, *row.reason != '\0') << row.legacy;
  }
}

struct LegacyRow {
  const char* name;
  std::vector<double> x;
  std::vector<double> y;
  int degree;
  LegacyResults legacy;
  std::vector<std::string> reasons;  // of the seven figures; "": not marked
  bool curve_marked;
  std::string verdict;
};

// y = 1000 + x^2 / 4096 on x = 0, 128, .., 1024 (exact binary values): the x^2 coefficient
// prints as .000, but its term is 256 at x = 1024, over 0.1% of the range of y (0.256).
LegacyRow hidden_term_row() {
  LegacyRow row{"HiddenTerm", {}, {}, 2, {{1000.0f, 0.0f, 0.000244140625f, 0, 0, 0}, 100.0f}, {}, true, ""};
  for (int x = 0; x <= 1024; x += 128) {
    row.x.push_back(x);
    row.y.push_back(1000.0 + x * x / 4096.0);
  }
  row.reasons = {"", "",
                 "printed as zero, but its term moves the fit by up to 2.6e+02 over the data (0.1% of the range of "
                 "y is 2.6e-01)",
                 "", "", "", ""};
  row.verdict =
      "1 of 7 legacy figures are contradicted by the accurate fit: B(3); and the polynomial of the printed "
      "coefficients is 256 off the accurate fit at x = 1024 (limit 2.56)";
  return row;
}

const std::string kTooNarrow = "the field is too narrow for the value";

TEST(CompareWithLegacy, MarksEachContradictedFigureAndJudgesThePrintedCurve) {
  const LegacyRow rows[] = {
      // y = 1 + 2x: the figures above the degree compare with 0.
      {"AllAgree", {0, 1, 2, 3}, {1, 3, 5, 7}, 1, {{1.0f, 2.0f, 0, 0, 0, 0}, 100.0f}, {"", "", "", "", "", "", ""},
       false, "every figure of the legacy result agrees with the accurate fit to its printed digits"},
      {"AboveTheDegree", {0, 1, 2, 3}, {1, 3, 5, 7}, 1, {{1.0f, 2.0f, 0.002f, 0, 0, 0}, 100.0f},
       {"", "", "differs by 2 units in its last printed digit", "", "", "", ""}, false,
       "1 of 7 legacy figures are contradicted by the accurate fit: B(3)"},
      hidden_term_row(),
      // y = 123456788 + x: B(1) fills its field with asterisks and leaves no curve to read back.
      {"NoCurve", {1, 2, 3}, {123456789, 123456790, 123456791}, 1, {{123456788.0f, 1.0f, 0, 0, 0, 0}, 100.0f},
       {kTooNarrow, "", "", "", "", "", ""}, false,
       "1 of 7 legacy figures are contradicted by the accurate fit: B(1); the polynomial of the printed "
       "coefficients is not evaluated: B(1) prints as \"**********\""},
  };
  for (const LegacyRow& row : rows) {
    SCOPED_TRACE(row.name);
    const auto fit = accurate::fit_polynomial(row.x, row.y, {}, row.degree);
    ASSERT_TRUE(fit.has_value()) << fit.error().message;
    const auto [x_low, x_high] = std::minmax_element(row.x.begin(), row.x.end());
    const auto [y_low, y_high] = std::minmax_element(row.y.begin(), row.y.end());
    const CheckComparison comparison = compare_with_legacy(row.legacy, *fit, {*x_low, *x_high, *y_low, *y_high});
    ASSERT_EQ(comparison.figures.size(), 7u);
    std::size_t marked = 0;
    for (std::size_t k = 0; k < 7; ++k) {
      EXPECT_EQ(comparison.figures[k].reason, row.reasons[k]) << comparison.figures[k].name;
      marked += row.reasons[k].empty() ? 0 : 1;
    }
    EXPECT_EQ(comparison.marked_count, marked);
    EXPECT_EQ(comparison.curve.has_value() && comparison.curve->marked, row.curve_marked);
    EXPECT_EQ(comparison.contradicted(), marked > 0 || row.curve_marked);
    EXPECT_EQ(check_verdict(comparison), row.verdict);
    EXPECT_EQ(nlohmann::json::parse(check_json(comparison, {}, {}))["curve"].is_null(), !comparison.curve);
  }
}

}  // namespace
}  // namespace polylsq::app
