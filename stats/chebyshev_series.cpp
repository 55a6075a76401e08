// Chebyshev series evaluation and term selection. Every stored value is a float; each step
// is computed in double and rounded when stored.
#include "stats/chebyshev_series.h"

#include <cmath>

#include "recio/fpenv.h"
#include "support/error_handler.h"
#include "support/index.h"
#include "support/machine.h"
#include "support/routine_name.h"

namespace polylsq {

using recio::ordered_gt;
using recio::ordered_lt;

float CSEVL(float X, const float* CS, int N) {
  const RoutineName routine("CSEVL");
  float result = AMACH(6);
  if (N < 1) {
    MSG_SET_INT(1, N);
    E1MES(5, 5, "The number of terms in the series is not positive. N = %(I1).");
  } else if (N > 1000) {
    MSG_SET_INT(1, N);
    E1MES(5, 6, "The number of terms in the series is greater than 1000. N = %(I1).");
  } else {
    // A NaN X ends the run here.
    if (ordered_lt(X, -1.1f) || ordered_gt(X, 1.1f)) {
      MSG_SET_REAL(1, X);
      E1MES(3, 7, "The argument X = %(R1) is outside the interval (-1.1,+1.1).");
    }
    Vec cs(CS);
    float U0 = 0.0f;
    float U1 = 0.0f;
    float U2 = 0.0f;
    const float X2 = float(2.0 * X);
    for (int I = 1; I <= N; ++I) {
      U2 = U1;
      U1 = U0;
      U0 = float(double(X2) * U1 - U2 + cs(N + 1 - I));
    }
    result = float(0.5 * (double(U0) - U2));
  }
  return result;
}

int INITS(const float* OS, int NOS, float ETA) {
  const RoutineName routine("INITS");
  int result = 0;
  if (NOS < 1) {
    MSG_SET_INT(1, NOS);
    E1MES(5, 5, "The number of coefficients is less than 1. NOS = %(I1).");
  } else {
    Vec os(OS);
    float ACC = 0.0f;
    int I = 1;
    bool exceeded = false;
    for (int II = 1; II <= NOS && !exceeded; ++II) {
      I = NOS + 1 - II;
      ACC = float(double(ACC) + std::fabs(double(os(I))));
      exceeded = ACC > ETA;
    }
    if (!exceeded) I = 1;
    if (I == NOS) {
      E1MES(5, 6, "Too much accuracy may be requested. ETA should be increased.");
    } else {
      result = I;
    }
  }
  return result;
}

}  // namespace polylsq
