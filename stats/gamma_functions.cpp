// Single-precision gamma and beta functions: the range of the gamma function, Stirling's
// correction, gamma, log-gamma, ln(1 + x) and log-beta.
//
// Every named quantity is a float, assigned once per step: the step is computed in double
// and rounded when stored. Decimal constants are float constants. Term counts and bounds
// are function-local constants, computed on a routine's first call under its name and
// kept for the process. Errors go through the error handler under each routine's name.
#include "stats/gamma_functions.h"

#include <algorithm>
#include <cmath>

#include "recio/fpenv.h"
#include "stats/chebyshev_series.h"
#include "support/error_handler.h"
#include "support/error_queries.h"
#include "support/machine.h"
#include "support/routine_name.h"

namespace polylsq {
namespace {

using recio::ordered_le;
using recio::ordered_lt;
using recio::rt_exp;
using recio::rt_log;
using recio::rt_sin;
using recio::rt_sqrt;

// Chebyshev coefficients: entry j multiplies T_(j-1); CSEVL halves the first.
constexpr float kLn1pSeries[23] = {
    1.0378693f,      -1.3364302e-1f,  1.9408248e-2f,   -3.0107552e-3f, 4.8694614e-4f,
    -8.105488e-5f,   1.37788475e-5f,  -2.380221e-6f,   4.1640416e-7f,  -7.359583e-8f,
    1.3117612e-8f,   -2.354671e-9f,   4.2522774e-10f,  -7.719089e-11f, 1.4075747e-11f,
    -2.5769072e-12f, 4.734241e-13f,   -8.7249015e-14f, 1.6124616e-14f, -2.9875652e-15f,
    5.54807e-16f,    -1.0324619e-16f, 1.925024e-17f};

constexpr float kLgammaCorrSeries[6] = {1.6663896e-1f, -1.3849482e-5f, 9.810826e-9f,
                                        -1.80912e-11f, 6.22e-14f,      -3e-16f};

constexpr float kGammaSeries[23] = {
    8.571195e-3f,    4.4153812e-3f,  5.6850437e-2f,   -4.2198356e-3f,  1.3268081e-3f,
    -1.8930246e-4f,  3.6069254e-5f,  -6.056762e-6f,   1.0558296e-6f,   -1.8119674e-7f,
    3.117725e-8f,    -5.3542197e-9f, 9.1932756e-10f,  -1.5779412e-10f, 2.7079805e-11f,
    -4.6468185e-12f, 7.97335e-13f,   -1.3680781e-13f, 2.3473196e-14f,  -4.0274324e-15f,
    6.910052e-16f,   -1.1855845e-16f, 2.0341485e-17f};

constexpr float kLnSqrt2Pi = 0.9189385f;       // ln sqrt(2 pi)
constexpr float kLnSqrtPiOver2 = 0.22579135f;  // ln sqrt(pi / 2)
constexpr float kPi = 3.1415927f;

// The relative distance of X from the nearest integer, for GAMMA's precision warning:
// (X - trunc(X - 0.5)) / X.
double distance_from_integer(float X) { return (double(X) - std::trunc(double(X) - 0.5f)) / X; }

constexpr const char* kNearNegativeInteger =
    "The result is accurate to less than one half precision because X = %(R1) is too "
    "close to a negative integer.";
constexpr const char* kNegativeInteger =
    "The argument for the function can not be a negative integer. Argument X = %(R1).";

// The range of arguments over which GAMMA stays in the float range, from R9GAML.
struct GammaRange {
  float XMIN = 0.0f;
  float XMAX = 0.0f;
};
GammaRange gamma_range() {
  GammaRange range;
  R9GAML(range.XMIN, range.XMAX);
  return range;
}

// GAMMA for |X| <= 10: Gamma(1 + Y) from the series, Y the fractional part, then the
// recurrence up or down. NaN after an error.
float gamma_by_series(float X, int N_GAMMA, float XTINY, float RELTOL) {
  float result = AMACH(6);
  int N = int(X);
  if (X < 0.0f) N = N - 1;
  const float Y = float(double(X) - N);
  N = N - 1;
  float G = float(0.9375f + double(CSEVL(float(2.0 * Y - 1.0), kGammaSeries, N_GAMMA)));
  if (N == 0) {
    result = G;
  } else if (N > 0) {
    for (int I = 1; I <= N; ++I) G = float(double(G) * (double(Y) + I));
    result = G;
  } else {
    N = -N;
    if (X == 0.0f) {
      E1MES(5, 5, "The argument for the function can not be zero.");
    } else if (Y < XTINY) {
      MSG_SET_REAL(1, X);
      E1MES(5, 4, "The function overflows because X = %(R1) is too close to zero.");
    } else if (X < 0.0f && double(X) + (N - 2) == 0.0) {
      MSG_SET_REAL(1, X);
      E1MES(5, 6, kNegativeInteger);
    } else {
      if (X < -0.5f && std::fabs(distance_from_integer(X)) < RELTOL) {
        MSG_SET_REAL(1, X);
        E1MES(3, 2, kNearNegativeInteger);
      }
      for (int I = 1; I <= N; ++I) G = float(double(G) / (double(X) + I - 1));
      result = G;
    }
  }
  return result;
}

// GAMMA for 10 < |X| within the range: Stirling's formula with its correction, and the
// reflection formula for X < 0. NaN after an error.
float gamma_by_stirling(float X, float RELTOL) {
  float result = AMACH(6);
  const float Y = std::fabs(X);
  const float correction = R9LGMC(Y);
  const float G = float(rt_exp((double(Y) - 0.5) * rt_log(Y) - Y + kLnSqrt2Pi + correction));
  if (X > 0.0f) {
    result = G;
  } else {
    if (X < -0.5f && std::fabs(distance_from_integer(X)) < RELTOL) {
      MSG_SET_REAL(1, X);
      E1MES(3, 2, kNearNegativeInteger);
    }
    const float S = float(rt_sin(double(kPi) * Y));
    if (S == 0.0f) {
      MSG_SET_REAL(1, X);
      E1MES(5, 7, kNegativeInteger);
    } else {
      result = float(-double(kPi) / (double(Y) * S * G));
    }
  }
  return result;
}

}  // namespace

void R9GAML(float& XMIN, float& XMAX) {
  const RoutineName routine("R9GAML");
  XMIN = AMACH(6);
  XMAX = AMACH(6);

  // XMIN: Newton iterations towards the argument below which gamma underflows.
  const float LNTINY = float(rt_log(AMACH(1)));
  XMIN = -LNTINY;
  bool converged = false;
  for (int iteration = 1; iteration <= 10 && !converged; ++iteration) {
    const float XPREV = XMIN;
    const float LNX = float(rt_log(XMIN));
    XMIN = float(double(XMIN) *
                 (1.0 - ((double(XMIN) + 0.5) * LNX - XMIN - 0.2258f + LNTINY) / (double(XMIN) * LNX + 0.5)));
    converged = std::fabs(double(XMIN) - XPREV) < 0.005f;
  }
  if (!converged) {
    E1MES(5, 5, "Unable to determine the value of XMIN.");
    XMIN = AMACH(6);
  } else {
    XMIN = float(0.01f - double(XMIN));

    // XMAX: Newton iterations towards the argument above which gamma overflows.
    const float LNHUGE = float(rt_log(AMACH(2)));
    XMAX = LNHUGE;
    converged = false;
    for (int iteration = 1; iteration <= 10 && !converged; ++iteration) {
      const float XPREV = XMAX;
      const float LNX = float(rt_log(XMAX));
      XMAX = float(double(XMAX) *
                   (1.0 - ((double(XMAX) - 0.5) * LNX - XMAX - LNHUGE + 0.9189f) / (double(XMAX) * LNX - 0.5)));
      converged = std::fabs(double(XMAX) - XPREV) < 0.005f;
    }
    if (!converged) {
      E1MES(5, 6, "Unable to determine the value of XMAX.");
      XMAX = AMACH(6);
    } else {
      XMAX = float(double(XMAX) - 0.01f);
      XMIN = std::max(XMIN, float(1.0 - XMAX));
    }
  }
}

float R9LGMC(float X) {
  const RoutineName routine("R9LGMC");
  float result = AMACH(6);
  static const int N_CORR = INITS(kLgammaCorrSeries, 6, AMACH(3));
  static const float XASYM = float(1.0 / rt_sqrt(AMACH(3)));
  static const float XMAX =
      float(rt_exp(std::min(rt_log(double(AMACH(2)) * 0.083333336f), -rt_log(12.0 * AMACH(1)))));
  if (ordered_lt(X, 10.0f)) {  // a NaN X ends the run here
    MSG_SET_REAL(1, X);
    E1MES(5, 5, "The argument X = %(R1) must be greater than or equal to 10.0.");
  } else if (X >= XMAX) {
    result = 0.0f;
    MSG_SET_REAL(1, X);
    MSG_SET_REAL(2, XMAX);
    E1MES(2, 1,
          "The function underflows because X = %(R1) is greater than %(R2). The result is set to zero.");
  } else if (X >= XASYM) {
    result = float(1.0 / (double(X) * 12));
  } else {
    const double ten_over_x = 10.0 / X;
    const float series = CSEVL(float(2.0 * (ten_over_x * ten_over_x) - 1.0), kLgammaCorrSeries, N_CORR);
    result = float(double(series) / X);
  }
  return result;
}

float GAMMA(float X) {
  const RoutineName routine("GAMMA");
  float result = AMACH(6);
  static const int N_GAMMA = INITS(kGammaSeries, 23, float(double(0.1f) * AMACH(3)));
  static const auto [XMIN, XMAX] = gamma_range();
  static const float RELTOL = float(rt_sqrt(AMACH(4)));
  static const float XTINY = float(rt_exp(std::max(rt_log(AMACH(1)), -rt_log(AMACH(2))) + 0.01f));

  if (std::fabs(X) <= 10.0f) {
    result = gamma_by_series(X, N_GAMMA, XTINY, RELTOL);
  } else if (X > XMAX) {
    MSG_SET_REAL(1, X);
    MSG_SET_REAL(2, XMAX);
    E1MES(5, 4, "The function overflows because X = %(R1) is greater than %(R2).");
  } else if (X < XMIN) {
    result = 0.0f;
    MSG_SET_REAL(1, X);
    MSG_SET_REAL(2, XMIN);
    E1MES(2, 1, "The function underflows because X = %(R1) is less than %(R2). The result is set to zero.");
  } else {
    result = gamma_by_stirling(X, RELTOL);
  }
  return result;
}

float ALNGAM(float X) {
  const RoutineName routine("ALNGAM");
  float result = AMACH(6);
  static const float XMAX = float(double(AMACH(2)) / rt_log(AMACH(2)));
  static const float RELTOL = float(rt_sqrt(AMACH(4)));
  const float Y = std::fabs(X);
  if (Y <= 10.0f) {
    const float G = GAMMA(X);
    result = float(rt_log(std::fabs(double(G))));
  } else if (Y > XMAX) {
    MSG_SET_REAL(1, X);
    MSG_SET_REAL(2, XMAX);
    E1MES(5, 4, "The function overflows because ABS(%(R1)) is greater than %(R2).");
  } else if (X > 0.0f) {
    const float correction = R9LGMC(Y);
    result = float(correction + (double(X) - 0.5) * rt_log(X) - X + kLnSqrt2Pi);
  } else {
    const float S = float(std::fabs(rt_sin(double(kPi) * Y)));
    if (S == 0.0f) {
      MSG_SET_REAL(1, X);
      E1MES(5, 5, kNegativeInteger);
    } else {
      const float correction = R9LGMC(Y);
      result = float(kLnSqrtPiOver2 + (double(X) - 0.5) * rt_log(Y) - correction - rt_log(S) - X);
      if (std::fabs((double(X) - std::trunc(double(X) - 0.5f)) * result / X) < RELTOL) {
        MSG_SET_REAL(1, X);
        E1MES(3, 2, kNearNegativeInteger);
      }
    }
  }
  return result;
}

float ALNREL(float X) {
  const RoutineName routine("ALNREL");
  float result = AMACH(6);
  static const int N_LN1P = INITS(kLn1pSeries, 23, float(double(0.1f) * AMACH(3)));
  static const float XLIM = float(rt_sqrt(AMACH(4)) - 1.0);
  if (ordered_le(X, -1.0f)) {  // a NaN X ends the run here
    MSG_SET_REAL(1, X);
    E1MES(5, 5, "The argument X = %(R1) must be greater than -1.0.");
  } else {
    if (std::fabs(X) <= 0.375f) {
      const float series = CSEVL(float(double(X) * 2.6666667f), kLn1pSeries, N_LN1P);
      result = float(double(X) * (1.0 - double(X) * series));
    } else {
      result = float(rt_log(1.0 + X));
    }
    if (X < XLIM) {
      MSG_SET_REAL(1, X);
      MSG_SET_REAL(2, XLIM);
      E1MES(3, 2,
            "The result is accurate to less than one half precision because X = %(R1) is too close "
            "to -1.0. X must be greater than %(R2).");
    }
  }
  return result;
}

float ALBETA(float A, float B) {
  const RoutineName routine("ALBETA");
  float result = AMACH(6);
  const float P = std::min(A, B);
  const float Q = std::max(A, B);
  if (P <= 0.0f) {
    E1MES(5, 5, "Both arguments for the function must be greater than zero.");
  } else if (P >= 10.0f) {
    const float corr_p = R9LGMC(P);
    const float corr_q = R9LGMC(Q);
    const float corr_pq = R9LGMC(float(double(P) + Q));
    const float DELTA = float(corr_p + (double(corr_q) - corr_pq));
    if (N1RCD(1) == 1) E1MES(0, 0, " ");  // the underflow of the correction is expected
    const float ln1p = ALNREL(float(-double(P) / (double(P) + Q)));
    result = float((double(P) - 0.5) * rt_log(double(P) / (double(P) + Q)) - 0.5 * rt_log(Q) +
                   double(Q) * ln1p + kLnSqrt2Pi + DELTA);
  } else if (Q >= 10.0f) {
    const float corr_q = R9LGMC(Q);
    const float corr_pq = R9LGMC(float(double(P) + Q));
    const float DELTA = float(double(corr_q) - corr_pq);
    if (N1RCD(1) == 1) E1MES(0, 0, " ");  // the underflow of the correction is expected
    const float lngamma_p = ALNGAM(P);
    const float ln1p = ALNREL(float(-double(P) / (double(P) + Q)));
    result = float(lngamma_p + double(P) * (1.0 - rt_log(double(P) + Q)) + (double(Q) - 0.5) * ln1p + DELTA);
  } else {
    const float gamma_p = GAMMA(P);
    const float gamma_q = GAMMA(Q);
    const float gamma_pq = GAMMA(float(double(P) + Q));
    result = float(rt_log(double(gamma_p) * (double(gamma_q) / gamma_pq)));
  }
  return result;
}

}  // namespace polylsq
