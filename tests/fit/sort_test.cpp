// SVRGP: ascending order, the companion vector carried along, the exact moves on ties, the
// length error, and a vector long enough to need more pending segments than the 21 of the
// published routine.
#include "fit/sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

#include "support_lib/aliases.h"

namespace polylsq {
namespace {

// Sorts ra with IPERM = 1..n and checks order, values and the permutation.
void expect_sorted_with_permutation(const std::vector<float>& ra) {
  const int n = static_cast<int>(ra.size());
  std::vector<float> rb(ra.size(), -1.0f);
  std::vector<int> iperm(ra.size());
  std::iota(iperm.begin(), iperm.end(), 1);
  auto r = run_captured([&] { SVRGP(n, ra.data(), rb.data(), iperm.data()); });
  EXPECT_EQ(r.console, "");
  EXPECT_FALSE(r.stopped);
  std::vector<float> expected = ra;
  std::sort(expected.begin(), expected.end());
  ASSERT_EQ(rb, expected) << "n = " << n;
  std::vector<int> seen(ra.size(), 0);
  for (int k = 0; k < n; ++k) {
    ASSERT_GE(iperm[k], 1);
    ASSERT_LE(iperm[k], n);
    ++seen[iperm[k] - 1];
    ASSERT_EQ(rb[k], ra[iperm[k] - 1]) << "IPERM(" << k + 1 << ") does not point at its value";
  }
  EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](int c) { return c == 1; }));
}

TEST(Svrgp, SingleValueIsCopiedAndNothingMoves) {
  const float ra[1] = {3.5f};
  float rb[1] = {0.0f};
  int iperm[1] = {42};
  auto r = run_captured([&] { SVRGP(1, ra, rb, iperm); });
  EXPECT_EQ(rb[0], 3.5f);
  EXPECT_EQ(iperm[0], 42);
  EXPECT_EQ(r.console, "");
  EXPECT_FALSE(r.stopped);
}

TEST(Svrgp, NonPositiveLengthIsTerminalAndSortsNothing) {
  struct Case {
    int n;
    const char* third_line;
  };
  const Case cases[] = {{0, "***          is given as 0."}, {-3, "***          is given as -3."}};
  for (const Case& c : cases) {
    const float ra[2] = {2.0f, 1.0f};
    float rb[2] = {7.0f, 8.0f};
    int iperm[2] = {1, 2};
    auto r = run_captured([&] { SVRGP(c.n, ra, rb, iperm); });
    EXPECT_EQ(r.console,
              std::string("\r\n*** TERMINAL ERROR 1 from SVRGP.  The length of vectors RA, RB and IPERM"
                          "\r\n***          must be greater than or equal to one.  On input the length, N, "
                          "\r\n") +
                  c.third_line + "\r\nStop - Program terminated.\r\n")
        << "N = " << c.n;
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(rb[0], 7.0f);
    EXPECT_EQ(rb[1], 8.0f);
    EXPECT_EQ(iperm[0], 1);
    EXPECT_EQ(iperm[1], 2);
  }
}

TEST(Svrgp, AllEqualValuesNeverMove) {
  for (int n : {2, 3, 11, 12, 13, 50, 257}) {
    std::vector<float> ra(n, 1.25f);
    std::vector<float> rb(n, 0.0f);
    std::vector<int> iperm(n);
    std::iota(iperm.begin(), iperm.end(), 1);
    run_captured([&] { SVRGP(n, ra.data(), rb.data(), iperm.data()); });
    EXPECT_EQ(rb, ra);
    for (int k = 0; k < n; ++k) ASSERT_EQ(iperm[k], k + 1) << "n = " << n;
  }
}

// Traced by hand: pivot fraction 0.4140625 picks RB(2); the median of three exchanges
// (1,2) then (4,2); the scan meets equal values at K = L = 2 and leaves them; the part 3..4 is
// pushed and later finished by insertion, which moves nothing.
TEST(Svrgp, TiesEndWhereThePartitionPutsThem) {
  const float ra[4] = {2.0f, 1.0f, 2.0f, 1.0f};
  float rb[4];
  int iperm[4] = {1, 2, 3, 4};
  run_captured([&] { SVRGP(4, ra, rb, iperm); });
  const float sorted[4] = {1.0f, 1.0f, 2.0f, 2.0f};
  const int moved[4] = {2, 4, 3, 1};  // a stable sort would give 2, 4, 1, 3
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(rb[k], sorted[k]);
    EXPECT_EQ(iperm[k], moved[k]) << "k = " << k + 1;
  }
}

TEST(Svrgp, SortsInPlaceWhenRbIsRa) {
  std::vector<float> v = {5.0f, -1.0f, 3.0f, 3.0f, 0.0f, -7.5f, 2.0f, 9.0f, 1.0f, 4.0f,
                          6.0f, -2.0f, 8.0f, 0.5f, 3.0f, 11.0f, -4.0f};
  const std::vector<float> original = v;
  std::vector<int> iperm(v.size());
  std::iota(iperm.begin(), iperm.end(), 1);
  run_captured([&] { SVRGP(static_cast<int>(v.size()), v.data(), v.data(), iperm.data()); });
  std::vector<float> expected = original;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(v, expected);
  for (size_t k = 0; k < v.size(); ++k) EXPECT_EQ(v[k], original[iperm[k] - 1]);
}

TEST(Svrgp, RandomVectorsMatchStdSort) {
  std::mt19937 gen(20261207);
  std::uniform_real_distribution<float> wide(-1.0e6f, 1.0e6f);
  std::uniform_int_distribution<int> few(0, 4);  // many ties
  for (int n : {2, 3, 5, 11, 12, 13, 14, 23, 24, 100, 1000, 10007}) {
    for (int rep = 0; rep < 4; ++rep) {
      std::vector<float> ra(n);
      for (float& x : ra) x = rep % 2 == 0 ? wide(gen) : float(few(gen));
      expect_sorted_with_permutation(ra);
    }
  }
}

TEST(Svrgp, SortedReversedAndOrganPipeInputs) {
  const int n = 5000;
  std::vector<float> up(n), down(n), pipe(n);
  for (int k = 0; k < n; ++k) {
    up[k] = float(k);
    down[k] = float(n - k);
    pipe[k] = float(std::min(k, n - 1 - k));
  }
  expect_sorted_with_permutation(up);
  expect_sorted_with_permutation(down);
  expect_sorted_with_permutation(pipe);
}

// Builds values 0 .. n-1 arranged so that every partition of the leftmost segment, while it
// holds 12 or more values, puts exactly the lower half to the left: the pivot fraction stays
// at 0.4140625 there, and the median of the segment is placed at the pivot position, with the
// value that the scan exchanges with it placed at the middle. The upper half is pushed each
// time, so the pending stack grows by one per level. Returns the number of such levels.
int build_halving_chain(int n, std::vector<float>& values) {
  std::vector<int> sizes;
  for (int s = n; s >= 12; s /= 2) sizes.push_back(s);
  const int base = sizes.empty() ? n : sizes.back() / 2;
  std::vector<int> a(base);
  std::iota(a.begin(), a.end(), 0);
  std::mt19937 gen(7);
  for (auto it = sizes.rbegin(); it != sizes.rend(); ++it) {
    const int s = *it;
    const int h = s / 2;                                 // values 0 .. h-1 go left
    const int ij = static_cast<int>(double(s - 1) * 0.4140625);  // 0-based pivot position
    a.resize(s);
    a[h] = a[ij];
    a[ij] = h;                                          // the median, at the pivot position
    std::iota(a.begin() + h + 1, a.end(), h + 1);
    std::shuffle(a.begin() + h + 1, a.end(), gen);      // the pushed half, in any order
  }
  values.assign(a.begin(), a.end());
  return static_cast<int>(sizes.size());
}

TEST(Svrgp, LongInputNeedingMoreThanTwentyOnePendingSegmentsIsSorted) {
  const int n = 1 << 23;
  std::vector<float> ra;
  const int levels = build_halving_chain(n, ra);
  // 20 halving levels, then the leftmost 8 values split twice more: 22 pending segments.
  ASSERT_EQ(levels, 20);
  std::vector<float> rb(n);
  std::vector<int> iperm(n);
  std::iota(iperm.begin(), iperm.end(), 1);
  auto r = run_captured([&] { SVRGP(n, ra.data(), rb.data(), iperm.data()); });
  EXPECT_EQ(r.console, "");
  for (int k = 0; k < n; ++k) {
    ASSERT_EQ(rb[k], float(k));
    ASSERT_EQ(ra[iperm[k] - 1], float(k));
  }
}

}  // namespace
}  // namespace polylsq
