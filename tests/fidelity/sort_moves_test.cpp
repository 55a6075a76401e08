// SVRGP makes exactly the moves of Singleton's quicksort as designed, whatever shortcut its
// partition takes: the permutation it returns (which decides the order of equal abscissas
// and so the order of every later sum) is compared with a plain step-by-step transcription
// of the design, written here independently, on vectors long enough for any block-wise
// partition to be used, with and without ties.
#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "fit/sort.h"
#include "support_lib/capture.h"

namespace {

// The design transcribed jump for jump, on 1-based copies of the vectors: a new segment
// takes the next pivot ratio, a long one is partitioned, a short one is finished by
// insertion, and pending segments come off the stack.
void reference_sort(std::vector<float>& a, std::vector<int>& p) {
  const int n = static_cast<int>(a.size());
  std::vector<float> rb(static_cast<std::size_t>(n) + 1);
  std::vector<int> ip(static_cast<std::size_t>(n) + 1);
  for (int q = 1; q <= n; ++q) {
    rb[q] = a[q - 1];
    ip[q] = p[q - 1];
  }
  auto exchange = [&](int u, int v) {
    std::swap(rb[u], rb[v]);
    std::swap(ip[u], ip[v]);
  };
  int lo[64], hi[64];
  int m = 1, i = 1, j = n, k = 0, l = 0;
  float r = 0.375f;
  float t = 0.0f;
new_segment:
  if (i == j) goto pop_segment;
  r = r > 0.5898437f ? r - 0.21875f : r + 0.0390625f;
partition: {
  k = i;
  const int ij = i + static_cast<int>(double(j - i) * double(r));
  t = rb[ij];
  if (rb[i] > t) {
    exchange(i, ij);
    t = rb[ij];
  }
  l = j;
  if (rb[j] < t) {
    exchange(j, ij);
    t = rb[ij];
    if (rb[i] > t) {
      exchange(i, ij);
      t = rb[ij];
    }
  }
}
scan:
  do --l; while (rb[l] > t);
  do ++k; while (rb[k] < t);
  if (k <= l) {
    if (rb[l] != rb[k]) exchange(l, k);
    goto scan;
  }
  if (l - i > j - k) {
    lo[m] = i;
    hi[m] = l;
    i = k;
  } else {
    lo[m] = k;
    hi[m] = j;
    j = l;
  }
  ++m;
short_or_long:
  if (j - i >= 11) goto partition;
  if (i == 1) goto new_segment;
  for (int q = i + 1; q <= j; ++q) {
    const float v = rb[q];
    const int iv = ip[q];
    if (rb[q - 1] > v) {
      int s = q - 1;
      do {
        rb[s + 1] = rb[s];
        ip[s + 1] = ip[s];
        --s;
      } while (rb[s] > v);
      rb[s + 1] = v;
      ip[s + 1] = iv;
    }
  }
pop_segment:
  --m;
  if (m == 0) {
    for (int q = 1; q <= n; ++q) {
      a[q - 1] = rb[q];
      p[q - 1] = ip[q];
    }
    return;
  }
  i = lo[m];
  j = hi[m];
  goto short_or_long;
}

void expect_same_moves(const std::vector<float>& values, const std::string& what) {
  const int n = static_cast<int>(values.size());
  std::vector<float> expected_rb = values;
  std::vector<int> expected_perm(values.size());
  std::iota(expected_perm.begin(), expected_perm.end(), 1);
  reference_sort(expected_rb, expected_perm);

  std::vector<float> rb(values.size());
  std::vector<int> iperm(values.size());
  std::iota(iperm.begin(), iperm.end(), 1);
  polylsq::testing::run_captured([&] { polylsq::SVRGP(n, values.data(), rb.data(), iperm.data()); });
  ASSERT_EQ(rb, expected_rb) << what;
  ASSERT_EQ(iperm, expected_perm) << what;
}

enum class Shape {
  kRandom, kFewValues, kTwoValues, kSorted, kReversed, kOrganPipe, kAllEqual, kSignedZeros
};

std::vector<float> make(Shape shape, int n, std::mt19937& rng) {
  std::uniform_real_distribution<float> uniform(-1000.0f, 1000.0f);
  std::uniform_int_distribution<int> few(0, 25);
  std::uniform_int_distribution<int> two(0, 1);
  std::uniform_int_distribution<int> four(0, 3);
  // -0.0 and +0.0 compare equal, so the scan leaves such a pair where it is.
  const float zeros_and_ones[] = {-0.0f, 0.0f, -1.0f, 1.0f};
  std::vector<float> v(static_cast<std::size_t>(n));
  for (int q = 0; q < n; ++q) {
    switch (shape) {
      case Shape::kRandom: v[q] = uniform(rng); break;
      case Shape::kFewValues: v[q] = static_cast<float>(few(rng)) * 0.4f - 5.0f; break;
      case Shape::kTwoValues: v[q] = static_cast<float>(two(rng)); break;
      case Shape::kSorted: v[q] = static_cast<float>(q / 3); break;
      case Shape::kReversed: v[q] = static_cast<float>((n - q) / 3); break;
      case Shape::kOrganPipe: v[q] = static_cast<float>(q < n / 2 ? q : n - q); break;
      case Shape::kAllEqual: v[q] = 2.5f; break;
      case Shape::kSignedZeros: v[q] = zeros_and_ones[four(rng)]; break;
    }
  }
  return v;
}

TEST(SortMoves, EveryShapeAndLengthMakesTheDesignedMoves) {
  std::mt19937 rng(347);
  const Shape shapes[] = {Shape::kRandom,   Shape::kFewValues, Shape::kTwoValues, Shape::kSorted,
                          Shape::kReversed, Shape::kOrganPipe, Shape::kAllEqual,
                          Shape::kSignedZeros};
  const int lengths[] = {1, 2, 3, 11, 12, 13, 40, 127, 128, 129, 255, 256, 257, 1000, 4099, 100'000};
  for (const Shape shape : shapes) {
    for (const int n : lengths) {
      expect_same_moves(make(shape, n, rng),
                        "shape " + std::to_string(static_cast<int>(shape)) + ", n = " + std::to_string(n));
    }
  }
}

TEST(SortMoves, ManyRandomMediumVectorsMakeTheDesignedMoves) {
  std::mt19937 rng(2026);
  std::uniform_int_distribution<int> length(2, 3000);
  std::uniform_int_distribution<int> levels(1, 60);
  for (int round = 0; round < 300; ++round) {
    const int n = length(rng);
    std::uniform_int_distribution<int> level(0, levels(rng));
    std::vector<float> v(static_cast<std::size_t>(n));
    for (float& x : v) x = static_cast<float>(level(rng));
    expect_same_moves(v, "round " + std::to_string(round));
  }
}

}  // namespace
