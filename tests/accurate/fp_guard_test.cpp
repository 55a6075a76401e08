// The accurate fit under a hostile caller's floating-point environment: with the traps on
// (as the legacy run leaves them), on data that make infinities and NaNs inside, it runs
// to its result or error and hands the environment back unchanged, flags included; under
// a directed rounding mode it computes the same bits as under round to nearest.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <functional>
#include <vector>

#include "accurate/prediction.h"
#include "tests/accurate/hard_families.h"

namespace polylsq::accurate {
namespace {

using V = std::vector<double>;
constexpr int kTraps = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;

// Without the guard the calls below would end the process like this (SIGFPE, or the
// sanitizers' report of it).
TEST(FloatingPointGuard, TrapsOnThisMachineEndTheProcess) {
  EXPECT_DEATH(
      {
        feenableexcept(kTraps);
        volatile double infinity = INFINITY;
        volatile double nan = infinity - infinity;
        (void)nan;
        std::_Exit(0);
      },
      "");
}

TEST(FloatingPointGuard, EnabledTrapsSurviveEveryEntryPointAndComeBack) {
  const testing::DataSet exact = testing::wampler1();
  const auto line = fit_polynomial(V{0, 1, 2, 3}, V{1, 3, 2, 5}, {}, 1);
  ASSERT_TRUE(line.has_value());
  const std::function<void()> calls[] = {
      [&] { EXPECT_TRUE(fit_polynomial(exact.x, exact.y, {}, 5).has_value()); },
      [&] { EXPECT_TRUE(fit_polynomial(exact.x, V(21, 4.0), {}, 3).has_value()); },
      [] { EXPECT_FALSE(fit_polynomial(V{1, INFINITY}, V{1, 2}, {}, 1).has_value()); },
      [] { EXPECT_FALSE(fit_polynomial(V{1, 2}, V{1, 2}, V{1, -INFINITY}, 1).has_value()); },
      [] { EXPECT_FALSE(fit_polynomial(V{0, 1, 2}, V{1e300, -1e300, 1e300}, {}, 1).has_value()); },
      [] { EXPECT_FALSE(fit_polynomial(V{0, 0x1p-1000, 0x1p-999}, V{0, 1, 4}, {}, 2).has_value()); },
      [&] { EXPECT_FALSE(predict(*line, 1.7e308).has_value()); },
      [&] { EXPECT_TRUE(std::isinf(evaluate(*line, 1.7e308))); },
  };
  for (const auto& call : calls) {
    std::feclearexcept(FE_ALL_EXCEPT);
    feenableexcept(kTraps);
    call();
    const int enabled = fegetexcept();
    const int raised = std::fetestexcept(FE_ALL_EXCEPT);
    fedisableexcept(FE_ALL_EXCEPT);
    EXPECT_EQ(enabled, kTraps);
    EXPECT_EQ(raised, 0);
  }
}

TEST(FloatingPointGuard, DirectedRoundingGivesTheBitsOfRoundToNearest) {
  const V x{0.1, 1.3, 2.2, 3.7, 4.1, 5.9, 6.6}, y{1.1, 2.9, 3.3, 8.7, 9.2, 17.5, 20.1};
  const auto nearest = fit_polynomial(x, y, {}, 3);
  for (const int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    std::fesetround(mode);
    const auto directed = fit_polynomial(x, y, {}, 3);
    const int mode_after = std::fegetround();
    std::fesetround(FE_TONEAREST);
    EXPECT_EQ(mode_after, mode);
    ASSERT_TRUE(nearest.has_value() && directed.has_value());
    EXPECT_EQ(directed->coefficients, nearest->coefficients);
    EXPECT_EQ(directed->standard_errors, nearest->standard_errors);
    EXPECT_EQ(directed->residual_sd, nearest->residual_sd);
  }
}

}  // namespace
}  // namespace polylsq::accurate
