// Every call of the library under a hostile floating-point environment (rounding upward,
// the invalid, division and overflow traps enabled, the inexact flag raised) on data that
// make NaNs, infinities and overflows inside: the call runs to its result, gives the
// environment back as it was, and its results are the bits of the default environment.
#include <gtest/gtest.h>

#include <bit>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "polylsq/polylsq.hpp"

namespace {

using V = std::vector<double>;
using Bits = std::vector<std::uint64_t>;
constexpr int kTraps = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;

struct Environment {
  int rounding;
  int traps;
  int flags;
};

// Runs `call` under the hostile environment; returns what it left.
Environment under_hostile_environment(const std::function<void()>& call) {
  std::feclearexcept(FE_ALL_EXCEPT);
  std::fesetround(FE_UPWARD);
  std::feraiseexcept(FE_INEXACT);
  feenableexcept(kTraps);
  call();
  const Environment left{std::fegetround(), fegetexcept(), std::fetestexcept(FE_ALL_EXCEPT)};
  fedisableexcept(FE_ALL_EXCEPT);
  std::fesetround(FE_TONEAREST);
  std::feclearexcept(FE_ALL_EXCEPT);
  return left;
}

void add(Bits& bits, double value) { bits.push_back(std::bit_cast<std::uint64_t>(value)); }

// The C calls, each adding the doubles it gives to `bits`.
const V kX{0, 1, 2, 3, 4}, kY{1, 3, 2, 5, 4}, kConstant{7, 7, 7, 7, 7};
const std::function<void(Bits&)> kCalls[] = {
    [](Bits& bits) {  // the figures of an exact fit are NaN
      polylsq_fit_t* fit = polylsq_fit(kX.data(), kConstant.data(), nullptr, 5, 4, nullptr);
      double se[5];
      polylsq_fit_standard_errors(fit, se, 5);
      for (const double s : se) add(bits, s);
      add(bits, polylsq_fit_r_squared(fit));
      polylsq_prediction_t p;
      polylsq_predict(fit, 2.5, 0.95, &p, nullptr);
      add(bits, p.se_fit);
      polylsq_fit_free(fit);
    },
    [](Bits& bits) {
      polylsq_fit_t* fit = polylsq_fit(kX.data(), kY.data(), nullptr, 5, 2, nullptr);
      double values[9];
      polylsq_fit_covariance(fit, values, 9);
      for (const double v : values) add(bits, v);
      polylsq_prediction_t p;
      polylsq_predict(fit, 1.7, 0.95, &p, nullptr);
      add(bits, p.prediction_upper);
      add(bits, polylsq_evaluate(fit, 1e200));  // overflows to infinity
      add(bits, polylsq_evaluate(fit, NAN));
      add(bits, polylsq_predict(fit, 1e300, 0.95, &p, nullptr));  // beyond the doubles
      double lower[3], upper[3];
      polylsq_coefficient_intervals(fit, 0.5, lower, upper, 3, nullptr);
      add(bits, upper[2]);
      polylsq_fit_free(fit);
    },
    [](Bits& bits) {  // failures: a NaN, sums beyond the doubles
      const V nan_y{1, NAN, 3, 4, 5}, huge{1e300, -1e300, 1e300, -1e300, 1e300};
      add(bits, polylsq_fit(kX.data(), nan_y.data(), nullptr, 5, 1, nullptr) == nullptr);
      add(bits, polylsq_fit(kX.data(), huge.data(), nullptr, 5, 1, nullptr) == nullptr);
    },
    [](Bits& bits) {
      polylsq_degree_table_t* table =
          polylsq_degree_table(kX.data(), kY.data(), nullptr, 5, 3, nullptr);
      polylsq_degree_row_t rows[4];
      polylsq_degree_table_rows(table, rows, 4);
      for (const polylsq_degree_row_t& row : rows) add(bits, row.aicc), add(bits, row.loocv_rmse);
      polylsq_degree_table_free(table);
    },
    [](Bits& bits) {  // the C++ layer's reading of NaN as undefined
      const auto fit = polylsq::fit(kX, kConstant, 4);
      add(bits, fit->standard_errors()[0].has_value());
      add(bits, fit->anova().f.has_value());
    },
};

TEST(FloatingPointEnvironment, EveryCallLeavesTheCallersEnvironmentAndComputesAsUnderTheDefault) {
  for (std::size_t i = 0; i < std::size(kCalls); ++i) {
    SCOPED_TRACE(i);
    Bits hostile, plain;
    const Environment left = under_hostile_environment([&] { kCalls[i](hostile); });
    EXPECT_EQ(left.rounding, FE_UPWARD);
    EXPECT_EQ(left.traps, kTraps);
    EXPECT_EQ(left.flags, FE_INEXACT);
    kCalls[i](plain);
    EXPECT_EQ(hostile, plain);
  }
}

}  // namespace
