// Vector kernels and the guarded division.
//
// Elements are floats; sums and products are formed in double and rounded to float at
// the points each kernel documents. Unit-increment paths take the leading N mod k
// elements first and then groups of k; where the grouping moves a rounding point it is
// written out, since it is part of the result. Increments below 1 where only positive
// ones are meaningful (VEC_SET, VEC_SUM, IVEC_SET, the index searches) touch nothing and
// give 0: no caller passes them.
#include "support/vector_kernels.h"

#include <cstddef>

#include "support/index.h"
#include "support/machine.h"

namespace polylsq {
namespace {

// Start of a walk of N elements with increment INC: backwards from the far end when
// INC < 0.
std::ptrdiff_t start_of(int N, int INC) {
  return INC < 0 ? static_cast<std::ptrdiff_t>(1 - N) * INC + 1 : 1;
}

}  // namespace

void VEC_SET(int N, float SA, float* SX, int INCX) {
  if (N <= 0 || INCX <= 0) return;
  Vec<float> x(SX, INCX);
  for (int k = 1; k <= N; ++k) x(k) = SA;
}

void VEC_COPY(int N, const float* SX, int INCX, float* SY, int INCY) {
  if (N <= 0) return;
  if (INCX == 1 && INCY == 1) {
    // One element at a time in ascending order: a copy onto itself changes nothing.
    for (int i = 0; i < N; ++i) SY[i] = SX[i];
    return;
  }
  std::ptrdiff_t ix = start_of(N, INCX);
  std::ptrdiff_t iy = start_of(N, INCY);
  for (int k = 1; k <= N; ++k) {
    SY[iy - 1] = SX[ix - 1];
    ix += INCX;
    iy += INCY;
  }
}

void SAFE_DIV(float A, float B, float& R) {
  if (IS_NAN(A) || IS_NAN(B)) {
    R = AMACH(6);
    return;
  }
  const float abs_a = A < 0.0f ? -A : A;
  const float abs_b = B < 0.0f ? -B : B;
  if (abs_b > 1.0f) {
    if (abs_a < double(AMACH(1)) * abs_b) {
      R = 0.0f;  // below the smallest normalised number
    } else if (abs_a == AMACH(7) && abs_b == AMACH(7)) {
      R = AMACH(6);  // infinity / infinity: NaN, without the invalid-operation trap
    } else {
      R = float(double(A) / double(B));
    }
    return;
  }
  if (abs_a < double(AMACH(2)) * abs_b) {
    R = float(double(A) / double(B));
    return;
  }
  // The quotient reaches the largest finite number; B = 0 of either sign counts positive.
  if (A == 0.0f) {
    R = AMACH(6);
  } else if ((A > 0.0f) == (B >= 0.0f)) {
    R = AMACH(7);
  } else {
    R = AMACH(8);
  }
}

float VEC_SUM(int N, const float* SX, int INCX) {
  if (N <= 0 || INCX <= 0) return 0.0f;
  if (INCX == 1) {
    const int m = N % 6;
    double lead = 0.0;
    for (int i = 0; i < m; ++i) lead += SX[i];
    double sum = float(lead);  // the leading elements, rounded once
    for (int i = m; i < N; i += 6) {
      sum += SX[i];
      sum += SX[i + 1];
      sum += SX[i + 2];
      sum += SX[i + 3];
      sum += SX[i + 4];
      sum += SX[i + 5];
    }
    return float(sum);
  }
  Vec<const float> x(SX, INCX);
  double sum = 0.0;
  for (int k = 1; k <= N; ++k) sum += x(k);
  return float(sum);
}

float VEC_DOT(int N, const float* SX, int INCX, const float* SY, int INCY) {
  if (N <= 0) return 0.0f;
  float stemp = 0.0f;
  if (INCX == 1 && INCY == 1) {
    const int m = N % 5;
    for (int i = 0; i < m; ++i) stemp = float(double(stemp) + double(SX[i]) * SY[i]);
    for (int i = m; i < N; i += 5) {
      double group = stemp;  // products added left to right onto the running sum
      group += double(SX[i]) * SY[i];
      group += double(SX[i + 1]) * SY[i + 1];
      group += double(SX[i + 2]) * SY[i + 2];
      group += double(SX[i + 3]) * SY[i + 3];
      group += double(SX[i + 4]) * SY[i + 4];
      stemp = float(group);
    }
    return stemp;
  }
  std::ptrdiff_t ix = start_of(N, INCX);
  std::ptrdiff_t iy = start_of(N, INCY);
  for (int k = 1; k <= N; ++k) {
    stemp = float(double(stemp) + double(SX[ix - 1]) * SY[iy - 1]);
    ix += INCX;
    iy += INCY;
  }
  return stemp;
}

float VEC_DOT3(int N, const float* SX, int INCX, const float* SY, int INCY, const float* SZ, int INCZ) {
  if (N <= 0) return 0.0f;
  if (INCX == 1 && INCY == 1 && INCZ == 1) {
    const int m = N % 3;
    double lead = 0.0;
    for (int i = 0; i < m; ++i) lead += double(SX[i]) * SY[i] * SZ[i];
    double sum = float(lead);  // the leading triple products, rounded once
    for (int i = m; i < N; i += 3) {
      sum += double(SX[i]) * SY[i] * SZ[i];
      sum += double(SX[i + 1]) * SY[i + 1] * SZ[i + 1];
      sum += double(SX[i + 2]) * SY[i + 2] * SZ[i + 2];
    }
    return float(sum);
  }
  std::ptrdiff_t ix = start_of(N, INCX);
  std::ptrdiff_t iy = start_of(N, INCY);
  std::ptrdiff_t iz = start_of(N, INCZ);
  double sum = 0.0;
  for (int k = 1; k <= N; ++k) {
    sum += double(SX[ix - 1]) * SY[iy - 1] * SZ[iz - 1];
    ix += INCX;
    iy += INCY;
    iz += INCZ;
  }
  return float(sum);
}

void IVEC_SET(int N, int IVAL, int* IX, int INCX) {
  if (N <= 0 || INCX <= 0) return;
  Vec<int> x(IX, INCX);
  for (int k = 1; k <= N; ++k) x(k) = IVAL;
}

int VEC_MAX_INDEX(int N, const float* SX, int INCX) {
  if (N < 1) return 0;
  if (N == 1) return 1;
  if (INCX <= 0) return 0;
  Vec<const float> x(SX, INCX);
  int best = 1;
  float best_value = x(1);
  for (int k = 2; k <= N; ++k) {
    if (x(k) > best_value) {  // strictly greater: ties keep the earliest
      best = k;
      best_value = x(k);
    }
  }
  return best;
}

int VEC_MIN_INDEX(int N, const float* SX, int INCX) {
  if (N < 1) return 0;
  if (N == 1) return 1;
  if (INCX <= 0) return 0;
  Vec<const float> x(SX, INCX);
  int best = 1;
  float best_value = x(1);
  for (int k = 2; k <= N; ++k) {
    if (x(k) < best_value) {  // strictly smaller: ties keep the earliest
      best = k;
      best_value = x(k);
    }
  }
  return best;
}

}  // namespace polylsq
