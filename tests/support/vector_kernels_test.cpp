// The vector kernels: which elements they touch, where their sums are rounded to float
// (data chosen so that each other rounding point gives a different float), the guarded
// division case by case, and the index searches. The test binary runs with the
// floating-point traps on, so a kernel that traps on a degenerate quotient fails here.
#include "support/vector_kernels.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

#include "support/machine.h"

namespace polylsq {
namespace {

// 2^24: above it floats are spaced by 2, so adding 1 to a float sum is lost (a tie that
// rounds to even) while a double sum keeps it.
constexpr float kBig = 16777216.0f;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

std::uint32_t bits_of(float x) { return std::bit_cast<std::uint32_t>(x); }

// A sum kernel's input with unit increments and the float it must give.
struct SumCase {
  const char* what;
  std::vector<float> x;
  float expected;
};

// `kernel(n, x, ones)` for each case, with a vector of ones of the same length.
void expect_sums(std::initializer_list<SumCase> cases,
                 const std::function<float(int, const float*, const float*)>& kernel) {
  for (const SumCase& c : cases) {
    const std::vector<float> ones(c.x.size(), 1.0f);
    EXPECT_EQ(kernel(static_cast<int>(c.x.size()), c.x.data(), ones.data()), c.expected) << c.what;
  }
}

// ---- VEC_SET, VEC_COPY, IVEC_SET ----

TEST(VecSet, UnitIncrementSetsAllElements) {
  std::vector<float> x(14, -1.0f);
  VEC_SET(13, 2.5f, x.data(), 1);
  for (int i = 0; i < 13; ++i) EXPECT_EQ(x[i], 2.5f) << i;
  EXPECT_EQ(x[13], -1.0f);
}

TEST(VecSet, StrideTwoSetsPositionsOneThreeFive) {
  std::vector<float> x(6, -1.0f);
  VEC_SET(3, 7.0f, x.data(), 2);
  EXPECT_EQ(x, (std::vector<float>{7.0f, -1.0f, 7.0f, -1.0f, 7.0f, -1.0f}));
}

TEST(VecSet, NonPositiveCountOrIncrementWritesNothing) {
  std::vector<float> x(4, -1.0f);
  VEC_SET(0, 1.0f, x.data(), 1);
  VEC_SET(-3, 1.0f, x.data(), 1);
  VEC_SET(3, 1.0f, x.data(), 0);
  VEC_SET(3, 1.0f, x.data(), -1);
  EXPECT_EQ(x, std::vector<float>(4, -1.0f));
}

TEST(IvecSet, SetsTheCountedPositions) {
  std::vector<int> unit(10, -1);
  IVEC_SET(9, 4, unit.data(), 1);
  EXPECT_EQ(unit, (std::vector<int>{4, 4, 4, 4, 4, 4, 4, 4, 4, -1}));
  std::vector<int> strided(7, -1);
  IVEC_SET(3, 4, strided.data(), 3);
  EXPECT_EQ(strided, (std::vector<int>{4, -1, -1, 4, -1, -1, 4}));
  std::vector<int> untouched(3, -1);
  IVEC_SET(0, 4, untouched.data(), 1);
  IVEC_SET(-2, 4, untouched.data(), 1);
  EXPECT_EQ(untouched, std::vector<int>(3, -1));
}

TEST(VecCopy, CopiesWithUnitAndOtherIncrements) {
  struct Case {
    const char* what;
    int n, incx, incy;
    std::vector<float> expected_y;
  };
  const std::vector<float> x = {1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f, 8.0f};
  const Case cases[] = {
      {"unit", 8, 1, 1, {1, 2, 3, 4, 5, 6, 7, 8}},
      {"reversed source", 3, -1, 1, {3, 2, 1, 0, 0, 0, 0, 0}},
      {"reversed target", 3, 1, -1, {3, 2, 1, 0, 0, 0, 0, 0}},
      {"strided source", 3, 2, 1, {1, 3, 5, 0, 0, 0, 0, 0}},
      {"strided target", 3, 1, 3, {1, 0, 0, 2, 0, 0, 3, 0}},
      {"zero source increment", 3, 0, 1, {1, 1, 1, 0, 0, 0, 0, 0}},
      {"zero count", 0, 1, 1, {0, 0, 0, 0, 0, 0, 0, 0}},
      {"negative count", -2, 1, 1, {0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    std::vector<float> y(8, 0.0f);
    VEC_COPY(c.n, x.data(), c.incx, y.data(), c.incy);
    EXPECT_EQ(y, c.expected_y) << c.what;
  }
}

TEST(VecCopy, CopyOntoItselfLeavesTheVectorUnchanged) {
  std::vector<float> x = {1.5f, -2.0f, 3.25f, 0.0f, 9.0f, 8.0f, 7.0f, 6.0f, 5.0f};
  const std::vector<float> before = x;
  VEC_COPY(9, x.data(), 1, x.data(), 1);
  EXPECT_EQ(x, before);
}

TEST(VecCopy, OverlappingUnitCopyGoesInAscendingOrder) {
  // One element at a time from the front: copying onto the next position smears x(1).
  std::vector<float> x = {1.0f, 2.0f, 3.0f, 4.0f};
  VEC_COPY(3, x.data(), 1, x.data() + 1, 1);
  EXPECT_EQ(x, (std::vector<float>{1.0f, 1.0f, 1.0f, 1.0f}));
}

// ---- VEC_SUM ----

TEST(VecSum, RoundsTheLeadingElementsOnceThenSumsTheGroupsInDouble) {
  expect_sums({
      // N = 8: leading two give 2^24 + 1, rounded to 2^24; the group adds 1: 2^24 + 1,
      // rounded at the end to 2^24. Summing all in double would give 2^24 + 2.
      {"leading part rounded", {kBig, 1, 1, 0, 0, 0, 0, 0}, kBig},
      // N = 13: leading 0, two groups. Held in double: 2^24 + 2. Rounding after each group
      // would give 2^24.
      {"groups held in double", {0, kBig, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0}, kBig + 2},
      // N = 6: no leading part; a float running sum would lose both ones.
      {"one group", {kBig, 1, 1, 0, 0, 0}, kBig + 2},
      // N = 7: leading 1 alone, then 2^24 and five ones in double: 2^24 + 6.
      {"single leading element", {1, kBig, 1, 1, 1, 1, 1}, kBig + 6},
      {"small", {1, 2, 3}, 6},
      {"empty", {}, 0},
  }, [](int n, const float* x, const float*) { return VEC_SUM(n, x, 1); });
}

TEST(VecSum, StridedPathSumsEveryIncThElementInDouble) {
  const std::vector<float> x = {kBig, 100, 1, 100, 1};
  EXPECT_EQ(VEC_SUM(3, x.data(), 2), kBig + 2);
  EXPECT_EQ(VEC_SUM(2, x.data(), 4), kBig);  // 2^24 + 1 rounds to even: 2^24
  EXPECT_EQ(VEC_SUM(0, x.data(), 2), 0.0f);
  EXPECT_EQ(VEC_SUM(-1, x.data(), 1), 0.0f);
}

// ---- VEC_DOT ----

TEST(VecDot, RoundsAfterEachLeadingProductAndAfterEachGroupOfFive) {
  // y is all ones, so the products are the x values.
  expect_sums({
      // N = 3: all leading; each 1 is lost against the rounded 2^24 (double: 2^24 + 2).
      {"leading products rounded one by one", {kBig, 1, 1}, kBig},
      // N = 5: one group held in double: 2^24 + 2.
      {"one group", {kBig, 1, 1, 0, 0}, kBig + 2},
      // N = 10: each group adds 1 to 2^24, lost at the rounding after the group.
      {"rounded after each group", {kBig, 1, 0, 0, 0, 1, 0, 0, 0, 0}, kBig},
      {"small", {1, 2, 3, 4, 5, 6}, 21},
  }, [](int n, const float* x, const float* ones) { return VEC_DOT(n, x, 1, ones, 1); });
}

TEST(VecDot, GroupProductsAreAddedLeftToRightOntoTheRunningSum) {
  // Leading product 1, then the group 2^53, 1, -2^53, 0, 0 (2^27 * 2^26 = 2^53).
  // Left to right in double: 1 + 2^53 -> 2^53, + 1 -> 2^53, - 2^53 -> 0.
  // Summing the group apart first would keep the leading 1.
  const float p27 = 134217728.0f;
  const float p26 = 67108864.0f;
  const std::vector<float> x = {1, p27, 1, -p27, 0, 0};
  const std::vector<float> y = {1, p26, 1, p26, 0, 0};
  EXPECT_EQ(VEC_DOT(6, x.data(), 1, y.data(), 1), 0.0f);
}

TEST(VecDot, StridedPathRoundsAfterEachProductAndWalksNegativeIncrementsBackwards) {
  const std::vector<float> x = {kBig, 1, 1};
  const std::vector<float> y = {1, 9, 1, 9, 1};
  EXPECT_EQ(VEC_DOT(3, x.data(), 1, y.data(), 2), kBig);
  const std::vector<float> a = {1, 2, 3};
  const std::vector<float> b = {10, 20, 30};
  EXPECT_EQ(VEC_DOT(3, a.data(), -1, b.data(), 1), 3 * 10 + 2 * 20 + 1 * 30);
  EXPECT_EQ(VEC_DOT(3, a.data(), 1, b.data(), -1), 1 * 30 + 2 * 20 + 3 * 10);
  EXPECT_EQ(VEC_DOT(0, a.data(), 1, b.data(), 1), 0.0f);
}

// ---- VEC_DOT3 ----

TEST(VecDot3, RoundsTheLeadingProductsOnceThenHoldsTheGroupsInDouble) {
  expect_sums({
      // N = 5: leading 2^24 and 1 give 2^24 + 1, rounded to 2^24; then + 1 rounds to 2^24.
      {"leading part rounded", {kBig, 1, 1, 0, 0}, kBig},
      // N = 6: two groups held in double to the end: 2^24 + 2.
      {"groups held in double", {kBig, 1, 0, 1, 0, 0}, kBig + 2},
      // N = 4: a single leading product, then one group: 1 + 2^24 + 1 in double.
      {"single leading product", {1, kBig, 1, 0}, kBig + 2},
  }, [](int n, const float* x, const float* ones) { return VEC_DOT3(n, x, 1, ones, 1, ones, 1); });
}

TEST(VecDot3, FormsTripleProductsInDouble) {
  // 3 * 5 * 7 and 2 * 4 * 6 = 105 + 48.
  const std::vector<float> x = {3, 2}, y = {5, 4}, z = {7, 6};
  EXPECT_EQ(VEC_DOT3(2, x.data(), 1, y.data(), 1, z.data(), 1), 153.0f);
  // (2^12 + 1)^2 * 2^-24 needs 26 bits: exact in double, rounded once as a float sum.
  const float a = 4097.0f;
  const float s = 1.0f / kBig;
  const std::vector<float> xa = {a}, ya = {a}, za = {s};
  EXPECT_EQ(VEC_DOT3(1, xa.data(), 1, ya.data(), 1, za.data(), 1), static_cast<float>(4097.0 * 4097.0 / 16777216.0));
}

TEST(VecDot3, StridedPathHoldsTheSumInDoubleAndWalksNegativeIncrementsBackwards) {
  const std::vector<float> x = {kBig, 0, 1, 0, 1};
  const std::vector<float> ones = {1, 1, 1};
  EXPECT_EQ(VEC_DOT3(3, x.data(), 2, ones.data(), 1, ones.data(), 1), kBig + 2);
  const std::vector<float> a = {1, 2, 3}, b = {10, 20, 30}, c = {1, 1, 2};
  // a walked backwards: 3*10*1 + 2*20*1 + 1*30*2.
  EXPECT_EQ(VEC_DOT3(3, a.data(), -1, b.data(), 1, c.data(), 1), 30.0f + 40.0f + 60.0f);
  EXPECT_EQ(VEC_DOT3(-1, a.data(), 1, b.data(), 1, c.data(), 1), 0.0f);
}

// ---- SAFE_DIV ----

TEST(SafeDiv, EveryDegenerateCaseGivesItsValueWithoutTrapping) {
  struct Case {
    const char* what;
    float a, b;
    float expected;  // compared bit for bit unless NaN
  };
  const Case cases[] = {
      {"6/3", 6.0f, 3.0f, 2.0f},
      {"1/0", 1.0f, 0.0f, kInf},
      {"-1/0", -1.0f, 0.0f, -kInf},
      {"1/-0", 1.0f, -0.0f, kInf},
      {"-1/-0", -1.0f, -0.0f, -kInf},
      {"0/0", 0.0f, 0.0f, kNaN},
      {"-0/0", -0.0f, 0.0f, kNaN},
      {"NaN/2", kNaN, 2.0f, kNaN},
      {"2/NaN", 2.0f, kNaN, kNaN},
      {"NaN/0", kNaN, 0.0f, kNaN},
      {"1e-30/1e10 underflows to 0", 1.0e-30f, 1.0e10f, 0.0f},
      {"1e30/1e-10 overflows", 1.0e30f, 1.0e-10f, kInf},
      {"-1e30/1e-10 overflows", -1.0e30f, 1.0e-10f, -kInf},
      {"1e30/-1e-10 overflows", 1.0e30f, -1.0e-10f, -kInf},
      {"1e-30/0.5", 1.0e-30f, 0.5f, 2.0e-30f},
      {"1/3 rounded once", 1.0f, 3.0f, 1.0f / 3.0f},
      {"max/1", std::numeric_limits<float>::max(), 1.0f, kInf},
      {"max/2", std::numeric_limits<float>::max(), 2.0f, std::numeric_limits<float>::max() / 2.0f},
      {"2/inf", 2.0f, kInf, 0.0f},
      {"inf/2", kInf, 2.0f, kInf},
      {"-inf/2", -kInf, 2.0f, -kInf},
      {"inf/0.5", kInf, 0.5f, kInf},
      {"inf/0", kInf, 0.0f, kInf},
      {"inf/inf", kInf, kInf, kNaN},
      {"-inf/inf", -kInf, kInf, kNaN},
      {"0/5", 0.0f, 5.0f, 0.0f},
      {"0/0.5", 0.0f, 0.5f, 0.0f},
  };
  for (const Case& c : cases) {
    float r = -123.0f;
    SAFE_DIV(c.a, c.b, r);
    if (std::isnan(c.expected)) {
      EXPECT_EQ(bits_of(r), 0x7FC00000u) << c.what;  // the library's own NaN
    } else {
      EXPECT_EQ(bits_of(r), bits_of(c.expected)) << c.what;
    }
  }
}

// ---- VEC_MAX_INDEX, VEC_MIN_INDEX ----

TEST(IndexSearch, TiesKeepTheEarliestElementAndResultsCountElements) {
  struct Case {
    const char* what;
    std::vector<float> x;
    int n, inc;
    int max_index, min_index;
  };
  const Case cases[] = {
      {"ties", {5, 7, 7, 2, 2}, 5, 1, 2, 4},
      {"all equal", {3, 3, 3}, 3, 1, 1, 1},
      {"single", {4}, 1, 1, 1, 1},
      {"empty", {4}, 0, 1, 0, 0},
      {"negative count", {4}, -1, 1, 0, 0},
      {"strided counts elements", {1, 99, 3, -99, 3, 0, 0}, 4, 2, 2, 4},
      {"negative values", {-1, -5, -0.5f, -5}, 4, 1, 3, 2},
      {"infinities", {1, kInf, -kInf, kInf, -kInf}, 5, 1, 2, 3},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VEC_MAX_INDEX(c.n, c.x.data(), c.inc), c.max_index) << c.what;
    EXPECT_EQ(VEC_MIN_INDEX(c.n, c.x.data(), c.inc), c.min_index) << c.what;
  }
}

}  // namespace
}  // namespace polylsq
