// R3ORP: the worked examples with their exact values, the constant-data and stop-rule edge
// cases with their messages, the zero-weight rejections, and agreement of the fitted
// polynomial with an independent double-precision least-squares fit.
#include "fit/orthogonal_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "support/error_queries.h"
#include "support_lib/aliases.h"
#include "support_lib/least_squares.h"
#include "tests/fit/fit_outputs.h"

namespace polylsq {
namespace {

using fit_testing::expect_nothing_written;
using fit_testing::kStop;
using fit_testing::kUntouched;

struct Data {
  std::vector<float> x, y, w, f;  // w: combined weights; f: frequencies
};

Data unit_weights(std::vector<float> x, std::vector<float> y) {
  const size_t n = x.size();
  return {std::move(x), std::move(y), std::vector<float>(n, 1.0f), std::vector<float>(n, 1.0f)};
}

struct Fit : fit_testing::FitOutputs {
  using FitOutputs::FitOutputs;
  std::vector<float> xs;
  std::vector<int> iwork;
  int type = -99, code = -99;  // left in the handler for the caller, when the run goes on
};

// R3ORP called by the user program directly (level 2): warnings are shown when it returns,
// a fatal error is shown and stops the run.
Fit generate(const Data& data, int maxdeg, int icrit = 0, float crit = 0.0f, int lof = 0) {
  const int nv = static_cast<int>(data.x.size());
  Fit fit(std::max(maxdeg, 1), maxdeg + 1);
  fit.xs = data.x;
  fit.iwork.assign(nv, -1);
  std::vector<float> rwork(4 * static_cast<size_t>(nv), kUntouched);
  auto r = run_captured([&] {
    R3ORP(nv, fit.xs.data(), data.y.data(), data.w.data(), data.f.data(), maxdeg, icrit, crit,
          lof, fit.ndeg, fit.xscale, fit.xshift, fit.reca.data(), fit.recb.data(),
          fit.ocoef.data(), fit.d.data(), fit.dfe, fit.sse, fit.dfpe, fit.sspe,
          fit.iwork.data(), rwork.data());
    fit.type = N1RTY(1);
    fit.code = N1RCD(1);
  });
  fit.console = r.console;
  fit.stopped = r.stopped;
  return fit;
}

// The fitted polynomial at x, from the transformation, the recurrence and the coefficients,
// evaluated in double.
double fitted_value(const Fit& fit, double x) {
  const double t = double(fit.xscale) * x + double(fit.xshift);
  double p_prev = 0.0, p_cur = 1.0;
  double value = double(fit.ocoef[0]);
  for (int j = 1; j <= fit.ndeg; ++j) {
    const double p_next = (t - double(fit.reca[j - 1])) * p_cur - double(fit.recb[j - 1]) * p_prev;
    p_prev = p_cur;
    p_cur = p_next;
    value += double(fit.ocoef[j]) * p_cur;
  }
  return value;
}

TEST(R3orp, WorkedExampleIsExact) {
  const Fit fit = generate(unit_weights({1, 2, 3}, {1, 2, 3}), 2);
  // m = 2 and s = 4 / (3 - 1) = 2: t = 2x - 4.
  EXPECT_EQ(fit.xscale, 2.0f);
  EXPECT_EQ(fit.xshift, -4.0f);
  EXPECT_EQ(-fit.xshift / fit.xscale, 2.0f);
  EXPECT_EQ(fit.xs, (std::vector<float>{-2, 0, 2}));
  EXPECT_EQ(fit.ndeg, 1);
  EXPECT_EQ(fit.d[0], 3.0f);
  EXPECT_EQ(fit.d[1], 8.0f);
  EXPECT_EQ(fit.d[2], kUntouched);
  EXPECT_EQ(fit.ocoef, (std::vector<float>{2.0f, 0.5f, 0.0f}));
  EXPECT_EQ(fit.reca[0], 0.0f);
  EXPECT_EQ(fit.recb[0], 0.0f);
  EXPECT_EQ(fit.reca[1], kUntouched);
  EXPECT_EQ(fit.recb[1], kUntouched);
  // The sums of squares of the terms: SS = OCOEF^2 * D = 12 (mean) and 2 (degree 1); the
  // total about the mean SST = 14 - 12 = 2 is all explained: RSS = SSE = 0.
  EXPECT_EQ(fit.ocoef[0] * fit.ocoef[0] * fit.d[0], 12.0f);
  EXPECT_EQ(fit.ocoef[1] * fit.ocoef[1] * fit.d[1], 2.0f);
  EXPECT_EQ(fit.sse, 0.0f);
  EXPECT_EQ(fit.dfe, 1.0f);
  EXPECT_EQ(fit.dfpe, kUntouched);
  EXPECT_EQ(fit.sspe, kUntouched);
  EXPECT_EQ(fit.iwork, (std::vector<int>{1, 1, 1}));
  for (double x : {1.0, 2.0, 3.0, 7.5}) EXPECT_EQ(fitted_value(fit, x), x);  // 2 + 0.5 t = x
  EXPECT_EQ(fit.console,
            "\r\n*** WARNING  ERROR 11 from R3ORP.  The degree 1 polynomial fit is a perfect"
            "\r\n***          fit within machine precision."
            "\r\n"
            "\r\n*** WARNING  ERROR 6 from R3ORP.  Although a degree 2 fit was requested, a"
            "\r\n***          degree 1 polynomial is fitted because the degree 1 polynomial "
            "\r\n***          fit is a perfect fit within machine precision.");
  EXPECT_FALSE(fit.stopped);
  EXPECT_EQ(fit.type, 3);
  EXPECT_EQ(fit.code, 6);
}

TEST(R3orp, PureErrorExample) {
  const Fit fit = generate(unit_weights({1, 1, 2, 3}, {1, 3, 2, 3}), 2, 0, 0.0f, 1);
  EXPECT_EQ(fit.iwork, (std::vector<int>{2, 1, 1, 0}));  // NDIST = 3
  EXPECT_EQ(fit.sspe, 2.0f);  // (1 - 2)^2 + (3 - 2)^2 at x = 1
  EXPECT_EQ(fit.dfpe, 1.0f);  // 4 rows - 3 distinct abscissas
  EXPECT_FALSE(fit.stopped);
}

TEST(R3orp, ConstantAbscissasAreFatalAndWriteNothing) {
  const std::string message =
      "\r\n*** FATAL    ERROR 7 from R3ORP.  Each value of the independent variable is"
      "\r\n***          the same.  The independent variable, X(*,IND), cannot be "
      "\r\n***          constant.";
  const Data cases[] = {unit_weights({2, 2, 2}, {1, 2, 3}), unit_weights({5}, {1})};
  for (const Data& data : cases) {
    const Fit fit = generate(data, 2, 0, 0.0f, 1);
    EXPECT_EQ(fit.console, message + kStop);
    EXPECT_TRUE(fit.stopped);
    expect_nothing_written(fit);
    EXPECT_EQ(fit.xs, data.x);
  }
}

TEST(R3orp, TwoDistinctAbscissasLimitTheDegreeToOne) {
  const std::string limited =
      "\r\n*** WARNING  ERROR 5 from R3ORP.  A degree 1 polynomial is fitted.  There"
      "\r\n***          are only 2 distinct abscissas, so a higher degree polynomial "
      "\r\n***          fit cannot be computed.";
  // Replicated abscissas: the line through the group means (1.5, 4), not exact.
  const Fit replicated = generate(unit_weights({1, 1, 2, 2}, {1, 2, 3, 5}), 3);
  EXPECT_EQ(replicated.ndeg, 1);
  EXPECT_EQ(replicated.console, limited);
  EXPECT_EQ(replicated.type, 3);
  EXPECT_EQ(replicated.code, 5);
  EXPECT_NEAR(fitted_value(replicated, 1.0), 1.5, 1e-6);
  EXPECT_NEAR(fitted_value(replicated, 2.0), 4.0, 1e-6);
  EXPECT_NEAR(replicated.sse, 0.5 + 2.0, 1e-6);
  EXPECT_EQ(replicated.dfe, 2.0f);
  // One row per abscissa: the line is exact, and the perfect-fit warning comes first.
  const Fit exact = generate(unit_weights({1, 2}, {1, 5}), 2);
  EXPECT_EQ(exact.ndeg, 1);
  EXPECT_EQ(exact.console,
            "\r\n*** WARNING  ERROR 11 from R3ORP.  The degree 1 polynomial fit is a perfect"
            "\r\n***          fit within machine precision."
            "\r\n" +
                limited);
  EXPECT_EQ(exact.type, 3);
  EXPECT_EQ(exact.code, 5);
  EXPECT_EQ(exact.sse, 0.0f);
  EXPECT_EQ(exact.dfe, 0.0f);
}

TEST(R3orp, ConstantResponsesFitDegreeZero) {
  const std::string messages =
      "\r\n*** WARNING  ERROR 11 from R3ORP.  The degree 0 polynomial fit is a perfect"
      "\r\n***          fit within machine precision."
      "\r\n"
      "\r\n*** WARNING  ERROR 4 from R3ORP.  The response variable, X(*,IRSP), is"
      "\r\n***          constant.  A zero degree polynomial is fit.";
  Data data{{1, 2, 2, 4, 5}, {7, 7, 7, 7, 7}, {1, 2, 0.5f, 1, 3}, {1, 2, 1, 1, 3}};
  for (int lof : {0, 1}) {
    SCOPED_TRACE(lof);
    const Fit fit = generate(data, 3, 0, 0.0f, lof);
    EXPECT_EQ(fit.ndeg, 0);
    EXPECT_EQ(fit.ocoef, (std::vector<float>{7, 0, 0, 0}));  // the weighted mean
    EXPECT_EQ(fit.d[0], 7.5f);                                 // the total weight
    EXPECT_EQ(fit.sse, 0.0f);
    EXPECT_EQ(fit.dfe, 7.0f);  // 8 (sum of frequencies) - 0 - 1
    EXPECT_EQ(fit.reca[0], kUntouched);
    if (lof == 1) {
      EXPECT_EQ(fit.sspe, 0.0f);
      EXPECT_EQ(fit.dfpe, 4.0f);  // 8 - 4 distinct abscissas
    }
    EXPECT_EQ(fit.console, messages);
    EXPECT_EQ(fit.type, 3);
    EXPECT_EQ(fit.code, 4);
  }
}

TEST(R3orp, DataOnALowerDegreePolynomialStopsThere) {
  // y = x^2 - 3x + 1 on six abscissas, degree 4 requested.
  const std::vector<float> x = {-2, -1, 0, 1, 2, 3};
  std::vector<float> y;
  for (float v : x) y.push_back(v * v - 3 * v + 1);
  const Fit fit = generate(unit_weights(x, y), 4);
  EXPECT_EQ(fit.ndeg, 2);
  EXPECT_EQ(fit.ocoef[3], 0.0f);
  EXPECT_EQ(fit.ocoef[4], 0.0f);
  for (size_t i = 0; i < x.size(); ++i) EXPECT_NEAR(fitted_value(fit, x[i]), y[i], 1e-5);
  EXPECT_EQ(fit.console,
            "\r\n*** WARNING  ERROR 11 from R3ORP.  The degree 2 polynomial fit is a perfect"
            "\r\n***          fit within machine precision."
            "\r\n"
            "\r\n*** WARNING  ERROR 6 from R3ORP.  Although a degree 4 fit was requested, a"
            "\r\n***          degree 2 polynomial is fitted because the degree 2 polynomial "
            "\r\n***          fit is a perfect fit within machine precision.");
  EXPECT_EQ(fit.type, 3);
  EXPECT_EQ(fit.code, 6);
}

TEST(R3orp, MaxdegZeroGivesTheWeightedMean) {
  const Data data{{1, 2, 3, 5}, {2, 4, 4, 7}, {1, 2, 1, 1}, {1, 1, 1, 1}};
  const Fit fit = generate(data, 0);
  EXPECT_EQ(fit.ndeg, 0);
  EXPECT_EQ(fit.ocoef[0], float(21.0 / 5.0));  // sum w y = 21, sum w = 5
  EXPECT_EQ(fit.d[0], 5.0f);
  EXPECT_EQ(fit.reca[0], kUntouched);
  EXPECT_EQ(fit.recb[0], kUntouched);
  EXPECT_NEAR(fit.sse, 101.0 - 21.0 * 21.0 / 5.0, 1e-5);
  EXPECT_EQ(fit.dfe, 3.0f);
  EXPECT_EQ(fit.console, "");
  EXPECT_EQ(fit.type, 0);
  EXPECT_EQ(fit.code, 0);
}

TEST(R3orp, CriterionHundredPercentChoosesAsTheFullFit) {
  const Data data =
      unit_weights({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {3.1f, 4.9f, 7.2f, 8.8f, 11.3f, 12.9f, 15.2f, 16.7f, 19.4f, 21.0f});
  const Fit full = generate(data, 4, 0);
  const Fit rsquared = generate(data, 4, 1, 100.0f);
  const Fit lof_without_replicates = generate(data, 4, 2, 100.0f, 1);
  fit_testing::expect_same_fit(rsquared, full);
  fit_testing::expect_same_fit(lof_without_replicates, full);
  EXPECT_EQ(full.ndeg, 4);
  EXPECT_EQ(lof_without_replicates.dfpe, 0.0f);  // one row per abscissa
  EXPECT_EQ(lof_without_replicates.sspe, 0.0f);
}

TEST(R3orp, LackOfFitCriterionStopsAtTheFirstAdequateDegree) {
  const std::vector<float> x = {1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6};
  struct Case {
    const char* what;
    int degree;  // of the polynomial that the group means lie on
  };
  for (const Case& c : {Case{"line", 1}, Case{"parabola", 2}}) {
    SCOPED_TRACE(c.what);
    std::vector<float> y;
    for (size_t i = 0; i < x.size(); ++i) {
      const float mean = c.degree == 1 ? 2 * x[i] + 1 : x[i] * x[i];
      y.push_back(mean + (i % 2 == 0 ? 0.5f : -0.5f));
    }
    const Fit fit = generate(unit_weights(x, y), 4, 2, 5.0f, 1);
    EXPECT_EQ(fit.ndeg, c.degree);
    EXPECT_EQ(fit.sspe, 3.0f);  // six groups, each 2 * 0.5^2
    EXPECT_EQ(fit.dfpe, 6.0f);
    EXPECT_FALSE(fit.stopped);
  }
}

TEST(R3orp, ScaledAbscissasSpanMinusTwoToTwo) {
  const Data data = unit_weights({-3.7f, -1.2f, 0.4f, 0.4f, 2.9f, 8.15f}, {1, 2, 1, 3, 2, 5});
  const Fit fit = generate(data, 3);
  EXPECT_NEAR(fit.xs.front(), -2.0f, 4 * 2.0f * 1.2e-7f);
  EXPECT_NEAR(fit.xs.back(), 2.0f, 4 * 2.0f * 1.2e-7f);
  for (size_t i = 0; i < data.x.size(); ++i)
    EXPECT_NEAR(fit.xs[i], double(fit.xscale) * data.x[i] + double(fit.xshift), 1e-6);
}

TEST(R3orp, ZeroWeightDataIsRejectedBeforeAnyDivision) {
  struct Case {
    const char* what;
    Data data;
    int lof;
    std::string console;
  };
  const Case cases[] = {
      {"total weight zero", Data{{1, 2, 3}, {1, 2, 4}, {0, 0, 0}, {0, 1, 1}}, 0,
       "\r\n*** FATAL    ERROR 8 from R3ORP.  The product of frequency and weight is"
       "\r\n***          zero in every row.  At least one row of X must have a positive "
       "\r\n***          frequency and a positive weight."},
      {"an abscissa without weight, pure error requested",
       Data{{1, 2, 2, 3}, {1, 2, 3, 4}, {1, 0, 0, 1}, {1, 1, 1, 1}}, 1,
       "\r\n*** FATAL    ERROR 9 from R3ORP.  The product of frequency and weight is"
       "\r\n***          zero in every row with X(*,IND) = 2.000000E+00.  The pure error "
       "\r\n***          for the lack of fit test, LOF = 1, cannot be computed."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Fit fit = generate(c.data, 1, 0, 0.0f, c.lof);
    EXPECT_EQ(fit.console, c.console + kStop);
    EXPECT_TRUE(fit.stopped);
    expect_nothing_written(fit);
  }
}

TEST(R3orp, AnAbscissaWithoutWeightIsAcceptedWithoutPureError) {
  const Fit fit = generate(Data{{1, 2, 2, 3}, {1, 9, 9, 3}, {1, 0, 0, 1}, {1, 0, 0, 1}}, 1);
  EXPECT_FALSE(fit.stopped);
  EXPECT_EQ(fit.ndeg, 1);
  EXPECT_NEAR(fitted_value(fit, 1.0), 1.0, 1e-6);  // the line through the weighted rows
  EXPECT_NEAR(fitted_value(fit, 3.0), 3.0, 1e-6);
}

TEST(R3orp, FittedPolynomialAgreesWithDoublePrecisionLeastSquares) {
  // The float fit carries relative errors of a few float epsilons (1.2e-7) per step, grown by
  // the recurrence over at most five degrees and the sums over 60 rows: 16 epsilons of the
  // data's scale (2e-6) is single-precision agreement; a wrong recurrence coefficient or
  // summation term moves the fitted values by far more.
  constexpr double kRelativeTolerance = 2e-6;
  std::mt19937 gen(4242);
  std::uniform_real_distribution<float> xdist(-20.0f, 35.0f);
  std::normal_distribution<float> noise(0.0f, 3.0f);
  for (int degree = 0; degree <= 5; ++degree) {
    for (int rep = 0; rep < 5; ++rep) {
      SCOPED_TRACE(::testing::Message() << "degree " << degree << ", rep " << rep);
      const int n = 60;
      std::vector<float> x(n), y(n);
      for (float& v : x) v = xdist(gen);
      std::sort(x.begin(), x.end());  // R3ORP takes the rows sorted by abscissa
      for (int i = 0; i < n; ++i) {
        const double u = x[i] / 10.0;
        y[i] = float(5 - 2 * u + 0.7 * u * u - 0.3 * u * u * u + 0.05 * std::pow(u, 4) +
                     0.01 * std::pow(u, 5)) +
               noise(gen);
      }
      const Fit fit = generate(unit_weights(x, y), degree);
      ASSERT_EQ(fit.ndeg, degree);
      // Independent least squares in double (support_lib/least_squares.h) in u = (x - c) / h,
      // x scaled to [-1, 1].
      const auto [lo, hi] = std::minmax_element(x.begin(), x.end());
      const std::vector<double> expected =
          testing::polynomial_least_squares({x.begin(), x.end()}, {y.begin(), y.end()}, degree,
                                            (double(*lo) + *hi) / 2.0, (double(*hi) - *lo) / 2.0)
              .fitted;
      double scale = 0;
      for (float v : y) scale = std::max(scale, std::fabs(double(v)));
      for (int i = 0; i < n; ++i)
        EXPECT_NEAR(fitted_value(fit, x[i]), expected[i], kRelativeTolerance * scale) << "row " << i;
    }
  }
}

}  // namespace
}  // namespace polylsq
