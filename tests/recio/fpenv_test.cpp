// The floating-point environment: each trapped exception and each math-library error
// ends the run with its MATH report and exit status 1; the ordered comparisons trap on
// a NaN operand and compare like the built-in operators otherwise.
#include "recio/fpenv.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

#include "recio/io.h"
#include "support_lib/aliases.h"
#include "support_lib/child_process.h"

namespace polylsq::recio {
namespace {

using polylsq::testing::run_child;

std::string math_report(int number, const std::string& message) {
  return runtime_report('M', number, "MATH", message);
}

// Operands the compiler cannot fold.
volatile double g_zero = 0.0;
volatile double g_one = 1.0;
volatile double g_big = DBL_MAX;
volatile double g_nan = std::numeric_limits<double>::quiet_NaN();
volatile float g_big_float = FLT_MAX;

TEST(FloatingPointTrap, EachKindEndsTheRunWithItsReport) {
  const struct {
    const char* kind;
    int number;
    void (*raise)();
  } cases[] = {
      {"invalid", 6101, [] { g_one = g_zero / g_zero; }},
      {"divide by zero", 6103, [] { g_one = g_one / g_zero; }},
      {"overflow", 6104, [] { g_one = g_big * 2.0; }},
      {"overflow", 6104, [] { g_big_float = static_cast<float>(g_big_float * 2.0); }},
  };
  for (const auto& c : cases) {
    const auto child = run_child([&] {
      write_list(kStarUnit, {"before"});
      c.raise();
      write_list(kStarUnit, {"after"});
    });
    EXPECT_EQ(child.status, 1) << c.kind;
    EXPECT_EQ(child.out, "before\r\n") << c.kind;  // the owed line end, nothing after
    EXPECT_EQ(child.err, math_report(c.number, std::string("floating-point error: ") + c.kind));
  }
}

TEST(FloatingPointTrap, UnderflowAndInexactDoNotTrap) {
  volatile double tiny = DBL_MIN;
  volatile double third = g_one / 3.0;
  tiny = tiny * 1.0e-10;
  EXPECT_GT(tiny, 0.0);
  EXPECT_GT(third, 0.33);
}

TEST(OrderedComparison, ANanOperandEndsTheRunThroughTheInvalidTrap) {
  const struct {
    const char* what;
    bool (*compare)(double, double);
    bool nan_first;
  } cases[] = {
      {"lt", ordered_lt, true}, {"le", ordered_le, false},
      {"gt", ordered_gt, true}, {"ge", ordered_ge, false},
  };
  for (const auto& c : cases) {
    const auto child = run_child([&] {
      const bool result = c.nan_first ? c.compare(g_nan, 1.0) : c.compare(1.0, g_nan);
      write_list(kStarUnit, {result ? "true" : "false"});
    });
    EXPECT_EQ(child.status, 1) << c.what;
    EXPECT_EQ(child.out, "") << c.what;
    EXPECT_EQ(child.err, math_report(6101, "floating-point error: invalid")) << c.what;
  }
}

TEST(OrderedComparison, OrderedOperandsCompareAsUsual) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double a, b;
    bool lt, le, gt, ge;
  } cases[] = {
      {1.0, 2.0, true, true, false, false},  {2.0, 1.0, false, false, true, true},
      {1.0, 1.0, false, true, false, true},  {-0.0, 0.0, false, true, false, true},
      {-inf, inf, true, true, false, false}, {inf, inf, false, true, false, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ordered_lt(c.a, c.b), c.lt) << c.a << " " << c.b;
    EXPECT_EQ(ordered_le(c.a, c.b), c.le) << c.a << " " << c.b;
    EXPECT_EQ(ordered_gt(c.a, c.b), c.gt) << c.a << " " << c.b;
    EXPECT_EQ(ordered_ge(c.a, c.b), c.ge) << c.a << " " << c.b;
  }
}

TEST(MathLibrary, ArgumentsOutsideTheDomainAreReported) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double (*function)(double);
    double x;
    int number;
    const char* message;
  } cases[] = {
      {rt_log, 0.0, 6202, "log: SING error"},
      {rt_log, -0.0, 6202, "log: SING error"},
      {rt_log, -1.0, 6201, "log: DOMAIN error"},
      {rt_log, -inf, 6201, "log: DOMAIN error"},
      {rt_exp, 710.0, 6203, "exp: OVERFLOW error"},
      {rt_sqrt, -1.0e-300, 6201, "sqrt: DOMAIN error"},
      {rt_sin, inf, 6201, "sin: DOMAIN error"},
      {rt_sin, -inf, 6201, "sin: DOMAIN error"},
      {rt_asin, 1.0000001, 6201, "asin: DOMAIN error"},
      {rt_asin, -2.0, 6201, "asin: DOMAIN error"},
  };
  for (const auto& c : cases) {
    const auto run = run_captured_runtime([&] { c.function(c.x); });
    EXPECT_EQ(run.failure, math_report(c.number, c.message)) << c.message << " " << c.x;
  }
}

TEST(MathLibrary, ArgumentsInsideTheDomainGiveTheLibraryValues) {
  const double inf = std::numeric_limits<double>::infinity();
  const double largest_exp_argument = std::log(DBL_MAX);
  EXPECT_EQ(rt_log(2.0), std::log(2.0));
  EXPECT_EQ(rt_log(inf), inf);
  EXPECT_EQ(rt_exp(-1000.0), 0.0);  // underflow is masked
  EXPECT_EQ(rt_exp(1.5), std::exp(1.5));
  EXPECT_TRUE(std::isfinite(rt_exp(largest_exp_argument)));
  EXPECT_EQ(rt_sqrt(2.0), std::sqrt(2.0));
  EXPECT_EQ(rt_sqrt(-0.0), 0.0);
  EXPECT_EQ(rt_sin(1.0), std::sin(1.0));
  EXPECT_EQ(rt_atan(inf), std::atan(inf));
  EXPECT_EQ(rt_asin(-1.0), std::asin(-1.0));
  EXPECT_TRUE(std::isnan(rt_log(g_nan)));  // a quiet NaN passes without a report
  EXPECT_TRUE(std::isnan(rt_sqrt(g_nan)));
}

TEST(MathLibrary, ADomainErrorEndsARealRunWithStatusOne) {
  const auto child = run_child([] {
    write_list(kStarUnit, {"x"});
    rt_sqrt(-4.0);
  });
  EXPECT_EQ(child.status, 1);
  EXPECT_EQ(child.out, "x\r\n");
  EXPECT_EQ(child.err, math_report(6201, "sqrt: DOMAIN error"));
}

}  // namespace
}  // namespace polylsq::recio
