// Tests of the Chebyshev series routines: the term counts INITS selects for the published
// tables, CSEVL against the sum in double, and their messages as console records.
#include "stats/chebyshev_series.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
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

// Messages as console records: each routine called directly by the test (level 2).

struct MessageCase {
  const char* what;
  std::function<void()> call;
  const char* console;
  bool stopped;
};

TEST(ChebyshevSeriesMessages, ConsoleRecordsAreExact) {
  const std::vector<MessageCase> cases = {
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
  };
  for (const MessageCase& c : cases) {
    CapturedRun run = run_captured(c.call);
    EXPECT_EQ(run.console, c.console) << c.what;
    EXPECT_EQ(run.stopped, c.stopped) << c.what;
  }
}

TEST(ChebyshevSeriesDeathTest, NanArgumentEndsTheRunThroughTheInvalidTrap) {
  const char* kReport = "run-time error M6101: MATH\r\n- floating-point error: invalid";
  EXPECT_EXIT(CSEVL(AMACH(6), kErf.data(), 7), ::testing::ExitedWithCode(1), kReport);
}

}  // namespace
}  // namespace polylsq
