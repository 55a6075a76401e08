// Tests of the gamma and beta functions: the range bounds, messages as console records,
// edge values, and accuracy against independent double-precision values.
#include "stats/gamma_functions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "support/machine.h"
#include "support_lib/aliases.h"
#include "support_lib/level_three.h"

namespace polylsq {
namespace {

using Outcome = testing::LevelThreeOutcome;
using testing::outcome_of;

// One unit in the last place of single precision at 1.
constexpr double kUlp = 1.0 / (1 << 23);
// |3.1415927f - pi|: sin(pi_f * Y) differs from sin(pi * Y) by about Y times this.
const double kPiFloatError = std::fabs(double(3.1415927f) - M_PI);

TEST(R9gaml, BoundsAreWhereGammaStaysInTheFloatRange) {
  float xmin = 0.0f, xmax = 0.0f;
  run_captured([&] { R9GAML(xmin, xmax); });
  // R9GAML's Newton iterations stop within 0.005 and then step 0.01 inwards.
  EXPECT_NEAR(xmin, -33.96, 0.01);
  EXPECT_NEAR(xmax, 35.03, 0.01);
  EXPECT_LT(std::lgamma(double(xmax)), std::log(double(AMACH(2))));
  EXPECT_GT(std::lgamma(double(xmax) + 0.05), std::log(double(AMACH(2))));
}

// Messages as console records: each routine called directly by the test (level 2).

struct MessageCase {
  const char* what;
  std::function<void()> call;
  const char* console;
  bool stopped;
};

TEST(GammaFunctionMessages, ConsoleRecordsAreExact) {
  const std::vector<MessageCase> cases = {
      {"GAMMA(0)", [] { GAMMA(0.0f); },
       "\r\n*** TERMINAL ERROR 5 from GAMMA.  The argument for the function can not be\r\n"
       "***          zero.\r\nStop - Program terminated.\r\n",
       true},
      {"GAMMA(-1)", [] { GAMMA(-1.0f); },
       "\r\n*** TERMINAL ERROR 6 from GAMMA.  The argument for the function can not be a\r\n"
       "***          negative integer. Argument X = -1.000000E+00.\r\nStop - Program terminated.\r\n",
       true},
      {"GAMMA(36)", [] { GAMMA(36.0f); },
       "\r\n*** TERMINAL ERROR 4 from GAMMA.  The function overflows because X =\r\n"
       "***          3.600000E+01 is greater than 3.503078E+01.\r\nStop - Program terminated.\r\n",
       true},
      {"GAMMA(-11)", [] { GAMMA(-11.0f); },
       "\r\n*** WARNING  ERROR 2 from GAMMA.  The result is accurate to less than one\r\n"
       "***          half precision because X = -1.100000E+01 is too close to a \r\n"
       "***          negative integer.",
       false},
      {"R9LGMC(9.99)", [] { R9LGMC(9.99f); },
       "\r\n*** TERMINAL ERROR 5 from R9LGMC.  The argument X = 9.990000E+00 must be\r\n"
       "***          greater than or equal to 10.0.\r\nStop - Program terminated.\r\n",
       true},
      {"ALNREL(-1)", [] { ALNREL(-1.0f); },
       "\r\n*** TERMINAL ERROR 5 from ALNREL.  The argument X = -1.000000E+00 must be\r\n"
       "***          greater than -1.0.\r\nStop - Program terminated.\r\n",
       true},
      {"ALNREL(-0.9999)", [] { ALNREL(-0.9999f); },
       "\r\n*** WARNING  ERROR 2 from ALNREL.  The result is accurate to less than one\r\n"
       "***          half precision because X = -9.999000E-01 is too close to -1.0. \r\n"
       "***          X must be greater than -9.996547E-01.",
       false},
      {"ALBETA(0, 1)", [] { ALBETA(0.0f, 1.0f); },
       "\r\n*** TERMINAL ERROR 5 from ALBETA.  Both arguments for the function must be\r\n"
       "***          greater than zero.\r\nStop - Program terminated.\r\n",
       true},
      {"ALNGAM(-4e36)", [] { ALNGAM(-4.0e36f); },
       "\r\n*** TERMINAL ERROR 4 from ALNGAM.  The function overflows because\r\n"
       "***          ABS(-4.000000E+36) is greater than 3.835341E+36.\r\nStop - Program terminated.\r\n",
       true},
  };
  for (const MessageCase& c : cases) {
    CapturedRun run = run_captured(c.call);
    EXPECT_EQ(run.console, c.console) << c.what;
    EXPECT_EQ(run.stopped, c.stopped) << c.what;
  }
}

TEST(GammaFunctionMessages, UnderflowsAreSilentAlertsWithZeroResults) {
  struct Case {
    const char* what;
    std::function<float()> call;
  };
  const Case cases[] = {
      {"GAMMA(-40)", [] { return GAMMA(-40.0f); }},
      {"R9LGMC(1e37)", [] { return R9LGMC(1.0e37f); }},
  };
  for (const Case& c : cases) {
    Outcome outcome = outcome_of(c.call);
    EXPECT_EQ(outcome.value, 0.0f) << c.what;
    EXPECT_EQ(outcome.type, 2) << c.what;
    EXPECT_EQ(outcome.code, 1) << c.what;
    EXPECT_EQ(outcome.console, "") << c.what;  // alerts are never shown
  }
}

TEST(GammaFunctionDeathTest, NanArgumentEndsTheRunThroughTheInvalidTrap) {
  const float nan = AMACH(6);
  const char* kReport = "run-time error M6101: MATH\r\n- floating-point error: invalid";
  EXPECT_EXIT(ALNREL(nan), ::testing::ExitedWithCode(1), kReport);
  EXPECT_EXIT(R9LGMC(nan), ::testing::ExitedWithCode(1), kReport);
}

// Edge values

TEST(Gamma, SmallIntegersAndOneHalf) {
  // Series value plus at most one multiplication or division: a few units in the last place.
  const double kTolerance = 4 * kUlp;
  struct Case {
    float x;
    double expected;
  };
  const Case cases[] = {{1.0f, 1.0}, {2.0f, 1.0}, {0.5f, std::sqrt(M_PI)}, {3.0f, 2.0}, {-0.5f, -2 * std::sqrt(M_PI)}};
  for (const Case& c : cases) {
    Outcome outcome = outcome_of([&] { return GAMMA(c.x); });
    EXPECT_NEAR(outcome.value / c.expected, 1.0, kTolerance) << "x = " << c.x;
    EXPECT_EQ(outcome.type, 0) << "x = " << c.x;
    EXPECT_EQ(outcome.console, "") << "x = " << c.x;
  }
}

TEST(Gamma, MinusElevenIsOnlyAPrecisionWarningWithAFiniteValue) {
  Outcome outcome = outcome_of([] { return GAMMA(-11.0f); });
  EXPECT_EQ(outcome.type, 3);
  EXPECT_EQ(outcome.code, 2);
  EXPECT_TRUE(std::isfinite(outcome.value));
  // Shown under the stand-in caller's name when it returns.
  EXPECT_NE(outcome.console.find("WARNING  ERROR 2 from TEST."), std::string::npos);
}

TEST(Alnrel, NearMinusOneWarnsAndKeepsTheLogarithm) {
  Outcome outcome = outcome_of([] { return ALNREL(-0.9999f); });
  EXPECT_EQ(outcome.type, 3);
  EXPECT_EQ(outcome.code, 2);
  EXPECT_NEAR(outcome.value / std::log1p(double(-0.9999f)), 1.0, 2 * kUlp);
}

TEST(R9lgmc, BeyondTheAsymptoticBoundIsOneOverTwelveX) {
  Outcome outcome = outcome_of([] { return R9LGMC(5000.0f); });
  EXPECT_EQ(outcome.value, float(1.0 / 60000.0));
  EXPECT_EQ(outcome.type, 0);
}

TEST(Albeta, IsSymmetricOnEveryBranch) {
  const float pairs[][2] = {{0.5f, 3.0f}, {2.0f, 12.0f}, {0.3f, 40.0f}, {15.0f, 25.0f}, {11.0f, 1.0e6f}};
  for (const auto& p : pairs) {
    const float ab = outcome_of([&] { return ALBETA(p[0], p[1]); }).value;
    const float ba = outcome_of([&] { return ALBETA(p[1], p[0]); }).value;
    EXPECT_EQ(ab, ba) << p[0] << ", " << p[1];
  }
}

TEST(Albeta, UnderflowOfTheCorrectionIsWithdrawn) {
  // Q and P + Q beyond R9LGMC's underflow bound (about 7.1e36): its alert must not remain.
  Outcome outcome = outcome_of([] { return ALBETA(20.0f, 1.0e37f); });
  EXPECT_EQ(outcome.type, 0);
  EXPECT_EQ(outcome.console, "");
  // ln B(a, b) = lgamma(a) - a ln b + O(a^2 / b) for b >> a.
  const double expected = std::lgamma(20.0) - 20.0 * std::log(double(1.0e37f));
  EXPECT_NEAR(outcome.value / expected, 1.0, 8 * kUlp);
}

// Accuracy sweeps against independent double-precision values.

TEST(GammaAccuracy, AgreesWithTgammaOnEveryBranch) {
  // Up to 10: the series (0.1 eps) and up to 10 multiplications or divisions, each
  // rounded: (14 + |x|) ulp covers them. Beyond 10: exp of an argument summed in double
  // with the single-precision Stirling correction, rounded once: well inside the same
  // bound. Negative arguments below -10 use sin(pi_f * |x|), so the relative error grows by
  // |x| * |pi_f - pi| / |tan(pi x)|.
  std::vector<float> xs;
  for (double x = -33.9; x <= 35.0; x += 0.037) {
    const double distance = std::fabs(x - std::round(x));
    if (x < 0.5 && distance < 0.02) continue;  // poles and the precision warnings
    xs.push_back(float(x));
  }
  for (float x : xs) {
    Outcome outcome = outcome_of([&] { return GAMMA(x); });
    const double expected = std::tgamma(double(x));
    double tolerance = (14 + std::fabs(x)) * kUlp;
    if (x < -10) tolerance += std::fabs(x) * kPiFloatError / std::fabs(std::tan(M_PI * x));
    EXPECT_NEAR(outcome.value / expected, 1.0, tolerance) << "x = " << x;
  }
}

TEST(AlngamAccuracy, AgreesWithLgammaOnEveryBranch) {
  // Up to 10: ln of GAMMA, so the relative error of GAMMA becomes an absolute one. Beyond
  // 10: a sum of terms of size x*ln(x), rounded once: 2 ulp of that size. Negative below
  // -10: as above plus ln(S) with S = sin(pi_f * |x|).
  for (double x = -33.9; x <= 1000.0; x += (x < 40 ? 0.041 : 3.7)) {
    if (std::fabs(x - std::round(x)) < 0.02 && x < 0.5) continue;
    const float xf = float(x);
    Outcome outcome = outcome_of([&] { return ALNGAM(xf); });
    const double expected = std::lgamma(double(xf));
    double tolerance = (14 + std::fabs(xf)) * kUlp + 2 * kUlp * std::fabs(expected);
    if (xf > 10) tolerance = 2 * kUlp * (std::fabs(double(xf) * std::log(double(xf))) + 1);
    if (xf < -10) {
      tolerance = 2 * kUlp * (std::fabs(double(xf) * std::log(-double(xf))) + 1) +
                  std::fabs(xf) * kPiFloatError / std::fabs(std::tan(M_PI * xf));
    }
    EXPECT_NEAR(outcome.value, expected, tolerance) << "x = " << xf;
  }
}

TEST(R9lgmcAccuracy, AgreesWithTheAsymptoticSeries) {
  // 1/(12x) - 1/(360x^3) + 1/(1260x^5) - 1/(1680x^7) is accurate to 1e-13 relative for
  // x >= 10; the series sum and the division are rounded once each: 3 ulp.
  for (double x = 10.0; x < 4096.0; x *= 1.07) {
    const float xf = float(x);
    const double xd = xf;
    const double expected = 1 / (12 * xd) - 1 / (360 * std::pow(xd, 3)) + 1 / (1260 * std::pow(xd, 5)) -
                            1 / (1680 * std::pow(xd, 7));
    Outcome outcome = outcome_of([&] { return R9LGMC(xf); });
    EXPECT_NEAR(outcome.value / expected, 1.0, 3 * kUlp) << "x = " << xf;
  }
}

TEST(AlnrelAccuracy, AgreesWithLog1p) {
  // Series branch: X*(1 - X*series) with two roundings; log branch: one rounding of ln in
  // double, but 1 + X is exact in double: 3 ulp.
  for (double x = -0.999; x <= 20.0; x += (x < 1 ? 0.0031 : 0.37)) {
    const float xf = float(x);
    Outcome outcome = outcome_of([&] { return ALNREL(xf); });
    const double expected = std::log1p(double(xf));
    if (expected == 0.0) continue;
    EXPECT_NEAR(outcome.value / expected, 1.0, 3 * kUlp) << "x = " << xf;
  }
}

TEST(AlbetaAccuracy, AgreesWithLgammaSumsOnEveryBranch) {
  // Each branch adds terms of the size of ln Gamma of its arguments and rounds once or
  // twice: 4 ulp of the largest of |lgamma(a)|, |lgamma(b)|, |lgamma(a + b)|, and at least
  // 4 ulp; the both-below-10 branch is ln of a product of three GAMMA values (6 ulp each).
  const float values[] = {0.1f, 0.5f, 1.0f, 2.5f, 7.0f, 9.9f, 10.0f, 13.5f, 50.0f, 777.0f, 4.0e4f};
  for (float a : values) {
    for (float b : values) {
      Outcome outcome = outcome_of([&] { return ALBETA(a, b); });
      const double la = std::lgamma(double(a)), lb = std::lgamma(double(b));
      const double lab = std::lgamma(double(a) + b);
      const double expected = la + lb - lab;
      const double size = std::max({std::fabs(la), std::fabs(lb), std::fabs(lab), 1.0});
      EXPECT_NEAR(outcome.value, expected, 20 * kUlp * size) << "a = " << a << ", b = " << b;
    }
  }
}

}  // namespace
}  // namespace polylsq
