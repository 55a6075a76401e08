// ORTHO_TO_POWER and COEF_VARIANCES against the expansion of the orthogonal polynomials in
// powers of x, computed here in double by polynomial arithmetic.
#include "stats/power_series.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <vector>

#include "recio/fpenv.h"

namespace polylsq {
namespace {

using Poly = std::vector<double>;  // coefficient of x^i at index i

Poly add_scaled(const Poly& a, const Poly& b, double s) {  // a + s*b
  Poly r(std::max(a.size(), b.size()), 0.0);
  for (std::size_t i = 0; i < a.size(); ++i) r[i] += a[i];
  for (std::size_t i = 0; i < b.size(); ++i) r[i] += s * b[i];
  return r;
}

Poly times_linear(const Poly& p, double c0, double c1) {  // p * (c0 + c1 x)
  Poly r(p.size() + 1, 0.0);
  for (std::size_t i = 0; i < p.size(); ++i) {
    r[i] += c0 * p[i];
    r[i + 1] += c1 * p[i];
  }
  return r;
}

// p_0 .. p_ndeg of z = xscale*x + xshift as polynomials in x. With `magnitude` every
// operand is taken by its absolute value and every subtraction becomes an addition: the
// result bounds the size of the terms that cancel in the exact coefficients.
std::vector<Poly> orthogonal_in_x(int ndeg, const std::vector<float>& reca,
                                  const std::vector<float>& recb, float xscale, float xshift,
                                  bool magnitude) {
  const auto m = [magnitude](double v) { return magnitude ? std::fabs(v) : v; };
  const double sign = magnitude ? 1.0 : -1.0;
  std::vector<Poly> p{{1.0}};
  for (int k = 1; k <= ndeg; ++k) {
    // p_k = (z - a_k) p_(k-1) - b_k p_(k-2)
    Poly next = times_linear(p[k - 1], m(xshift) + sign * m(reca[k - 1]), m(xscale));
    if (k >= 2) next = add_scaled(next, p[k - 2], sign * m(recb[k - 1]));
    p.push_back(next);
  }
  return p;
}

// Some thirty rounded single-precision steps (6e-8 each) per result, measured against the
// size of the terms that cancel in it.
constexpr double kRelTol = 2e-6;

struct Fit {
  int ndeg;
  std::vector<float> reca, recb, ocoef, var;
  float xscale, xshift;
};

Fit random_fit(std::mt19937& gen, int ndeg) {
  std::uniform_real_distribution<float> a(-1.5f, 1.5f), b(0.1f, 2.0f), o(-5.0f, 5.0f),
      v(0.01f, 3.0f), scale(0.05f, 3.0f), shift(-3.0f, 3.0f);
  Fit f{ndeg, {}, {}, {}, {}, scale(gen), shift(gen)};
  for (int k = 0; k < std::max(ndeg, 1); ++k) {
    f.reca.push_back(a(gen));
    f.recb.push_back(b(gen));
  }
  for (int k = 0; k <= ndeg; ++k) {
    f.ocoef.push_back(o(gen));
    f.var.push_back(v(gen));
  }
  return f;
}

// Work arrays with guard elements after them, to catch a write past the documented size.
constexpr float kGuard = -12345.0f;
constexpr int kGuards = 8;

std::vector<float> work_with_guard(int size) { return std::vector<float>(size + kGuards, kGuard); }

void expect_guard_intact(const std::vector<float>& work, int size) {
  for (int k = size; k < size + kGuards; ++k) EXPECT_EQ(work[k], kGuard) << "element " << k;
}

std::vector<float> to_power(const Fit& f) {
  std::vector<float> coef = f.ocoef;
  const int n1 = f.ndeg + 1;
  std::vector<float> work = work_with_guard(4 * n1);
  ORTHO_TO_POWER(f.ndeg, coef.data(), f.reca.data(), f.recb.data(), f.xscale, f.xshift,
                 work.data(), n1);
  expect_guard_intact(work, 4 * n1);
  return coef;
}

std::vector<float> variances(const Fit& f) {
  std::vector<float> var = f.var;
  const int n1 = f.ndeg + 1;
  std::vector<float> work = work_with_guard(n1 * (n1 + 2));
  COEF_VARIANCES(f.ndeg, var.data(), f.reca.data(), f.recb.data(), f.xscale, f.xshift,
                 work.data(), n1);
  expect_guard_intact(work, n1 * (n1 + 2));
  return var;
}

TEST(OrthoToPower, DegreeZeroLeavesTheCoefficientUnchanged) {
  for (float o : {3.7f, -0.1f, 0.0f, 1.0e30f}) {
    const Fit f{0, {0.8f}, {0.3f}, {o}, {1.0f}, 2.5f, -7.25f};
    EXPECT_EQ(to_power(f)[0], o);
  }
}

TEST(CoefVariances, DegreeZeroLeavesTheVarianceUnchanged) {
  for (float v : {0.0f, 2.0f / 3.0f, 5.0e-20f, 3.0e38f}) {
    const Fit f{0, {0.8f}, {0.3f}, {1.0f}, {v}, 2.5f, -7.25f};
    EXPECT_EQ(variances(f)[0], v);
  }
}

// Dyadic values keep every step exact, so the closed forms hold exactly.
TEST(OrthoToPower, DegreeOneUnscaledSubtractsRecaTimesTheSlope) {
  const Fit f{1, {0.25f}, {0.5f}, {1.5f, -0.75f}, {1.0f, 1.0f}, 1.0f, 0.0f};
  const std::vector<float> c = to_power(f);
  EXPECT_EQ(c[0], 1.5f - 0.25f * -0.75f);  // OCOEF(1) - RECA(1) OCOEF(2) = 1.6875
  EXPECT_EQ(c[1], -0.75f);
}

TEST(CoefVariances, DegreeOneUnscaledAddsTheSlopeVarianceTimesRecaSquared) {
  const Fit f{1, {0.25f}, {0.5f}, {1.0f, 1.0f}, {0.5f, 2.0f}, 1.0f, 0.0f};
  const std::vector<float> v = variances(f);
  EXPECT_EQ(v[0], 0.5f + 2.0f * 0.0625f);  // VAR(1) + VAR(2) RECA(1)^2 = 0.625
  EXPECT_EQ(v[1], 2.0f);
}

TEST(OrthoToPower, DegreeOneScaledAndShiftedIsExact) {
  // COEF(2) = OCOEF(2) XSCALE, COEF(1) = OCOEF(1) + OCOEF(2) (XSHIFT - RECA(1))
  const Fit f{1, {0.75f}, {0.0f}, {2.0f, 1.5f}, {1.0f, 1.0f}, 0.5f, -2.25f};
  const std::vector<float> c = to_power(f);
  EXPECT_EQ(c[1], 0.75f);
  EXPECT_EQ(c[0], 2.0f + 1.5f * (-2.25f - 0.75f));  // -2.5
}

TEST(CoefVariances, DegreeOneScaledAndShiftedIsExact) {
  // VAR(1) + VAR(2) (XSHIFT - RECA(1))^2 and VAR(2) XSCALE^2
  const Fit f{1, {0.75f}, {0.0f}, {1.0f, 1.0f}, {0.25f, 4.0f}, 0.5f, -2.25f};
  const std::vector<float> v = variances(f);
  EXPECT_EQ(v[0], 0.25f + 4.0f * 9.0f);
  EXPECT_EQ(v[1], 1.0f);
}

TEST(OrthoToPower, DegreeOneWithInexactValuesMatchesTheClosedForm) {
  const Fit f{1, {0.3f}, {0.0f}, {1.1f, -2.7f}, {1.0f, 1.0f}, 1.7f, 0.45f};
  const std::vector<float> c = to_power(f);
  const double o1 = 1.1f, o2 = -2.7f;
  // Results near 5 in magnitude: two rounded steps stay within two ulps (4.8e-7 each).
  const double kTwoUlps = 1e-6;
  EXPECT_NEAR(c[1], o2 * double(1.7f), kTwoUlps);
  EXPECT_NEAR(c[0], o1 + o2 * (double(0.45f) - double(0.3f)), kTwoUlps);
}

// 200 random fits of each degree 0 to 5: result(f)[i] against the sum over k of
// term(f, k, p_k[i]), the coefficient of x^i in p_k, within kRelTol of the sum of the
// magnitudes |term(f, k, |p|_k[i])| (the size of what cancels).
void expect_random_fits(unsigned seed, const std::function<std::vector<float>(const Fit&)>& result,
                        const std::function<double(const Fit&, int, double)>& term) {
  std::mt19937 gen(seed);
  for (int ndeg = 0; ndeg <= 5; ++ndeg) {
    for (int trial = 0; trial < 200; ++trial) {
      const Fit f = random_fit(gen, ndeg);
      const std::vector<Poly> p = orthogonal_in_x(ndeg, f.reca, f.recb, f.xscale, f.xshift, false);
      const std::vector<Poly> pa = orthogonal_in_x(ndeg, f.reca, f.recb, f.xscale, f.xshift, true);
      const std::vector<float> got = result(f);
      for (int i = 0; i <= ndeg; ++i) {
        double exact = 0.0, size = 0.0;
        for (int k = i; k <= ndeg; ++k) {
          exact += term(f, k, p[k][i]);
          size += std::fabs(term(f, k, pa[k][i]));
        }
        ASSERT_NEAR(got[i], exact, kRelTol * size)
            << "degree " << ndeg << " trial " << trial << " power " << i;
      }
    }
  }
}

TEST(OrthoToPower, RandomFitsEqualTheExpansionInPowersOfX) {
  expect_random_fits(20261207, to_power,
                     [](const Fit& f, int k, double p) { return double(f.ocoef[k]) * p; });
}

TEST(CoefVariances, RandomFitsEqualSumsOfSquaredCoefficientsTimesVariances) {
  expect_random_fits(7121962, variances,
                     [](const Fit& f, int k, double p) { return double(f.var[k]) * p * p; });
}

TEST(CoefVariances, InfiniteVarianceTimesAZeroCoefficientGivesNanWithoutATrap) {
  // RECA(1) = 0 and XSHIFT = 0: the constant term's variance is 1 + inf * 0.
  const float inf = std::numeric_limits<float>::infinity();
  const Fit f{1, {0.0f}, {0.0f}, {1.0f, 1.0f}, {1.0f, inf}, 1.0f, 0.0f};
  const std::vector<float> v = variances(f);
  EXPECT_TRUE(std::isnan(v[0]));
  EXPECT_EQ(v[1], inf);
}

TEST(CoefVariancesDeathTest, TheCallersTrapsAreBackOnReturn) {
  const float inf = std::numeric_limits<float>::infinity();
  const Fit f{1, {0.0f}, {0.0f}, {1.0f, 1.0f}, {1.0f, inf}, 1.0f, 0.0f};
  EXPECT_EXIT(
      {
        variances(f);
        volatile float nan = std::numeric_limits<float>::quiet_NaN();
        recio::ordered_lt(nan, 0.0);
      },
      ::testing::ExitedWithCode(1), "invalid");
}

// Finite inputs run under the caller's traps: a power-series coefficient or variance beyond
// the float range ends the run through the overflow trap. NDEG = 1, RECA(1) = 0, XSHIFT = 2:
// COEF(1) = OCOEF(1) + 2 OCOEF(2) = 6e38 and VAR(1) = VAR(1) + 4 VAR(2) = 1.2e39.
TEST(PowerSeriesDeathTest, FiniteInputsBeyondTheFloatRangeEndTheRunThroughTheOverflowTrap) {
  const Fit coef{1, {0.0f}, {0.0f}, {0.0f, 3.0e38f}, {1.0f, 1.0f}, 1.0f, 2.0f};
  EXPECT_EXIT(to_power(coef), ::testing::ExitedWithCode(1), "floating-point error: overflow");
  const Fit var{1, {0.0f}, {0.0f}, {1.0f, 1.0f}, {0.0f, 3.0e38f}, 1.0f, 2.0f};
  EXPECT_EXIT(variances(var), ::testing::ExitedWithCode(1), "floating-point error: overflow");
}

}  // namespace
}  // namespace polylsq
