// R2URV: its table of outcomes (messages, what is written and what is left alone) and the
// contents of B, SSDEG and FITSTAT. Expected values come from the data by hand (means,
// variances and least-squares lines of small exact data sets) and expected records from
// the handler's layout rules; R2URV is called directly, so it stands at level 2.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "fit/curve_fit_driver.h"
#include "support_lib/aliases.h"
#include "support_lib/case_name.h"
#include "support_lib/slots.h"

namespace polylsq {
namespace {

using testing::Slot;

const float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kUnset = -7.5f;     // what the result arrays hold before the call
constexpr float kGuard = 1234.25f;  // the element after RWORK's documented end

// Single-precision results of sums of a few terms: a few units in the last place.
constexpr double kRelTol = 4e-7;

// A value that comes from such sums.
Slot near(double value) { return {value, kRelTol * std::fabs(value) + 1e-12}; }

struct Fit {
  std::vector<float> B, SSDEG, FITSTAT, RWORK;
  std::vector<int> IWORK;
  CapturedRun run;
};

// Calls R2URV with workspace of exactly the documented size plus one guard element.
Fit fit(const std::vector<float>& x, const std::vector<float>& y, int NDEG) {
  const int NOBS = static_cast<int>(x.size());
  const int nb = NDEG >= 0 ? NDEG + 1 : 1;
  const int nwork = NDEG >= 0 ? (NDEG + 3) * (NDEG + 1) + 11 * (NOBS + NDEG) + 5 : 1;
  Fit f{std::vector<float>(nb, kUnset), std::vector<float>(nb, kUnset),
        std::vector<float>(10, kUnset), std::vector<float>(static_cast<std::size_t>(nwork) + 1, 0.0f),
        std::vector<int>(static_cast<std::size_t>(NOBS > 0 ? NOBS : 1), 0), {}};
  f.RWORK.back() = kGuard;
  f.run = run_captured([&] {
    R2URV(NOBS, x.data(), y.data(), NDEG, f.B.data(), f.SSDEG.data(), f.FITSTAT.data(),
          f.RWORK.data(), f.IWORK.data());
  });
  EXPECT_EQ(f.RWORK.back(), kGuard) << "R2URV wrote past its documented workspace";
  return f;
}

bool all_unset(const std::vector<float>& v) {
  for (float e : v)
    if (e != kUnset) return false;
  return true;
}


// --- outcomes that end the fit: message, stop, results untouched ---------------------------

struct Ending {
  const char* name;
  std::vector<float> x, y;
  int NDEG;
  std::vector<std::string> records;
};

// Shown by name in test listings.
void PrintTo(const Ending& c, std::ostream* os) { *os << c.name; }

class R2urvEnding : public ::testing::TestWithParam<Ending> {};

TEST_P(R2urvEnding, PrintsItsMessageStopsAndLeavesTheResults) {
  const Ending& c = GetParam();
  const Fit f = fit(c.x, c.y, c.NDEG);
  expect_console(f.run, c.records, true);
  EXPECT_TRUE(all_unset(f.B));
  EXPECT_TRUE(all_unset(f.SSDEG));
  EXPECT_TRUE(all_unset(f.FITSTAT));
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, R2urvEnding,
    ::testing::Values(
        Ending{"NobsBelowOne", {}, {}, 2,
               {"", " *** TERMINAL ERROR 1 from R2URV.  The number of observations must be at",
                " ***          least 1 while NOBS = 0 is given."}},
        Ending{"NdegNegative", {1, 2, 3}, {1, 2, 3}, -3,
               {"", " *** TERMINAL ERROR 2 from R2URV.  NDEG = -3.  The degree of the polynomial",
                " ***          to be fit must be greater than or equal to 0."}},
        Ending{"EveryPairHasANaN", {kNaN, kNaN, kNaN}, {1, 2, 3}, 1,
               {"", " *** FATAL    ERROR 3 from R2URV.  There are no valid data points.  Each",
                " ***          (x,y) pair contains NaN (not a number)."}},
        Ending{"NaNInXOrInYOfEveryRow", {kNaN, 2, kNaN}, {1, kNaN, 3}, 1,
               {"", " *** FATAL    ERROR 3 from R2URV.  There are no valid data points.  Each",
                " ***          (x,y) pair contains NaN (not a number)."}},
        Ending{"TwoValidRowsWithTheSameX", {3, kNaN, 3}, {1, 5, 2}, 1,
               {"", " *** FATAL    ERROR 7 from R2URV.  The x values are constant.  At least two",
                " ***          distinct x values are needed."}},
        Ending{"SingleObservation", {2.5f}, {7.25f}, 0,
               {"", " *** TERMINAL ERROR 1 from R2ORP.  NOBS = 1.  The number of observations,",
                " ***          NOBS, must be greater than 1.",
                "     Here is a traceback of subprogram calls in reverse order:",
                "     Routine name                    Error type  Error code",
                "     ------------                    ----------  ----------",
                "     R2ORP                                5           1    (Called internally)",
                "     R2URV                                0           0",
                "     USER                                 0           0"}}),
    testing::CaseName());

// --- fits that go on: contents of the results ---------------------------------------------

const std::vector<std::string> kPerfectFitTraceback = {
    "     Here is a traceback of subprogram calls in reverse order:",
    "     Routine name                    Error type  Error code",
    "     ------------                    ----------  ----------",
    "     R3ORP                                6          11    (Called internally)",
    "     R4ORP                                0           0    (Called internally)",
    "     R2ORP                                0           0    (Called internally)",
    "     R2URV                                0           0",
    "     USER                                 0           0"};

std::vector<std::string> perfect_fit_then(int degree, std::vector<std::string> rest) {
  std::vector<std::string> records = {
      "",
      " *** WARNING  ERROR 11 from R3ORP.  The degree " + std::to_string(degree) +
          " polynomial fit is a perfect",
      " ***          fit within machine precision."};
  records.insert(records.end(), kPerfectFitTraceback.begin(), kPerfectFitTraceback.end());
  records.insert(records.end(), rest.begin(), rest.end());
  return records;
}

// What a fit that goes on left: the console shows `records` with the last line end still
// owed; B(1..NDEG+1), SSDEG(1..NDEG+1) and FITSTAT(1..10) match their literals. FITSTAT
// holds the mean of x, the mean of y, the variance of x, the variance of y, R-squared in
// percent, the regression degrees of freedom and sum of squares, the error degrees of
// freedom and sum of squares, and the rows left out.
void expect_results(const Fit& f, const std::vector<std::string>& records, std::initializer_list<Slot> b,
                    std::initializer_list<Slot> ssdeg, std::initializer_list<Slot> fitstat) {
  expect_console(f.run, records, false);
  testing::expect_record("B", f.B, b);
  testing::expect_record("SSDEG", f.SSDEG, ssdeg);
  testing::expect_record("FITSTAT", f.FITSTAT, fitstat);
}

TEST(R2urv, DegreeZeroFitsTheMeanWithNaNForTheXStatistics) {
  // y = 1, 2, 4, 5: mean 3, SSDEG 4 rows times 3 squared, corrected total 10, n - 1 = 3;
  // R-squared 0: nothing explained.
  expect_results(fit({1, 2, 3, 4}, {1, 2, 4, 5}, 0), {}, {{3}}, {{36}},
                 {{kNaN}, {3}, {kNaN}, near(10.0 / 3.0), {0}, {0}, {0}, {3}, {10}, {0}});
}

TEST(R2urv, RowsWithANaNAreLeftOutOfTheFitAndOfTheMeansAndCounted) {
  // Valid rows x = 1..5, y = 2, 3, 5, 4, 6: mean x 3, mean y 4, Sxx = 10, Syy = 10,
  // Sxy = 9; slope 0.9, intercept 1.3; SSR = 8.1, SSE = 1.9. SSDEG(1): 5 rows times 4
  // squared. The variance of x is divided by NOBS - 2 = 5.
  expect_results(fit({1, kNaN, 2, 3, 10, 4, 5}, {2, 100, 3, 5, kNaN, 4, 6}, 1), {}, {near(1.3), near(0.9)},
                 {{80}, near(8.1)}, {{3}, {4}, {2.5}, near(2.5), near(81.0), {1}, near(8.1), {3}, near(1.9), {2}});
}

TEST(R2urv, ConstantYWarnsAndFitsDegreeZeroWithNaNRSquared) {
  // SSDEG(1): 5 times 6.5 squared; R-squared 0 / 0 through SAFE_DIV.
  expect_results(fit({1, 2, 3, 4, 5}, {6.5f, 6.5f, 6.5f, 6.5f, 6.5f}, 3),
                 perfect_fit_then(
                     0, {"", " *** WARNING  ERROR 4 from R2URV.  The y values are constant.  A zero order",
                         " ***          polynomial is fit.  High order coefficients are set to zero."}),
                 {{6.5}, {0}, {0}, {0}}, {{211.25}, {0}, {0}, {0}},
                 {{kNaN}, {6.5}, {kNaN}, {0}, {kNaN}, {0}, {0}, {4}, {0}, {0}});
}

TEST(R2urv, PointsOnALineWithDegreeThreeGiveTheLowerDegreeWarning) {
  // y = 2x + 1 on x = 1..5: every step is exact in single precision. SSDEG: 5 * 7^2, then
  // 2^2 * sum (x-3)^2.
  expect_results(fit({1, 2, 3, 4, 5}, {3, 5, 7, 9, 11}, 3),
                 perfect_fit_then(
                     1, {"", " *** WARNING  ERROR 6 from R2URV.  A perfect fit was obtained with a",
                         " ***          polynomial of lower degree (=1) than NDEG = 3 as requested."}),
                 {{1}, {2}, {0}, {0}}, {{245}, {40}, {0}, {0}},
                 {{3}, {7}, {2.5}, {10}, {100}, {1}, {40}, {3}, {0}, {0}});
}

TEST(R2urv, AFitOfTheRequestedDegreeFillsEveryResult) {
  // y = 2x^2 - 3x + 1 on x = 1..5: perfect fit of degree 2, exact in single precision.
  // SSDEG: mean 14 over 5 rows; about the mean: linear term 9^2 * 10, quadratic 2^2 * 14.
  // Variance of y 866 / 4.
  expect_results(fit({5, 3, 1, 4, 2}, {36, 10, 0, 21, 3}, 2), perfect_fit_then(2, {}), {{1}, {-3}, {2}},
                 {{980}, {810}, {56}}, {{3}, {14}, {2.5}, {216.5}, {100}, {2}, {866}, {2}, {0}, {0}});
}

TEST(R2urv, TheSumsOfTheMeanAndTheVarianceAreRoundedToSingleAfterEveryAddition) {
  // x symmetric about 0, so the mean of x is exactly 0. Sum of y in single after each
  // addition: 2^24 + 1 is a tie that rounds back to 2^24 every time, so the mean of y is
  // 2^24 / 4 = 4194304 (a sum kept in double would give 4194304.75, stored as 4194305).
  // Squares of x: 4097^2 = 16785409 rounds to 16785408, + 1 twice stays there, + 16785409
  // gives 33570817, stored as 33570816 (spacing 4); divided by 3: 11190272 (a sum kept in
  // double: 33570820 / 3, stored as 11190273).
  const Fit f = fit({-4097, -1, 1, 4097}, {16777216, 1, 1, 1}, 1);
  EXPECT_FALSE(f.run.stopped);
  EXPECT_EQ(f.FITSTAT[0], 0.0f);
  EXPECT_EQ(f.FITSTAT[1], 4194304.0f);
  EXPECT_EQ(f.FITSTAT[2], 11190272.0f);
}

TEST(R2urv, TheSumOfSquaresForTheMeanIsRoundedOnce) {
  // Mean of y 4097 over 3 rows: 4097 * 4097 * 3 = 50356227, stored as 50356228 (spacing 4).
  // Rounding 4097^2 first (16785408) would give 50356224.
  const Fit f = fit({1, 2, 3}, {0, 4097, 8194}, 1);
  EXPECT_FALSE(f.run.stopped);
  EXPECT_EQ(f.FITSTAT[1], 4097.0f);
  EXPECT_EQ(f.SSDEG[0], 50356228.0f);
}

TEST(R2urv, LeavesTheInputArraysUnchanged) {
  const std::vector<float> x = {0.5f, 1.5f, kNaN, 2.5f, 4.0f};
  const std::vector<float> y = {1.0f, 2.25f, 3.0f, 2.0f, 5.5f};
  const std::vector<float> x0 = x, y0 = y;
  const Fit f = fit(x, y, 2);
  EXPECT_FALSE(f.run.stopped);
  for (std::size_t i = 0; i < x.size(); ++i) {
    EXPECT_TRUE(x[i] == x0[i] || (std::isnan(x[i]) && std::isnan(x0[i])));
    EXPECT_EQ(y[i], y0[i]);
  }
}

}  // namespace
}  // namespace polylsq
