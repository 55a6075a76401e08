// The data passes: moments of abscissas whose Chebyshev values are exact (T_m(+-1),
// T_m(0), T_m(+-1/2) are 0, +-1/2 or +-1), including a padded last block, a row of weight 0
// with huge values and rows enough for two halves, on one thread and on two; the table pass
// on the same rows against closed forms; and the two builds giving identical bits.
#include "accurate/data_sums.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "accurate/halved_pass.h"

namespace polylsq::accurate {
namespace {

using V = std::vector<double>;

// cos(m acos x) for x in {0, +-1/2, +-1}: the nearest multiple of 1/2.
double chebyshev_closed_form(int m, double x) {
  return std::round(2.0 * std::cos(m * std::acos(x))) / 2.0;
}

TEST(DataSums, MomentsOfExactChebyshevValuesAreExact) {
  const V x{1, -1, 0, 0.5, -0.5}, y{1, 2, 3, 4, 5};
  const int degree = 10;
  struct Case {
    V x, y, w;
  };
  // Enough rows for a pass in two halves, a padded last block, weights 1 and 2.
  Case many;
  for (std::size_t i = 0; i < kHalvedPassRows + 7; ++i) {
    many.x.push_back(x[i % x.size()]);
    many.y.push_back(y[i % y.size()]);
    many.w.push_back(i % 3 == 0 ? 2.0 : 1.0);
  }
  const Case cases[] = {
      {x, y, {}},
      {{1, -1, 0, 0.5, -0.5, 1e300}, {1, 2, 3, 4, 5, 1e300}, {1, 1, 1, 1, 1, 0}},
      {many.x, many.y, {}},
      many,
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.x.size()) + (c.w.empty() ? " rows" : " weighted rows"));
    // every term a multiple of 1/2 and every sum below 2^53: summed exactly in double
    std::vector<double> moment(2 * degree + 1), response(degree + 1);
    double residual = 0, fitted = 0;
    for (std::size_t i = 0; i < c.x.size(); ++i) {
      const double w = c.w.empty() ? 1.0 : c.w[i];
      if (w == 0.0) continue;
      for (int m = 0; m <= 2 * degree; ++m) {
        moment[m] += w * chebyshev_closed_form(m, c.x[i]);
        if (m <= degree) response[m] += w * c.y[i] * chebyshev_closed_form(m, c.x[i]);
      }
      residual += w * (c.y[i] - c.x[i]) * (c.y[i] - c.x[i]);
      fitted += w * c.x[i] * c.x[i];
    }
    for (const Kernel kernel : {Kernel::kFastest, Kernel::kPortable}) {
      for (const PassThreads threads : {PassThreads::kTwo, PassThreads::kOne}) {
        const Observations data{c.x, c.y, c.w};
        const MomentSums sums = sum_moments(data, DataScaling{}, degree, kernel, threads);
        for (int m = 0; m <= 2 * degree; ++m) {
          EXPECT_EQ(sums.chebyshev[m].hi + sums.chebyshev[m].lo, moment[m]) << "m = " << m;
          if (m <= degree) {
            EXPECT_EQ(sums.response[m].hi + sums.response[m].lo, response[m]);
          }
        }
        // f(t) = t, mean 0: residuals y - t, fitted values t.
        const DoubleDouble identity[] = {{0, 0}, {1, 0}};
        const SquareSums squares =
            sum_squares(data, DataScaling{}, identity, {}, kernel, threads);
        EXPECT_EQ(squares.residual.hi + squares.residual.lo, residual);
        EXPECT_EQ(squares.fitted.hi + squares.fitted.lo, fitted);
      }
    }
  }
}

// z = U phi(t) = (1/2, t/2), c = (0, 2), f_1(t) = t: r_1 = y - t, r_0 = r_1 + 2 (t/2) = y,
// h_0 = 1/4, h_1 = (1 + t^2) / 4. Rows at t = +-1 reach h_1 = 1/2 and are left out.
TEST(DataSums, TablePassMatchesClosedFormsAndTheSecondPass) {
  const V x{1, -1, 0, 0.5, -0.5}, y{1, 2, 3, 4, 5};
  const DoubleDouble identity[] = {{0, 0}, {1, 0}};
  const DoubleDouble factor[] = {{0.5, 0}, {0, 0}, {0, 0}, {0.5, 0}};
  const double fourier[] = {0, 2};
  double press_1 = 0, press_0 = 0;
  for (std::size_t i = 2; i < x.size(); ++i) {
    const double complement_1 = 1 - (1 + x[i] * x[i]) / 4;
    press_1 += (y[i] - x[i]) * (y[i] - x[i]) / (complement_1 * complement_1);
    press_0 += y[i] * y[i] / (0.75 * 0.75);
  }
  constexpr double kDoubleRounding = 1e-15;  // a few roundings of terms near 1
  for (const LeveragePrecision precision :
       {LeveragePrecision::kDouble, LeveragePrecision::kDoubleDouble}) {
    for (const Kernel kernel : {Kernel::kFastest, Kernel::kPortable}) {
      const Observations data{x, y, {}};
      const DegreeSquareSums table =
          sum_degree_squares(data, DataScaling{}, identity, {}, factor, fourier, precision, kernel);
      const SquareSums squares = sum_squares(data, DataScaling{}, identity, {}, kernel);
      EXPECT_EQ(table.squares.residual.hi, squares.residual.hi);
      EXPECT_EQ(table.squares.residual.lo, squares.residual.lo);
      EXPECT_EQ(table.squares.fitted.hi, squares.fitted.hi);
      EXPECT_EQ(table.squares.fitted.lo, squares.fitted.lo);
      EXPECT_EQ(table.high_leverage, (std::vector<std::size_t>{0, 1}));
      ASSERT_EQ(table.press.size(), 2u);
      EXPECT_NEAR(table.press[1].hi + table.press[1].lo, press_1, kDoubleRounding * press_1);
      EXPECT_NEAR(table.press[0].hi + table.press[0].lo, press_0, kDoubleRounding * press_0);
    }
  }
}

TEST(DataSums, FusedAndPortableBuildsGiveIdenticalBits) {
  if (!fused_kernel_available()) GTEST_SKIP() << "no AVX2 with fused multiply-add here";
  V x, y, w;
  for (int i = 0; i < 1003; ++i) {
    x.push_back(std::sin(i * 0.7) * 3.3);
    y.push_back(std::cos(i * 1.3) * 1e6 / 3.0);
    w.push_back(1.0 + (i % 5) / 7.0);
  }
  const DataScaling scaling{0.1, 2, 20, 1};
  for (const V& weights : {V{}, w}) {
    const MomentSums fused = sum_moments({x, y, weights}, scaling, 10, Kernel::kFastest);
    const MomentSums portable = sum_moments({x, y, weights}, scaling, 10, Kernel::kPortable);
    for (int m = 0; m <= 20; ++m) {
      EXPECT_EQ(fused.chebyshev[m].hi, portable.chebyshev[m].hi);
      EXPECT_EQ(fused.chebyshev[m].lo, portable.chebyshev[m].lo);
      if (m > 10) continue;
      EXPECT_EQ(fused.response[m].hi, portable.response[m].hi);
      EXPECT_EQ(fused.response[m].lo, portable.response[m].lo);
    }
    // The table pass with a made-up factor and coefficients of degree 10.
    std::vector<DoubleDouble> centred, factor;
    std::vector<double> fourier;
    for (int k = 0; k <= 10; ++k) {
      centred.push_back({0.3 / (k + 1), 1e-18 * k});
      fourier.push_back(0.5 - 0.1 * k);
      for (int j = 0; j <= 10; ++j) {
        factor.push_back({j <= k ? 0.02 / (1 + j + k) : 0.0, 1e-19 * j});
      }
    }
    for (const LeveragePrecision precision :
         {LeveragePrecision::kDouble, LeveragePrecision::kDoubleDouble}) {
      const DegreeSquareSums a = sum_degree_squares({x, y, weights}, scaling, centred, {0.25, 0},
                                                    factor, fourier, precision, Kernel::kFastest);
      const DegreeSquareSums b = sum_degree_squares({x, y, weights}, scaling, centred, {0.25, 0},
                                                    factor, fourier, precision, Kernel::kPortable);
      EXPECT_EQ(a.squares.residual.hi, b.squares.residual.hi);
      EXPECT_EQ(a.squares.residual.lo, b.squares.residual.lo);
      EXPECT_EQ(a.high_leverage, b.high_leverage);
      for (int k = 0; k <= 10; ++k) {
        EXPECT_EQ(a.press[k].hi, b.press[k].hi);
        EXPECT_EQ(a.press[k].lo, b.press[k].lo);
      }
    }
  }
}

}  // namespace
}  // namespace polylsq::accurate
