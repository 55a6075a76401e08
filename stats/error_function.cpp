// The complementary error function: the series of erf for |x| <= 1 and two series of
// erfc(x) x exp(x^2) beyond, mirrored for negative x. Every named quantity is a float,
// assigned once per step: the step is computed in double and rounded when stored.
#include "stats/error_function.h"

#include <cmath>

#include "recio/fpenv.h"
#include "stats/chebyshev_series.h"
#include "support/error_handler.h"
#include "support/machine.h"
#include "support/routine_name.h"

namespace polylsq {
namespace {

using recio::ordered_le;
using recio::rt_exp;
using recio::rt_log;
using recio::rt_sqrt;

// Chebyshev coefficients: entry j multiplies T_(j-1); CSEVL halves the first.
constexpr float kErfSeries[13] = {
    -4.904612e-2f,  -1.422612e-1f, 1.0035582e-2f,  -5.7687645e-4f, 2.7419932e-5f,
    -1.1043176e-6f, 3.8488757e-8f, -1.1808583e-9f, 3.2334215e-11f, -7.991016e-13f,
    1.7990726e-14f, -3.7186356e-16f, 7.103599e-18f};

constexpr float kErfcMidSeries[23] = {
    -6.960135e-2f,   -4.110134e-2f,   3.914496e-3f,    -4.906396e-4f,  7.157479e-5f,
    -1.1530717e-5f,  1.9946706e-6f,   -3.6426664e-7f,  6.944373e-8f,   -1.3712209e-8f,
    2.7883897e-9f,   -5.8141647e-10f, 1.2389205e-10f,  -2.6906392e-11f, 5.9426145e-12f,
    -1.3323868e-12f, 3.0280468e-13f,  -6.966649e-14f,  1.6208545e-14f, -3.8099343e-15f,
    9.040487e-16f,   -2.1640063e-16f, 5.2221024e-17f};

constexpr float kErfcTailSeries[24] = {
    7.151793e-2f,    -2.6532434e-2f,  1.711154e-3f,    -1.6375167e-4f,  1.9871293e-5f,
    -2.8437123e-6f,  4.6061612e-7f,   -8.227753e-8f,   1.5921419e-8f,   -3.2950713e-9f,
    7.2234396e-10f,  -1.6648558e-10f, 4.0103927e-11f,  -1.0048162e-11f, 2.608276e-12f,
    -6.9911107e-13f, 1.9294924e-13f,  -5.4701313e-14f, 1.5896633e-14f,  -4.726894e-15f,
    1.4358734e-15f,  -4.4495107e-16f, 1.4048109e-16f,  -4.5138184e-17f};

constexpr float kSqrtPi = 1.7724539f;

// The argument above which ERFC underflows: where exp(-x^2) / (sqrt(pi) x) reaches the
// smallest float, by one correction step from sqrt(-ln(sqrt(pi) * smallest)), less 0.01.
float underflow_bound() {
  float XMAX = float(rt_sqrt(-rt_log(double(kSqrtPi) * AMACH(1))));
  XMAX = float(double(XMAX) - 0.5 * rt_log(XMAX) / XMAX - 0.01f);
  return XMAX;
}

}  // namespace

float ERFC(float X) {
  const RoutineName routine("ERFC");
  float result = AMACH(6);
  static const float ETA = float(double(0.1f) * AMACH(3));
  static const int N_ERF = INITS(kErfSeries, 13, ETA);
  static const int N_ERFC_TAIL = INITS(kErfcTailSeries, 24, ETA);
  static const int N_ERFC_MID = INITS(kErfcMidSeries, 23, ETA);
  static const float XTINY = float(-rt_sqrt(-rt_log(double(kSqrtPi) * AMACH(3))));
  static const float XMAX = underflow_bound();
  static const float XLIN = float(rt_sqrt(2.0 * AMACH(3)));
  if (ordered_le(X, XTINY)) {  // a NaN X ends the run here
    result = 2.0f;
  } else if (X > XMAX) {
    result = 0.0f;
    MSG_SET_REAL(1, X);
    MSG_SET_REAL(2, XMAX);
    E1MES(2, 1,
          "The function underflows because X = %(R1) is greater than %(R2). The result is set to zero.");
  } else {
    const float Y = std::fabs(X);
    if (Y <= 1.0f) {
      if (Y < XLIN) {
        result = float(1.0 - 2.0 * X / kSqrtPi);
      } else {
        const float series = CSEVL(float(2.0 * X * X - 1.0), kErfSeries, N_ERF);
        result = float(1.0 - double(X) * (1.0 + series));
      }
    } else {
      const float Z = float(double(Y) * Y);
      float C;
      if (Z <= 4.0f) {
        C = float(0.5f + double(CSEVL(float((8.0 / Z - 5.0) * 0.33333334f), kErfcMidSeries, N_ERFC_MID)));
      } else {
        C = float(0.5f + double(CSEVL(float(8.0 / Z - 1.0), kErfcTailSeries, N_ERFC_TAIL)));
      }
      result = float(rt_exp(-double(Z)) * C / Y);
      if (X < 0.0f) result = float(2.0 - result);
    }
  }
  return result;
}

}  // namespace polylsq
