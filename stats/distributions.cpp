// Distribution functions (F, Student t, incomplete beta ratio) and the F and t statistics
// with their upper-tail probabilities.
//
// Every named quantity is a float, assigned once per step: the step is computed in double
// and rounded when stored. Decimal constants are float constants. Where a NaN argument
// must end the run the comparison goes through the ordered helpers, which trap; the
// degenerate values that a fit produces (zero or infinite degrees of freedom, infinite or
// NaN statistics, huge t) are screened so that no other trap can fire.
#include "stats/distributions.h"

#include <cmath>

#include "recio/fpenv.h"
#include "stats/error_function.h"
#include "stats/gamma_functions.h"
#include "support/error_handler.h"
#include "support/error_queries.h"
#include "support/machine.h"
#include "support/routine_name.h"
#include "support/vector_kernels.h"

namespace polylsq {
namespace {

using recio::ordered_ge;
using recio::ordered_gt;
using recio::ordered_le;
using recio::ordered_lt;
using recio::rt_atan;
using recio::rt_exp;
using recio::rt_log;
using recio::rt_sqrt;

// Whether rounding v to float overflows: |v| at or beyond the midpoint between the largest
// float and 2^128 (round to nearest).
bool overflows_float(double v) {
  const double largest = AMACH(2);
  const double limit = largest + (std::ldexp(1.0, 128) - largest) / 2;
  return std::fabs(v) >= limit;
}

// Two-sided t probability by the normal approximation (DF not an integer, or DF >= 20).
// DF beyond about 5e18 makes 48*A^2 exceed the float range and an infinite DF makes L*A
// the product 0 * infinity; both take their limits (B = +infinity, Z = T2), which give
// Q = 1 and the normal tail probability.
float normal_approximation(float T2, float DF, float X2, float Y) {
  const float L = (double(Y) - 1.0 == 0.0) ? X2 : float(rt_log(Y) * X2 / (double(Y) - 1.0));
  const float A = float(double(DF) - 0.5);
  const double b = 48.0 * (double(A) * A);
  const float B = overflows_float(b) ? AMACH(7) : float(b);
  const float Z = (A == AMACH(7)) ? T2 : float(double(L) * A);
  const float Q = float(
      1.0 + (double(Z) + 3.0 + (((-0.4f * double(Z) - 3.3f) * Z - 24.0) * Z - 85.5) /
                                   (0.8f * (double(Z) * Z) + B + 100.0)) / B);
  const float W = float(rt_sqrt(Z) * Q);
  float P2 = 0.0f;
  if (W < 18.8125f) P2 = ERFC(float(double(W) * 0.70710677f));
  return P2;
}

// Two-sided t probability for an integer DF below 20 and T2 < 4: the finite series in
// sqrt(X2), ended by the arctangent for odd DF. Y*M is a running product.
float integer_series_small(float DF, float X2, float Y, float K) {
  const float A = float(rt_sqrt(X2));
  float S = (DF == 1.0f) ? 0.0f : A;
  int M = int(DF) - 2;
  float YM = float(double(Y) * (double(DF) - 2.0));
  while (M > 1) {
    S = float(A + double(S) * (M - 1) / YM);
    M = M - 2;
    YM = float(double(YM) - 2.0 * Y);
  }
  if (M == 0) {
    S = float(S / rt_sqrt(Y));
  } else {
    S = float((rt_atan(A) + double(S) / Y) * K);
  }
  return float(1.0 - S);
}

// Two-sided t probability for an integer DF below 20 and T2 >= 4: the series summed until
// it no longer changes in single precision, then the finite product. Y*M is a running
// product.
float integer_series_large(float DF, float Y, float K) {
  float S = 1.0f;
  float A = DF;
  float B = 0.0f;
  float Z = 0.0f;
  bool changed = true;
  while (changed) {
    Z = float(double(Z) + 2.0 * Y);
    B = float(double(B) + 2.0);
    A = float(double(A) * (double(B) - 1.0) / Z);
    const float previous = S;
    S = float(double(S) + double(A) / (double(DF) + B));
    changed = S != previous;
  }
  int M = int(DF);
  float YM = float(double(Y) * DF);
  while (M > 1 && !(S < 1.0e-30f)) {
    S = float(double(S) * (M - 1) / YM);
    M = M - 2;
    YM = float(double(YM) - 2.0 * Y);
  }
  if (M != 0) S = float(rt_sqrt(Y) / Y * K * S);
  return S;
}

// BETAI's argument checks. Both are made, and every operand is compared, so that a NaN
// ends the run.
void check_betai_arguments(float X, float PIN, float QIN) {
  const bool x_below = ordered_lt(X, 0.0);
  const bool x_above = ordered_gt(X, 1.0);
  if (x_below || x_above) {
    MSG_SET_REAL(1, X);
    E1MES(5, 5, "X = %(R1) is not in the range (0.0,1.0).");
  }
  const bool p_bad = ordered_le(PIN, 0.0);
  const bool q_bad = ordered_le(QIN, 0.0);
  if (p_bad || q_bad) {
    MSG_SET_REAL(1, PIN);
    MSG_SET_REAL(2, QIN);
    E1MES(5, 6, "Both PIN = %(R1) and QIN = %(R2) must be greater than 0.0.");
  }
}

// The incomplete beta ratio at Y when (P + Q) / (P + 1) * Y is below the machine
// precision: the leading term of its series, 0 when that term underflows.
float leading_term(float Y, float P, float Q, float SMALL, float LNSMALL) {
  float value = 0.0f;
  const float lnbeta = ALBETA(P, Q);
  const float LT = float(double(P) * rt_log(std::fmax(Y, SMALL)) - lnbeta - rt_log(P));
  if (LT > LNSMALL && Y != 0.0f) value = float(rt_exp(LT));
  return value;
}

// The series in Y for the fractional part of Q (a whole Q counts as 1, whose series is its
// leading term alone); 0 when the leading term underflows.
float fractional_part_series(float Y, float P, float Q, float LNEPS, float LNSMALL) {
  float value = 0.0f;
  float QFRAC = float(double(Q) - std::trunc(double(Q)));
  if (QFRAC == 0.0f) QFRAC = 1.0f;
  const float lnbeta_frac = ALBETA(QFRAC, P);
  const float LT = float(double(P) * rt_log(Y) - lnbeta_frac - rt_log(P));
  if (LT >= LNSMALL) {
    value = float(rt_exp(LT));
    float TERM = float(double(value) * P);
    if (QFRAC != 1.0f) {
      const int N = int(std::trunc(std::fmax(LNEPS / rt_log(Y), 4.0)));
      for (int I = 1; I <= N; ++I) {
        TERM = float(double(TERM) * (double(I) - QFRAC) * Y / I);
        value = float(double(value) + double(TERM) / (double(P) + I));
      }
    }
  }
  return value;
}

// The finite tail sum for the integer part of Q (Q > 1), its terms scaled by powers of
// SMALL to stay in range; a term counts once its scaling is undone.
float integer_part_tail(float Y, float P, float Q, float EPS, float SMALL, float LNSMALL) {
  const float lnbeta = ALBETA(P, Q);
  const float LT = float(double(P) * rt_log(Y) + double(Q) * rt_log(1.0 - Y) - lnbeta - rt_log(Q));
  // Integer-valued counts kept in double: exact, and no conversion can overflow.
  double NSCALE = std::trunc(std::fmax(double(LT) / LNSMALL, 0.0));
  float TERM = float(rt_exp(double(LT) - NSCALE * LNSMALL));
  const float C = float(1.0 / (1.0 - Y));
  const float RATIO = float(double(Q) * C / (double(P) + Q - 1.0));
  float TAILSUM = 0.0f;
  double N = std::trunc(double(Q));
  if (N == double(Q)) N = N - 1.0;
  for (double I = 1.0; I <= N; I += 1.0) {
    if (RATIO <= 1.0f && double(TERM) / EPS <= TAILSUM) break;
    TERM = float((double(Q) - I + 1.0) * C * TERM / (double(P) + Q - I));
    if (TERM > 1.0f) {
      NSCALE = NSCALE - 1.0;
      TERM = float(double(TERM) * SMALL);
    }
    if (NSCALE == 0.0) TAILSUM = float(double(TAILSUM) + TERM);
  }
  return TAILSUM;
}

}  // namespace

float FDF(float F, float DFN, float DFD) {
  const RoutineName routine("FDF");
  float result = AMACH(6);
  // A NaN argument ends the run at the first comparison that meets it.
  if (ordered_le(DFN, 0.0)) {
    MSG_SET_REAL(1, DFN);
    E1MES(5, 1, "DFN = %(R1) must be greater than 0.0.");
  } else if (ordered_le(DFD, 0.0)) {
    MSG_SET_REAL(1, DFD);
    E1MES(5, 2, "DFD = %(R1) must be greater than 0.0.");
  } else if (ordered_le(F, 0.0)) {
    result = 0.0f;
    MSG_SET_REAL(1, F);
    E1MES(1, 3, "Since F = %(R1) is not positive, the distribution function is zero at F.");
  } else {
    const float X = float(double(DFD) / (double(DFD) + double(DFN) * F));
    result = float(1.0 - BETAI(X, float(0.5 * DFD), float(0.5 * DFN)));
  }
  return result;
}

float TDF(float T, float DF) {
  const RoutineName routine("TDF");
  float result = AMACH(6);
  if (ordered_lt(DF, 1.0)) {  // a NaN DF ends the run here
    MSG_SET_REAL(1, DF);
    E1MES(5, 1, "The input number of degrees of freedom, DF = %(R1), must be at least 1.");
  } else {
    static const float K = float(1.0 / recio::rt_asin(1.0));  // 2 / pi
    // P2 = Prob(|t| >= |T|).
    float P2;
    const double t_squared = double(T) * T;
    if (overflows_float(t_squared)) {
      // T*T is +infinity in single precision: BETAI(0, ...) = 0 for every finite DF, and
      // the tail is empty for an infinite DF too.
      P2 = 0.0f;
    } else {
      const float T2 = float(t_squared);
      if (T2 >= DF) {
        P2 = BETAI(float(double(DF) / (double(DF) + T2)), float(0.5 * DF), 0.5f);
      } else {
        const float X2 = float(double(T2) / DF);
        const float Y = float(1.0 + X2);
        const bool df_is_integer = std::trunc(double(DF)) == double(DF);
        if (!df_is_integer || DF >= 20.0f) {
          P2 = normal_approximation(T2, DF, X2, Y);
        } else if (T2 < 4.0f) {
          P2 = integer_series_small(DF, X2, Y, K);
        } else {
          P2 = integer_series_large(DF, Y, K);
        }
      }
    }
    result = (T <= 0.0f) ? float(0.5 * P2) : float(1.0 - 0.5 * P2);
  }
  return result;
}

float BETAI(float X, float PIN, float QIN) {
  const RoutineName routine("BETAI");
  float result = AMACH(6);
  static const float EPS = AMACH(3);
  static const float LNEPS = float(rt_log(EPS));
  static const float SMALL = float(double(AMACH(1)) * 100.0);
  static const float LNSMALL = float(rt_log(SMALL));
  check_betai_arguments(X, PIN, QIN);

  if (!error_recorded_here()) {
    // Work on the side of the distribution where the series converge fast.
    float Y = X;
    float P = PIN;
    float Q = QIN;
    if ((QIN > PIN || X >= 0.8f) && X >= 0.2f) {
      Y = float(1.0 - X);
      P = QIN;
      Q = PIN;
    }
    const bool swapped = X != Y || PIN != P;

    float value = 0.0f;
    if ((double(P) + Q) / (double(P) + 1.0) * Y < EPS) {
      // Small case: the leading term of the series alone, unclamped.
      value = leading_term(Y, P, Q, SMALL, LNSMALL);
      if (swapped) value = float(1.0 - value);
    } else {
      // General case: the series for the fractional part of Q, then the finite tail sum
      // for its integer part.
      value = fractional_part_series(Y, P, Q, LNEPS, LNSMALL);
      if (Q > 1.0f) value = float(double(value) + integer_part_tail(Y, P, Q, EPS, SMALL, LNSMALL));
      if (swapped) value = float(1.0 - value);
      // A NaN value ends the run here.
      if (ordered_lt(value, 0.0)) value = 0.0f;
      if (ordered_gt(value, 1.0)) value = 1.0f;
    }
    result = value;
  }
  return result;
}

void C1F(float MSN, float MSD, float DFN, float DFD, float& F, float& P) {
  const RoutineName routine("C1F");
  SAFE_DIV(MSN, MSD, F);
  // Both degrees of freedom are compared, so that a NaN one ends the run.
  const bool dfn_not_positive = ordered_le(DFN, 0.0);
  const bool dfd_not_positive = ordered_le(DFD, 0.0);
  if (IS_NAN(F) || dfn_not_positive || dfd_not_positive) {
    P = AMACH(6);
  } else if (F == AMACH(7)) {
    P = 0.0f;
  } else if (DFN == AMACH(7) || DFD == AMACH(7)) {
    // The F distribution with an infinite degree of freedom is outside what FDF and BETAI
    // can evaluate (infinite beta parameters): the probability is undefined.
    P = AMACH(6);
  } else {
    P = float(1.0 - FDF(F, DFN, DFD));
  }
}

void C1T(float EST, float SE, float DF, float& T, float& P) {
  const RoutineName routine("C1T");
  SAFE_DIV(EST, SE, T);
  if (IS_NAN(T) || IS_NAN(DF) || DF == 0.0f) {
    P = AMACH(6);
  } else if (std::fabs(T) == AMACH(7)) {
    P = 0.0f;
  } else {
    P = float((1.0 - TDF(std::fabs(T), DF)) * 2.0);
  }
}

}  // namespace polylsq
