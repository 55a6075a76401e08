// Singleton's quicksort of a float vector with a companion integer vector: a median-of-three
// pivot taken at a moving fraction R of each segment, equal values never exchanged by the
// scan, the larger part of every split pushed, short inner segments finished by straight
// insertion. The moves are part of the results: later sums run in the sorted order.
#include "fit/sort.h"

#include <cassert>
#include <string_view>
#include <utility>

#include "support/error_handler.h"
#include "support/error_queries.h"
#include "support/index.h"
#include "support/routine_name.h"
#include "support/vector_kernels.h"

namespace polylsq {
namespace {

constexpr std::string_view kBadLength =
    "The length of vectors RA, RB and IPERM must be greater than or equal to one.  On input "
    "the length, N, is given as %(I1).";

// Pending segments. The larger part of a split is pushed and the smaller one (at most half)
// is worked on, so a segment worked on while s slots are in use holds at most N / 2^s values.
// A split needs two values, so it happens only while s < log2(N): at most 30 slots are ever
// in use for a 32-bit N. (21 slots, as first published, serve fewer than 2^22 values.)
constexpr int kStackSlots = 32;

// The segment I..J of RB being worked on, the pending stack and the pivot fraction R.
class Quicksort {
 public:
  Quicksort(int n, float* rb, int* iperm) : rb_(rb), iperm_(iperm), j_(n) {}

  void run() {
    enum class Step { kNextSegment, kPartition, kSizeTest, kPop };
    Step step = Step::kNextSegment;
    for (;;) {
      switch (step) {
        case Step::kNextSegment:
          if (i_ == j_) {
            step = Step::kPop;
            break;
          }
          r_ = r_ > 0.5898437f ? float(double(r_) - 0.21875) : float(double(r_) + 0.0390625);
          step = Step::kPartition;
          break;
        case Step::kPartition:
          partition_and_push();
          step = Step::kSizeTest;
          break;
        case Step::kSizeTest:
          if (j_ - i_ >= 11) {
            step = Step::kPartition;  // R unchanged
          } else if (i_ == 1) {
            step = Step::kNextSegment;  // the leftmost segment goes down to single values
          } else {
            insertion_sort();
            step = Step::kPop;
          }
          break;
        case Step::kPop:
          --m_;
          if (m_ == 0) return;
          i_ = low_[m_ - 1];
          j_ = high_[m_ - 1];
          step = Step::kSizeTest;
          break;
      }
    }
  }

 private:
  void exchange(int p, int q) {
    std::swap(rb_(p), rb_(q));
    std::swap(iperm_(p), iperm_(q));
  }

  void push(int low, int high) {
    assert(m_ <= kStackSlots);
    low_[m_ - 1] = low;
    high_[m_ - 1] = high;
    ++m_;
  }

  // Median of RB(I), RB(IJ), RB(J) as the pivot T (exchanges on strict inequalities only),
  // the scan, then the larger part pushed and the smaller one kept as I..J.
  void partition_and_push() {
    int k = i_;
    const int ij = i_ + static_cast<int>(double(j_ - i_) * double(r_));
    float t = rb_(ij);
    if (rb_(i_) > t) {
      exchange(i_, ij);
      t = rb_(ij);
    }
    int l = j_;
    if (rb_(j_) < t) {
      exchange(j_, ij);
      t = rb_(ij);
      if (rb_(i_) > t) {
        exchange(i_, ij);
        t = rb_(ij);
      }
    }
    // Values in order meet few exchanges: the scan is cheap and predictable. Once exchanges
    // come often, the rest of them is found block-wise, then the scan finishes.
    constexpr int kScanRounds = 4;
    for (int round = 1;; ++round) {
      do --l; while (rb_(l) > t);
      do ++k; while (rb_(k) < t);
      if (k > l) break;
      if (rb_(l) != rb_(k)) exchange(l, k);  // equal values stay where they are
      if (round == kScanRounds) exchange_by_blocks(t, k, l);
    }
    if (l - i_ > j_ - k) {
      push(i_, l);
      i_ = k;
    } else {
      push(k, j_);
      j_ = l;
    }
  }

  // Exchanges of the scan from the pair K, L on, found a block at a time. The scan exchanges
  // the n-th value from the left that is not below T with the n-th value from the right
  // that is not above T, for as long as the two positions have not crossed; the values it
  // meets between the last pair and the crossing are still the segment's original ones. So
  // positions can be collected block-wise on both sides, without a branch per value, and
  // paired in order, as long as the blocks read do not overlap. Returns with K and L at the
  // last pair exchanged (as the scan would hold them after it); the scan goes on from there.
  void exchange_by_blocks(float t, int& k, int& l) {
    constexpr int kBlock = 32;
    int left[kBlock];   // positions not below T, ascending
    int right[kBlock];  // positions not above T, descending
    int left_count = 0, left_next = 0, right_count = 0, right_next = 0;
    int left_scan = k + 1;   // first position not yet read from the left
    int right_scan = l - 1;  // first position not yet read from the right
    for (;;) {
      if (left_next == left_count) {
        if (right_scan - left_scan + 1 < kBlock) return;
        left_count = left_next = 0;
        for (int q = left_scan; q < left_scan + kBlock; ++q) {
          left[left_count] = q;
          left_count += static_cast<int>(!(rb_(q) < t));
        }
        left_scan += kBlock;
      }
      if (right_next == right_count) {
        if (right_scan - left_scan + 1 < kBlock) return;
        right_count = right_next = 0;
        for (int q = right_scan; q > right_scan - kBlock; --q) {
          right[right_count] = q;
          right_count += static_cast<int>(!(rb_(q) > t));
        }
        right_scan -= kBlock;
      }
      for (; left_next < left_count && right_next < right_count; ++left_next, ++right_next) {
        k = left[left_next];
        l = right[right_next];
        assert(k < l);  // the blocks read never overlap
        if (rb_(l) != rb_(k)) exchange(l, k);  // equal values stay where they are
      }
    }
  }

  // Straight insertion of I..J (I > 1). No lower bound test: RB(I-1) was left by an earlier
  // partition and is not greater than any value of the segment.
  void insertion_sort() {
    for (int p = i_ + 1; p <= j_; ++p) {
      const float v = rb_(p);
      const int iv = iperm_(p);
      if (rb_(p - 1) > v) {
        int q = p - 1;
        do {
          rb_(q + 1) = rb_(q);
          iperm_(q + 1) = iperm_(q);
          --q;
        } while (rb_(q) > v);
        rb_(q + 1) = v;
        iperm_(q + 1) = iv;
      }
    }
  }

  Vec<float> rb_;
  Vec<int> iperm_;
  int i_ = 1;
  int j_;
  int m_ = 1;  // next free slot, 1-based
  float r_ = 0.375f;
  int low_[kStackSlots];
  int high_[kStackSlots];
};

}  // namespace

void SVRGP(int N, const float* RA, float* RB, int* IPERM) {
  const RoutineName routine("SVRGP");
  VEC_COPY(N, RA, 1, RB, 1);
  if (N <= 0) {
    MSG_SET_INT(1, N);
    E1MES(5, 1, kBadLength);
  }
  if (!error_recorded_here()) Quicksort(N, RB, IPERM).run();
}

}  // namespace polylsq
