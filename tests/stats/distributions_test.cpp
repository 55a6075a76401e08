// Tests of the distribution functions and the F and t statistics: closed forms for every
// branch, edge cases, degenerate statistics that must not trap, messages as console
// records, and NaN arguments that end the run.
#include "stats/distributions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "support/error_handler.h"
#include "support/error_queries.h"
#include "support/machine.h"
#include "support_lib/aliases.h"
#include "support_lib/level_three.h"
#include "support_lib/slots.h"

namespace polylsq {
namespace {

// One unit in the last place of single precision at 1.
constexpr double kUlp = 1.0 / (1 << 23);

// P(|t| <= t) for nu degrees of freedom, t >= 0, and its signed version for t < 0: the
// classical finite sums in theta = atan(t / sqrt(nu)), evaluated in double.
double t_central(double t, int nu) {
  const double theta = std::atan(t / std::sqrt(double(nu)));
  const double s = std::sin(theta), c = std::cos(theta);
  if (nu % 2 == 1) {
    double sum = 0.0;
    if (nu > 1) {
      double term = c;
      sum = c;
      for (int k = 3; k <= nu - 2; k += 2) {
        term *= c * c * (k - 1) / k;
        sum += term;
      }
    }
    return 2.0 / M_PI * (theta + s * sum);
  }
  double term = 1.0, sum = 1.0;
  for (int k = 2; k <= nu - 2; k += 2) {
    term *= c * c * (k - 1) / k;
    sum += term;
  }
  return s * sum;
}
double t_cdf(double t, int nu) { return 0.5 + 0.5 * t_central(t, nu); }

// I_x(a, b) for integers a, b >= 1: the binomial tail sum.
double beta_integer(double x, int a, int b) {
  const int n = a + b - 1;
  double sum = 0.0;
  for (int j = a; j <= n; ++j) {
    sum += std::exp(std::lgamma(n + 1.0) - std::lgamma(j + 1.0) - std::lgamma(n - j + 1.0)) *
           std::pow(x, j) * std::pow(1 - x, n - j);
  }
  return sum;
}

using Outcome = testing::LevelThreeOutcome;

// A distribution function called at level 3 (support_lib/level_three.h); nothing may be
// shown.
Outcome outcome_of(const std::function<float()>& body) {
  Outcome outcome = testing::outcome_of(body);
  EXPECT_EQ(outcome.console, "");
  return outcome;
}
float value_of(const std::function<float()>& body) { return outcome_of(body).value; }

// A statistic and its probability from a degenerate case: nothing shown, no stop, each
// equal to its expected value (a NaN to a NaN).
void expect_quiet_pair(const CapturedRun& run, const char* statistic, float value, float probability,
                       float expected_value, float expected_probability) {
  EXPECT_EQ(run.console, "");
  EXPECT_FALSE(run.stopped);
  testing::expect_slot(statistic, value, {expected_value});
  testing::expect_slot("P", probability, {expected_probability});
}

// ---------------------------------------------------------------------------------------
// TDF

TEST(Tdf, ZeroIsOneHalfForEveryDegreeOfFreedom) {
  for (float df : {1.0f, 1.5f, 2.0f, 3.0f, 5.0f, 19.0f, 20.0f, 25.0f, 100.0f, 1.0e6f}) {
    EXPECT_EQ(value_of([&] { return TDF(0.0f, df); }), 0.5f) << "DF = " << df;
  }
}

TEST(Tdf, OneDegreeOfFreedomIsCauchy) {
  // Arctangent in double times the stored 2/pi, then 1 - S and 0.5 * P2: 3 ulp of 0.5.
  for (double t = -0.99; t < 1.0; t += 0.03) {
    const float tf = float(t);
    EXPECT_NEAR(value_of([&] { return TDF(tf, 1.0f); }), 0.5 + std::atan(tf) / M_PI, 3 * kUlp) << tf;
  }
}

TEST(Tdf, TwoDegreesOfFreedomClosedForm) {
  // S = A / sqrt(Y) with A, Y stored: 3 ulp of 0.5.
  for (double t = -1.41; t < 1.42; t += 0.03) {
    const float tf = float(t);
    const double expected = 0.5 + 0.5 * tf / std::sqrt(2.0 + double(tf) * tf);
    EXPECT_NEAR(value_of([&] { return TDF(tf, 2.0f); }), expected, 3 * kUlp) << tf;
  }
}

TEST(TdfAccuracy, AgreesWithClosedFormsOnEveryIntegerBranch) {
  // DF 1..19 reach the two finite series (T^2 < 4 and T^2 >= 4) and BETAI (T^2 >= DF);
  // DF 20..60 the normal approximation. The upper value 1 - P2/2 is compared absolutely
  // (8 ulp of 1). The lower value P2/2 keeps a relative accuracy where P2 comes from exp of
  // a single-precision logarithm of size |ln P2|: (8 + 2 |ln P2|) ulp, plus 1e-6 for the
  // normal approximation itself; the first series forms P2 = 1 - S with S summed over DF/2
  // rounded steps, which adds an absolute (DF/2 + 4) ulp of 1 to P2, halved in the result.
  std::vector<int> dfs;
  for (int df = 1; df <= 20; ++df) dfs.push_back(df);
  for (int df : {21, 25, 30, 45, 60}) dfs.push_back(df);
  for (int df : dfs) {
    for (double t = 0.05; t < 12.0; t *= 1.13) {
      const float tf = float(t);
      const double upper_tail = 1.0 - t_cdf(tf, df);  // P(t > T) = P2 / 2
      const float high = value_of([&] { return TDF(tf, float(df)); });
      const float low = value_of([&] { return TDF(-tf, float(df)); });
      EXPECT_NEAR(high, 1.0 - upper_tail, 8 * kUlp) << "T = " << tf << ", DF = " << df;
      const double relative = (8 + 2 * std::fabs(std::log(upper_tail))) * kUlp + (df >= 20 ? 1e-6 : 0.0);
      const double absolute = (df / 2.0 + 4) * kUlp / 2;
      EXPECT_NEAR(low, upper_tail, relative * upper_tail + absolute) << "T = " << -tf << ", DF = " << df;
    }
  }
}

TEST(TdfAccuracy, NonIntegerDegreesOfFreedomLieBetweenTheirIntegerNeighbours) {
  // The t distribution function is increasing in DF for T > 0 and continuous: no closed
  // form, but the value must lie between those of the integers around DF.
  for (float df : {1.5f, 2.5f, 7.25f, 12.5f}) {
    const int below = int(df);
    for (double t : {0.3, 1.0, 2.2, 3.5, 9.0}) {
      const float value = value_of([&] { return TDF(float(t), df); });
      EXPECT_GT(value, t_cdf(float(t), below) - 4 * kUlp) << t << ", " << df;
      EXPECT_LT(value, t_cdf(float(t), below + 1) + 4 * kUlp) << t << ", " << df;
    }
  }
}

TEST(Tdf, NormalApproximationBeyondItsRangeIsExactlyZeroOrOne) {
  // DF = 1e6 and |T| = 19: W is above 18.8125, so P2 is exactly 0.
  EXPECT_EQ(value_of([] { return TDF(19.0f, 1.0e6f); }), 1.0f);
  EXPECT_EQ(value_of([] { return TDF(-19.0f, 1.0e6f); }), 0.0f);
}

TEST(Tdf, InfiniteAndHugeArgumentsTakeTheirLimitsWithoutTrapping) {
  const float inf = AMACH(7);
  struct Case {
    float t, df;
    double expected;
    double tolerance;
  };
  const Case cases[] = {
      {inf, 3.0f, 1.0, 0.0},
      {-inf, 3.0f, 0.0, 0.0},
      {1.0e20f, 1.0f, 1.0, 0.0},   // T*T beyond the float range
      {-1.0e20f, 1.0f, 0.0, 0.0},
      {-1.0e20f, inf, 0.0, 0.0},
      // Infinite or huge DF: the normal distribution, Phi(T) = erfc(-T / sqrt 2) / 2; the
      // normal branch is good to 4 ulp plus ERFC's 3 ulp at these arguments.
      {1.5f, inf, 1.0 - 0.5 * std::erfc(1.5 / std::sqrt(2.0)), 8 * kUlp},
      {-1.5f, inf, 0.5 * std::erfc(1.5 / std::sqrt(2.0)), 8 * kUlp},
      {2.0f, 1.0e30f, 1.0 - 0.5 * std::erfc(2.0 / std::sqrt(2.0)), 8 * kUlp},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(value_of([&] { return TDF(c.t, c.df); }), c.expected, c.tolerance)
        << "T = " << c.t << ", DF = " << c.df;
  }
}

// ---------------------------------------------------------------------------------------
// BETAI and FDF

TEST(Betai, EndpointsAreExactWithoutAMessage) {
  for (float p : {0.5f, 1.0f, 3.0f, 40.0f}) {
    for (float q : {0.5f, 2.0f, 7.5f}) {
      Outcome zero = outcome_of([&] { return BETAI(0.0f, p, q); });
      Outcome one = outcome_of([&] { return BETAI(1.0f, p, q); });
      EXPECT_EQ(zero.value, 0.0f) << p << ", " << q;
      EXPECT_EQ(one.value, 1.0f) << p << ", " << q;
      EXPECT_EQ(zero.type, 0);
      EXPECT_EQ(one.type, 0);
    }
  }
}

TEST(BetaiAccuracy, AgreesWithClosedFormsOnEveryBranch) {
  // Closed forms: the binomial sum for integer parameters, x^a, 1 - (1 - x)^b,
  // (2/pi) asin(sqrt x) and the t relation I_x(nu/2, 1/2) = 1 - A(t | nu). Values are
  // compared absolutely: the series work with single-precision logarithms of size up to
  // about 30 here and sums of terms up to 1: 24 ulp.
  struct Case {
    float a, b;
    std::function<double(double)> exact;
  };
  const std::vector<Case> cases = {
      {1.0f, 1.0f, [](double x) { return x; }},
      {2.0f, 3.0f, [](double x) { return beta_integer(x, 2, 3); }},
      {5.0f, 2.0f, [](double x) { return beta_integer(x, 5, 2); }},
      {3.0f, 17.0f, [](double x) { return beta_integer(x, 3, 17); }},
      {12.0f, 12.0f, [](double x) { return beta_integer(x, 12, 12); }},
      {40.0f, 4.0f, [](double x) { return beta_integer(x, 40, 4); }},
      {0.5f, 0.5f, [](double x) { return 2 / M_PI * std::asin(std::sqrt(x)); }},
      {2.7f, 1.0f, [](double x) { return std::pow(x, double(2.7f)); }},
      {1.0f, 3.3f, [](double x) { return 1 - std::pow(1 - x, double(3.3f)); }},
      {1.5f, 0.5f, [](double x) { return 1 - t_central(std::sqrt(3 * (1 - x) / x), 3); }},
      {3.5f, 0.5f, [](double x) { return 1 - t_central(std::sqrt(7 * (1 - x) / x), 7); }},
      {9.5f, 0.5f, [](double x) { return 1 - t_central(std::sqrt(19 * (1 - x) / x), 19); }},
  };
  for (const Case& c : cases) {
    for (double x = 0.01; x < 1.0; x += 0.0137) {
      const float xf = float(x);
      const float value = value_of([&] { return BETAI(xf, c.a, c.b); });
      EXPECT_NEAR(value, c.exact(xf), 24 * kUlp) << "x = " << xf << ", a = " << c.a << ", b = " << c.b;
    }
  }
}

TEST(BetaiAccuracy, SmallCaseKeepsRelativeAccuracy) {
  // (P + Q)/(P + 1) * Y below the epsilon: the leading term x^a / (a B(a, b)); the
  // logarithm of size about 40 is stored in single precision: 100 ulp relative.
  for (float x : {1.0e-9f, 3.0e-12f, 1.0e-15f}) {
    const float value = value_of([&] { return BETAI(x, 2.0f, 3.0f); });
    EXPECT_NEAR(value / beta_integer(x, 2, 3), 1.0, 100 * kUlp) << x;
  }
  // A leading term below 100 times the smallest normalised float is 0.
  EXPECT_EQ(value_of([] { return BETAI(1.0e-20f, 2.0f, 3.0f); }), 0.0f);
}

TEST(Betai, ReflectionHoldsUpToRounding) {
  // I_x(p, q) = 1 - I_(1-x)(q, p): both sides within the 24 ulp of the sweep above.
  const float pairs[][2] = {{2.0f, 3.0f}, {0.7f, 4.2f}, {15.0f, 2.5f}, {6.0f, 6.0f}};
  for (const auto& pq : pairs) {
    for (float x : {0.05f, 0.3f, 0.5f, 0.75f, 0.95f}) {
      const float direct = value_of([&] { return BETAI(x, pq[0], pq[1]); });
      const float reflected = value_of([&] { return BETAI(float(1.0 - x), pq[1], pq[0]); });
      EXPECT_NEAR(direct, 1.0 - reflected, 48 * kUlp) << x << ", " << pq[0] << ", " << pq[1];
    }
  }
}

TEST(FdfAccuracy, AgreesWithClosedForms) {
  // F(m, n) with even m and n: the binomial sum with a = m/2, b = n/2; F(1, n): T^2 with
  // n degrees of freedom. One more rounding (1 - BETAI) than BETAI's 24 ulp, and larger
  // logarithms: 32 ulp.
  struct Case {
    float dfn, dfd;
    std::function<double(double)> exact;
  };
  const std::vector<Case> cases = {
      {2.0f, 2.0f, [](double f) { return beta_integer(2 * f / (2 * f + 2), 1, 1); }},
      {4.0f, 10.0f, [](double f) { return beta_integer(4 * f / (4 * f + 10), 2, 5); }},
      {6.0f, 30.0f, [](double f) { return beta_integer(6 * f / (6 * f + 30), 3, 15); }},
      {1.0f, 1.0f, [](double f) { return 2 / M_PI * std::atan(std::sqrt(f)); }},
      {1.0f, 9.0f, [](double f) { return t_central(std::sqrt(f), 9); }},
  };
  for (const Case& c : cases) {
    for (double f = 0.02; f < 60.0; f *= 1.21) {
      const float ff = float(f);
      EXPECT_NEAR(value_of([&] { return FDF(ff, c.dfn, c.dfd); }), c.exact(ff), 32 * kUlp)
          << "F = " << ff << ", DFN = " << c.dfn << ", DFD = " << c.dfd;
    }
  }
}

TEST(FdfAccuracy, ManyDenominatorDegreesOfFreedomApproachTheChiSquareLimit) {
  // DFD = 1e6, as in a fit of a million observations: F(1, DFD) tends to chi-square(1),
  // P(F <= f) = erf(sqrt(f / 2)), with an error of order 1/DFD. FDF stores
  // X = DFD / (DFD + F) in single precision, which near 1 keeps only multiples of 2^-24, so
  // the statistic actually evaluated is DFD (1 - X) / X. BETAI then sums about DFD/2 tail
  // terms into a single-precision TAILSUM below 1 with a single-precision running TERM:
  // each step may lose up to 2^-24, so DFD/2 * 2^-24 (0.03) bounds the drift. The point is
  // that this long sum ends, traps nowhere and stays near the limit.
  const double dfd = 1.0e6;
  const double tolerance = dfd / 2 * kUlp / 2;
  for (float f : {0.1f, 1.0f, 3.84f, 10.0f, 30.0f}) {
    const double x = float(dfd / (dfd + f));
    const double evaluated = dfd * (1.0 - x) / x;
    const float value = value_of([&] { return FDF(f, 1.0f, float(dfd)); });
    EXPECT_NEAR(value, std::erf(std::sqrt(evaluated / 2.0)), tolerance) << f;
  }
}

TEST(Fdf, ZeroOrNegativeStatisticIsZeroWithANote) {
  for (float f : {0.0f, -2.5f, -AMACH(7)}) {
    Outcome outcome = outcome_of([&] { return FDF(f, 2.0f, 3.0f); });
    EXPECT_EQ(outcome.value, 0.0f) << f;
    EXPECT_EQ(outcome.type, 1) << f;
    EXPECT_EQ(outcome.code, 3) << f;
  }
}

// ---------------------------------------------------------------------------------------
// C1F and C1T

TEST(C1f, DegenerateStatisticsGiveTheirValuesWithoutTrapping) {
  const float nan = AMACH(6), inf = AMACH(7);
  struct Case {
    const char* what;
    float msn, msd, dfn, dfd;
    float f;      // expected F (NaN compared as NaN)
    float p;      // expected P (NaN compared as NaN)
  };
  const Case cases[] = {
      {"MSD = 0", 3.0f, 0.0f, 2.0f, 5.0f, inf, 0.0f},
      {"0 / 0", 0.0f, 0.0f, 2.0f, 5.0f, nan, nan},
      {"NaN mean square", nan, 1.0f, 2.0f, 5.0f, nan, nan},
      {"DFN = 0", 3.0f, 1.0f, 0.0f, 5.0f, 3.0f, nan},
      {"DFD = 0", 3.0f, 1.0f, 2.0f, 0.0f, 3.0f, nan},
      {"DFD < 0", 3.0f, 1.0f, 2.0f, -1.0f, 3.0f, nan},
      {"F = 0", 0.0f, 1.0f, 2.0f, 5.0f, 0.0f, 1.0f},
      {"MSD = 0, infinite DFD", 3.0f, 0.0f, 2.0f, inf, inf, 0.0f},
      {"infinite DFD", 3.0f, 1.0f, 2.0f, inf, 3.0f, nan},
      {"infinite DFN", 3.0f, 1.0f, inf, 5.0f, 3.0f, nan},
  };
  for (const Case& c : cases) {
    float f = -7.0f, p = -7.0f;
    SCOPED_TRACE(c.what);
    CapturedRun run = run_captured([&] { C1F(c.msn, c.msd, c.dfn, c.dfd, f, p); });
    expect_quiet_pair(run, "F", f, p, c.f, c.p);
  }
}

TEST(C1f, ProbabilityIsTheUpperTail) {
  // F(2, 2) upper tail: 1 / (1 + F). 6 = 12 / 2 gives 1/7; one rounding more than FDF.
  float f = 0.0f, p = 0.0f;
  run_captured([&] { C1F(12.0f, 2.0f, 2.0f, 2.0f, f, p); });
  EXPECT_EQ(f, 6.0f);
  EXPECT_NEAR(p, 1.0 / 7.0, 32 * kUlp);
}

TEST(C1t, DegenerateStatisticsGiveTheirValuesWithoutTrapping) {
  const float nan = AMACH(6), inf = AMACH(7);
  const float huge = float(double(1.0e30f) / double(1.0e-8f));
  struct Case {
    const char* what;
    float est, se, df;
    float t, p;
  };
  const Case cases[] = {
      {"SE = 0", 2.0f, 0.0f, 5.0f, inf, 0.0f},
      {"negative estimate, SE = 0", -2.0f, 0.0f, 5.0f, -inf, 0.0f},
      {"0 / 0", 0.0f, 0.0f, 5.0f, nan, nan},
      {"DF = 0", 2.0f, 1.0f, 0.0f, 2.0f, nan},
      {"NaN DF", 2.0f, 1.0f, nan, 2.0f, nan},
      {"huge t", 1.0e30f, 1.0e-8f, 5.0f, huge, 0.0f},
      {"huge t, infinite DF", 1.0e30f, 1.0e-8f, inf, huge, 0.0f},
      {"zero estimate", 0.0f, 1.0f, 5.0f, 0.0f, 1.0f},
  };
  for (const Case& c : cases) {
    float t = -7.0f, p = -7.0f;
    SCOPED_TRACE(c.what);
    CapturedRun run = run_captured([&] { C1T(c.est, c.se, c.df, t, p); });
    expect_quiet_pair(run, "T", t, p, c.t, c.p);
  }
}

TEST(C1t, ProbabilityIsTwoSided) {
  // DF = 1: P(|t| > 1) = 1/2; DF = 2: P(|t| > T) = 1 - T / sqrt(2 + T^2); an infinite DF is
  // the normal distribution, erfc(|T| / sqrt 2). Twice TDF's error: 16 ulp.
  struct Case {
    float est, se, df;
    double p;
  };
  const Case cases[] = {
      {3.0f, 3.0f, 1.0f, 0.5},
      {-1.0f, 1.0f, 2.0f, 1.0 - 1.0 / std::sqrt(3.0)},
      {2.0f, 1.0f, AMACH(7), std::erfc(2.0 / std::sqrt(2.0))},
  };
  for (const Case& c : cases) {
    float t = 0.0f, p = 0.0f;
    run_captured([&] { C1T(c.est, c.se, c.df, t, p); });
    EXPECT_NEAR(p, c.p, 16 * kUlp) << c.est << " / " << c.se << ", DF = " << c.df;
  }
}

// ---------------------------------------------------------------------------------------
// Messages and the trap

TEST(DistributionMessages, ConsoleRecordsAreExact) {
  struct Case {
    const char* what;
    std::function<void()> call;
    const char* console;
  };
  const std::vector<Case> cases = {
      {"TDF DF = 0.5", [] { TDF(1.0f, 0.5f); },
       "\r\n*** TERMINAL ERROR 1 from TDF.  The input number of degrees of freedom, DF =\r\n"
       "***          5.000000E-01, must be at least 1.\r\nStop - Program terminated.\r\n"},
      {"FDF DFN = 0", [] { FDF(1.0f, 0.0f, 3.0f); },
       "\r\n*** TERMINAL ERROR 1 from FDF.  DFN = .000000E+00 must be greater than 0.0.\r\n"
       "Stop - Program terminated.\r\n"},
      {"FDF DFD = -1", [] { FDF(1.0f, 2.0f, -1.0f); },
       "\r\n*** TERMINAL ERROR 2 from FDF.  DFD = -1.000000E+00 must be greater than 0.0.\r\n"
       "Stop - Program terminated.\r\n"},
      {"BETAI both checks", [] { BETAI(1.5f, 0.0f, 2.0f); },
       "\r\n*** TERMINAL ERROR 5 from BETAI.  X = 1.500000E+00 is not in the range\r\n"
       "***          (0.0,1.0).\r\n"
       "\r\n*** TERMINAL ERROR 6 from BETAI.  Both PIN = .000000E+00 and QIN =\r\n"
       "***          2.000000E+00 must be greater than 0.0.\r\nStop - Program terminated.\r\n"},
  };
  for (const Case& c : cases) {
    CapturedRun run = run_captured(c.call);
    EXPECT_EQ(run.console, c.console) << c.what;
    EXPECT_TRUE(run.stopped) << c.what;
  }
}

TEST(Tdf, OneDegreeOfFreedomIsAccepted) {
  Outcome outcome = outcome_of([] { return TDF(1.0f, 1.0f); });
  EXPECT_EQ(outcome.type, 0);
  EXPECT_NEAR(outcome.value, 0.75, 3 * kUlp);
}

TEST(DistributionDeathTest, NanArgumentEndsTheRunThroughTheInvalidTrap) {
  const float nan = AMACH(6);
  const char* kReport = "run-time error M6101: MATH\r\n- floating-point error: invalid";
  float f = 0.0f, p = 0.0f;
  EXPECT_EXIT(TDF(1.0f, nan), ::testing::ExitedWithCode(1), kReport);
  EXPECT_EXIT(FDF(1.0f, nan, 3.0f), ::testing::ExitedWithCode(1), kReport);
  EXPECT_EXIT(FDF(nan, 2.0f, 3.0f), ::testing::ExitedWithCode(1), kReport);
  EXPECT_EXIT(BETAI(nan, 2.0f, 3.0f), ::testing::ExitedWithCode(1), kReport);
  EXPECT_EXIT(BETAI(0.5f, 2.0f, nan), ::testing::ExitedWithCode(1), kReport);
  EXPECT_EXIT(C1F(1.0f, 1.0f, 2.0f, nan, f, p), ::testing::ExitedWithCode(1), kReport);
}

}  // namespace
}  // namespace polylsq
