// Vector kernels and the guarded division.
//
// Vectors are a first element, a count N and an increment INC: element k is at position
// 1 + (k-1)*INC. The unit-increment paths group their additions exactly as documented
// (VEC_SUM by 6, VEC_DOT by 5, VEC_DOT3 by 3) and round the running sum to float at the
// documented points: the grouping is part of the result. No kernel raises a
// floating-point exception on the values SAFE_DIV turns into NaN, 0 or infinity.
#pragma once

namespace polylsq {

void VEC_SET(int N, float SA, float* SX, int INCX);
void VEC_COPY(int N, const float* SX, int INCX, float* SY, int INCY);
// R = A / B, or NaN for a NaN operand or 0/0, 0 for an underflowing quotient, +-infinity
// for a division by zero or an overflowing quotient.
void SAFE_DIV(float A, float B, float& R);
float VEC_SUM(int N, const float* SX, int INCX);
float VEC_DOT(int N, const float* SX, int INCX, const float* SY, int INCY);
float VEC_DOT3(int N, const float* SX, int INCX, const float* SY, int INCY, const float* SZ, int INCZ);
void IVEC_SET(int N, int IVAL, int* IX, int INCX);
int VEC_MAX_INDEX(int N, const float* SX, int INCX);
int VEC_MIN_INDEX(int N, const float* SX, int INCX);

}  // namespace polylsq
