// Tests of the special functions: term counts, bounds, edge cases, messages as console
// records, and accuracy against independent double-precision values.
#include "stats/chebyshev_series.h"
#include "stats/error_function.h"
#include "stats/gamma_functions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "support/error_handler.h"
#include "support/error_queries.h"
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

// The Chebyshev tables as published with the functions (shortest decimals of the stored
// singles), with the accuracy given to INITS and the number of terms it must select.
const std::vector<float> kErf = {
    -4.904612e-2f, -1.422612e-1f, 1.0035582e-2f, -5.7687645e-4f, 2.7419932e-5f, -1.1043176e-6f,
    3.8488757e-8f, -1.1808583e-9f, 3.2334215e-11f, -7.991016e-13f, 1.7990726e-14f,
    -3.7186356e-16f, 7.103599e-18f};
const std::vector<float> kErfcMid = {
    -6.960135e-2f, -4.110134e-2f, 3.914496e-3f, -4.906396e-4f, 7.157479e-5f, -1.1530717e-5f,
    1.9946706e-6f, -3.6426664e-7f, 6.944373e-8f, -1.3712209e-8f, 2.7883897e-9f,
    -5.8141647e-10f, 1.2389205e-10f, -2.6906392e-11f, 5.9426145e-12f, -1.3323868e-12f,
    3.0280468e-13f, -6.966649e-14f, 1.6208545e-14f, -3.8099343e-15f, 9.040487e-16f,
    -2.1640063e-16f, 5.2221024e-17f};
const std::vector<float> kErfcTail = {
    7.151793e-2f, -2.6532434e-2f, 1.711154e-3f, -1.6375167e-4f, 1.9871293e-5f, -2.8437123e-6f,
    4.6061612e-7f, -8.227753e-8f, 1.5921419e-8f, -3.2950713e-9f, 7.2234396e-10f,
    -1.6648558e-10f, 4.0103927e-11f, -1.0048162e-11f, 2.608276e-12f, -6.9911107e-13f,
    1.9294924e-13f, -5.4701313e-14f, 1.5896633e-14f, -4.726894e-15f, 1.4358734e-15f,
    -4.4495107e-16f, 1.4048109e-16f, -4.5138184e-17f};
const std::vector<float> kLn1p = {
    1.0378693f, -1.3364302e-1f, 1.9408248e-2f, -3.0107552e-3f, 4.8694614e-4f, -8.105488e-5f,
    1.37788475e-5f, -2.380221e-6f, 4.1640416e-7f, -7.359583e-8f, 1.3117612e-8f, -2.354671e-9f,
    4.2522774e-10f, -7.719089e-11f, 1.4075747e-11f, -2.5769072e-12f, 4.734241e-13f,
    -8.7249015e-14f, 1.6124616e-14f, -2.9875652e-15f, 5.54807e-16f, -1.0324619e-16f,
    1.925024e-17f};
const std::vector<float> kLgammaCorr = {1.6663896e-1f, -1.3849482e-5f, 9.810826e-9f,
                                        -1.80912e-11f, 6.22e-14f, -3e-16f};
const std::vector<float> kGamma = {
    8.571195e-3f, 4.4153812e-3f, 5.6850437e-2f, -4.2198356e-3f, 1.3268081e-3f, -1.8930246e-4f,
    3.6069254e-5f, -6.056762e-6f, 1.0558296e-6f, -1.8119674e-7f, 3.117725e-8f, -5.3542197e-9f,
    9.1932756e-10f, -1.5779412e-10f, 2.7079805e-11f, -4.6468185e-12f, 7.97335e-13f,
    -1.3680781e-13f, 2.3473196e-14f, -4.0274324e-15f, 6.910052e-16f, -1.1855845e-16f,
    2.0341485e-17f};

// ---------------------------------------------------------------------------------------
// INITS, CSEVL, R9GAML

TEST(Inits, SelectsThePublishedTermCountForEachSeries) {
  const float eta = float(0.1 * AMACH(3));
  struct Case {
    const char* name;
    const std::vector<float>* series;
    float eta;
    int terms;
  };
  const Case cases[] = {
      {"ERF_SERIES", &kErf, eta, 7},          {"ERFC_MID_SERIES", &kErfcMid, eta, 10},
      {"ERFC_TAIL_SERIES", &kErfcTail, eta, 9}, {"LN1P_SERIES", &kLn1p, eta, 11},
      {"LGAMMA_CORR_SERIES", &kLgammaCorr, AMACH(3), 2}, {"GAMMA_SERIES", &kGamma, eta, 12},
  };
  for (const Case& c : cases) {
    int terms = -1;
    CapturedRun run = run_captured([&] { terms = INITS(c.series->data(), int(c.series->size()), c.eta); });
    EXPECT_EQ(terms, c.terms) << c.name;
    EXPECT_EQ(run.console, "") << c.name;
  }
}

TEST(Inits, CountsOnlyTheTermsAfterTheFirstThatExceedsEta) {
  const float series[] = {1.0f, 0.5f, 0.25f, 0.125f};
  int terms = 0;
  run_captured([&] { terms = INITS(series, 4, 0.3f); });  // 0.125 + 0.25 > 0.3 at term 3
  EXPECT_EQ(terms, 3);
  run_captured([&] { terms = INITS(series, 4, 10.0f); });  // never exceeded: 1
  EXPECT_EQ(terms, 1);
}

TEST(Inits, LastCoefficientAloneAboveEtaIsCodeSix) {
  const float series[] = {1.0f, 0.5f};
  CapturedRun run = run_captured([&] { INITS(series, 2, 0.1f); });
  EXPECT_EQ(run.console,
            "\r\n*** TERMINAL ERROR 6 from INITS.  Too much accuracy may be requested. ETA\r\n"
            "***          should be increased.\r\nStop - Program terminated.\r\n");
  EXPECT_TRUE(run.stopped);
}

TEST(Csevl, OneTermIsHalfTheFirstCoefficient) {
  const float series[] = {0.75f, 100.0f};
  float value = 0.0f;
  run_captured([&] { value = CSEVL(0.3f, series, 1); });
  EXPECT_EQ(value, 0.375f);
}

TEST(Csevl, AgreesWithTheChebyshevSumInDouble) {
  // Clenshaw's recurrence in single precision: a few roundings of terms of size up to the
  // sum of |coefficients| (about 1.14 for the erf table).
  const double kTolerance = 8 * kUlp;
  for (double x = -1.1; x <= 1.1; x += 0.01) {
    const float xf = float(x);
    float value = 0.0f;
    run_captured([&] { value = CSEVL(xf, kErf.data(), 13); });
    // sum' c_j T_j(x), with T_j from the three-term recurrence in double.
    double t_prev = 1.0, t = xf, sum = 0.5 * kErf[0] + kErf[1] * t;
    for (int j = 2; j < 13; ++j) {
      const double t_next = 2 * xf * t - t_prev;
      sum += kErf[j] * t_next;
      t_prev = t;
      t = t_next;
    }
    EXPECT_NEAR(value, sum, kTolerance) << "x = " << xf;
  }
}

TEST(Csevl, ArgumentJustInsideTheToleranceGivesNoMessage) {
  float value = 0.0f;
  CapturedRun run = run_captured([&] { value = CSEVL(1.05f, kErf.data(), 7); });
  EXPECT_EQ(run.console, "");
  EXPECT_FALSE(std::isnan(value));
}

TEST(Csevl, ArgumentOutsideWarnsWhenItReturnsAndStillEvaluates) {
  float warned = 0.0f;
  CapturedRun run = run_captured([&] { warned = CSEVL(1.2f, kErf.data(), 7); });
  EXPECT_EQ(run.console,
            "\r\n*** WARNING  ERROR 7 from CSEVL.  The argument X = 1.200000E+00 is outside\r\n"
            "***          the interval (-1.1,+1.1).");
  EXPECT_FALSE(run.stopped);
  // Same value as at level 3, where the warning is only recorded.
  Outcome inner = outcome_of([] { return CSEVL(1.2f, kErf.data(), 7); });
  EXPECT_EQ(inner.type, 3);
  EXPECT_EQ(inner.code, 7);
  EXPECT_EQ(warned, inner.value);
  EXPECT_FALSE(std::isnan(warned));
}

TEST(R9gaml, BoundsAreWhereGammaStaysInTheFloatRange) {
  float xmin = 0.0f, xmax = 0.0f;
  run_captured([&] { R9GAML(xmin, xmax); });
  // R9GAML's Newton iterations stop within 0.005 and then step 0.01 inwards.
  EXPECT_NEAR(xmin, -33.96, 0.01);
  EXPECT_NEAR(xmax, 35.03, 0.01);
  EXPECT_LT(std::lgamma(double(xmax)), std::log(double(AMACH(2))));
  EXPECT_GT(std::lgamma(double(xmax) + 0.05), std::log(double(AMACH(2))));
}

// ---------------------------------------------------------------------------------------
// Messages as console records: each routine called directly by the test (level 2).

struct MessageCase {
  const char* what;
  std::function<void()> call;
  const char* console;
  bool stopped;
};

TEST(SpecialFunctionMessages, ConsoleRecordsAreExact) {
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
      {"CSEVL N = 0", [] { CSEVL(0.0f, kErf.data(), 0); },
       "\r\n*** TERMINAL ERROR 5 from CSEVL.  The number of terms in the series is not\r\n"
       "***          positive. N = 0.\r\nStop - Program terminated.\r\n",
       true},
      {"CSEVL N = 1001", [] { CSEVL(0.0f, kErf.data(), 1001); },
       "\r\n*** TERMINAL ERROR 6 from CSEVL.  The number of terms in the series is\r\n"
       "***          greater than 1000. N = 1001.\r\nStop - Program terminated.\r\n",
       true},
      {"INITS NOS = 0", [] { INITS(kErf.data(), 0, 1.0f); },
       "\r\n*** TERMINAL ERROR 5 from INITS.  The number of coefficients is less than 1.\r\n"
       "***          NOS = 0.\r\nStop - Program terminated.\r\n",
       true},
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

TEST(SpecialFunctionMessages, UnderflowsAreSilentAlertsWithZeroResults) {
  struct Case {
    const char* what;
    std::function<float()> call;
  };
  const Case cases[] = {
      {"GAMMA(-40)", [] { return GAMMA(-40.0f); }},
      {"R9LGMC(1e37)", [] { return R9LGMC(1.0e37f); }},
      {"ERFC(10)", [] { return ERFC(10.0f); }},
  };
  for (const Case& c : cases) {
    Outcome outcome = outcome_of(c.call);
    EXPECT_EQ(outcome.value, 0.0f) << c.what;
    EXPECT_EQ(outcome.type, 2) << c.what;
    EXPECT_EQ(outcome.code, 1) << c.what;
    EXPECT_EQ(outcome.console, "") << c.what;  // alerts are never shown
  }
}

TEST(SpecialFunctionDeathTest, NanArgumentEndsTheRunThroughTheInvalidTrap) {
  const float nan = AMACH(6);
  const char* kReport = "run-time error M6101: MATH\r\n- floating-point error: invalid";
  EXPECT_EXIT(ERFC(nan), ::testing::ExitedWithCode(1), kReport);
  EXPECT_EXIT(ALNREL(nan), ::testing::ExitedWithCode(1), kReport);
  EXPECT_EXIT(R9LGMC(nan), ::testing::ExitedWithCode(1), kReport);
  EXPECT_EXIT(CSEVL(nan, kErf.data(), 7), ::testing::ExitedWithCode(1), kReport);
}

// ---------------------------------------------------------------------------------------
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

TEST(Erfc, BoundsAndCentre) {
  EXPECT_EQ(outcome_of([] { return ERFC(0.0f); }).value, 1.0f);
  EXPECT_EQ(outcome_of([] { return ERFC(-5.0f); }).value, 2.0f);   // below XTINY
  EXPECT_EQ(outcome_of([] { return ERFC(-4.01f); }).value, 2.0f);  // XTINY is about -4.008
  EXPECT_GT(outcome_of([] { return ERFC(9.18f); }).value, 0.0f);   // XMAX is about 9.185
  Outcome beyond = outcome_of([] { return ERFC(9.19f); });
  EXPECT_EQ(beyond.value, 0.0f);
  EXPECT_EQ(beyond.type, 2);
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

// ---------------------------------------------------------------------------------------
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
