// The printed report of a polynomial regression. Each record starts with the blank that the
// console takes as carriage control; trailing blanks are not written.
//
// Numbers follow the format (2W10.4,F9.3,F7.4): two "W10.4" fields (degrees of freedom,
// sums of squares, mean squares, estimates, standard errors), F9.3 for F and t statistics,
// F7.4 for probabilities. A "W10.4" field is F10.4 when that shows a nonzero digit without
// overflowing (or the value is zero, NaN or infinite), else 1PE10.3: four significant
// digits either way.
#include "stats/regression_report.h"

#include <cmath>
#include <string>
#include <string_view>

#include "recio/edit.h"
#include "recio/io.h"
#include "stats/regression_statistics.h"
#include "support/index.h"
#include "support/machine.h"

namespace polylsq {
namespace {

constexpr int kLabelWidth = 16;
constexpr int kTableWidth = kLabelWidth + 10 + 10 + 9 + 7;  // label, 2W10.4, F9.3, F7.4
constexpr int kAovWidth = kTableWidth + 10;                 // one more W10.4: mean squares
constexpr int kSummaryLabelWidth = 44;

// 12.5 -> "   12.5000"; 0.00001234 -> " 1.234E-05"; 123456.7 -> " 1.235E+05"
std::string w_field(float value) {
  const std::string fixed = recio::edit_F(value, 10, 4);
  if (IS_NAN(value) || std::isinf(value) || value == 0.0f) return fixed;
  const bool fits = fixed.find('*') == std::string::npos;
  const bool shows_digit = fixed.find_first_of("123456789") != std::string::npos;
  if (fits && shows_digit) return fixed;
  return recio::edit_E(value, 10, 3, 1);
}

std::string stat_field(float value) { return recio::edit_F(value, 9, 3); }
std::string prob_field(float value) { return recio::edit_F(value, 7, 4); }

std::string left(std::string_view text, int width) {
  std::string s(text);
  if (static_cast<int>(s.size()) < width) s.append(width - s.size(), ' ');
  return s;
}

std::string right(std::string_view text, int width) {
  std::string s;
  if (static_cast<int>(text.size()) < width) s.assign(width - text.size(), ' ');
  s.append(text);
  return s;
}

// Row label of the numbered tables: the number right-justified in 6, then blanks.
std::string number_label(int n) { return left(recio::edit_I(n, 6), kLabelWidth); }

void put(int unit, std::string text) {
  const std::size_t last = text.find_last_not_of(' ');
  text.erase(last == std::string::npos ? 0 : last + 1);
  recio::write_record(unit, " " + text);
}

void put_title(int unit, std::string_view title, int width) {
  put(unit, std::string((width - static_cast<int>(title.size())) / 2, ' ') + std::string(title));
}

void print_aov(int unit, const float* AOV) {
  using namespace aov_slot;
  Vec<const float> aov(AOV);
  put(unit, "");
  put_title(unit, "* * * Analysis of Variance * * *", kAovWidth);
  put(unit, left("", kLabelWidth) + right("", 10) + right("Sum of", 10) + right("Mean", 10));
  put(unit, left("Source", kLabelWidth) + right("DF", 10) + right("Squares", 10) +
                right("Square", 10) + right("F", 9) + right("Pr > F", 7));
  put(unit, left("Regression", kLabelWidth) + w_field(aov(kDfRegression)) +
                w_field(aov(kSsRegression)) + w_field(aov(kMsRegression)) + stat_field(aov(kF)) +
                prob_field(aov(kProbF)));
  put(unit, left("Residual", kLabelWidth) + w_field(aov(kDfError)) + w_field(aov(kSsError)) +
                w_field(aov(kMsError)));
  put(unit, left("Corrected Total", kLabelWidth) + w_field(aov(kDfTotal)) + w_field(aov(kSsTotal)));
  put(unit, "");
  put(unit, left("R-squared (percent)", kSummaryLabelWidth) + w_field(aov(kRSquared)));
  put(unit, left("Adjusted R-squared (percent)", kSummaryLabelWidth) +
                w_field(aov(kAdjustedRSquared)));
  put(unit, left("Estimated standard deviation of model error", kSummaryLabelWidth) +
                w_field(aov(kErrorStdDev)));
  put(unit, left("Mean of the response", kSummaryLabelWidth) + w_field(aov(kResponseMean)));
  put(unit, left("Coefficient of variation (percent)", kSummaryLabelWidth) +
                w_field(aov(kCoefficientOfVariation)));
}

void print_coefficients(int unit, int NDEG, const float* COEF, int LDCOEF) {
  using namespace coef_column;
  Mat<const float> coef(COEF, LDCOEF);
  put(unit, "");
  put_title(unit, "* * * Inference on Coefficients * * *", kTableWidth);
  put(unit, left("", kLabelWidth) + right("", 10) + right("Standard", 10));
  put(unit, left(right("Power", 6), kLabelWidth) + right("Estimate", 10) + right("Error", 10) +
                right("t", 9) + right("Pr>|t|", 7));
  for (int i = 1; i <= NDEG + 1; ++i) {
    put(unit, number_label(i - 1) + w_field(coef(i, kEstimate)) + w_field(coef(i, kStandardError)) +
                  stat_field(coef(i, kT)) + prob_field(coef(i, kProbT)));
  }
}

// Sequential statistics and lack-of-fit tests share one layout: degree, DF, SS, F, Pr > F.
void print_by_degree(int unit, std::string_view title, int NDEG, const float* TABLE, int LD) {
  using namespace by_degree_column;
  Mat<const float> t(TABLE, LD);
  put(unit, "");
  put_title(unit, title, kTableWidth);
  put(unit, left("", kLabelWidth) + right("", 10) + right("Sum of", 10));
  put(unit, left("Degree", kLabelWidth) + right("DF", 10) + right("Squares", 10) + right("F", 9) +
                right("Pr > F", 7));
  for (int i = 1; i <= NDEG; ++i) {
    put(unit, number_label(i) + w_field(t(i, kDf)) + w_field(t(i, kSumOfSquares)) +
                  stat_field(t(i, kF)) + prob_field(t(i, kProbF)));
  }
}

}  // namespace

void print_regression_report(int NDEG, int LOF, const float* AOV, const float* SQSS, int LDSQSS,
                             const float* COEF, int LDCOEF, const float* TLOF, int LDTLOF) {
  int unit = 0;
  UMACH(2, unit);
  print_aov(unit, AOV);
  print_coefficients(unit, NDEG, COEF, LDCOEF);
  if (NDEG >= 1) {
    print_by_degree(unit, "* * * Sequential Statistics * * *", NDEG, SQSS, LDSQSS);
    if (LOF == 1) print_by_degree(unit, "* * * Tests of Lack of Fit * * *", NDEG, TLOF, LDTLOF);
  }
}

}  // namespace polylsq
