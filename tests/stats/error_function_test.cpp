// Tests of the complementary error function: its bounds and centre, the underflow alert,
// the invalid trap on a NaN, and accuracy against std::erfc.
#include "stats/error_function.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/machine.h"
#include "support_lib/aliases.h"
#include "support_lib/level_three.h"

namespace polylsq {
namespace {

using Outcome = testing::LevelThreeOutcome;
using testing::outcome_of;

// One unit in the last place of single precision at 1.
constexpr double kUlp = 1.0 / (1 << 23);

TEST(Erfc, BoundsAndCentre) {
  EXPECT_EQ(outcome_of([] { return ERFC(0.0f); }).value, 1.0f);
  EXPECT_EQ(outcome_of([] { return ERFC(-5.0f); }).value, 2.0f);   // below XTINY
  EXPECT_EQ(outcome_of([] { return ERFC(-4.01f); }).value, 2.0f);  // XTINY is about -4.008
  EXPECT_GT(outcome_of([] { return ERFC(9.18f); }).value, 0.0f);   // XMAX is about 9.185
  Outcome beyond = outcome_of([] { return ERFC(9.19f); });
  EXPECT_EQ(beyond.value, 0.0f);
  EXPECT_EQ(beyond.type, 2);
}

TEST(Erfc, UnderflowIsASilentAlertWithAZeroResult) {
  Outcome outcome = outcome_of([] { return ERFC(10.0f); });
  EXPECT_EQ(outcome.value, 0.0f);
  EXPECT_EQ(outcome.type, 2);
  EXPECT_EQ(outcome.code, 1);
  EXPECT_EQ(outcome.console, "");  // alerts are never shown
}

TEST(ErfcDeathTest, NanArgumentEndsTheRunThroughTheInvalidTrap) {
  EXPECT_EXIT(ERFC(AMACH(6)), ::testing::ExitedWithCode(1),
              "run-time error M6101: MATH\r\n- floating-point error: invalid");
}

TEST(ErfcAccuracy, AgreesWithStdErfcOnEveryBranch) {
  // For |x| <= 1 the result is 1 - erf with erf from the series: 3 ulp of a value in
  // [0.15, 1.85]. Beyond, exp(-Z) with Z = x^2 stored in single precision: the rounding of
  // Z (Z * 2^-24) becomes a relative error of the result, plus 4 ulp for the series, C and
  // the quotient. For x < -1 the result 2 - erfc(|x|) is within 3 ulp of 2.
  for (double x = -4.0; x <= 9.18; x += 0.0123) {
    const float xf = float(x);
    Outcome outcome = outcome_of([&] { return ERFC(xf); });
    const double expected = std::erfc(double(xf));
    const double z = double(xf) * xf;
    const double tolerance = (std::fabs(xf) <= 1 || xf < 0) ? 3 * kUlp : (4 + z / 2) * kUlp;
    EXPECT_NEAR(outcome.value / expected, 1.0, tolerance) << "x = " << xf;
  }
  // Below XLIN the linear term alone.
  const float tiny = 1.0e-5f;
  EXPECT_NEAR(outcome_of([&] { return ERFC(tiny); }).value, std::erfc(double(tiny)), kUlp);
}

}  // namespace
}  // namespace polylsq
