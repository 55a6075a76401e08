// Frequency and weight of one row of a data matrix, with the missing-value count and the
// errors for negative values. Reals are floats; a NaN is recognised by IS_NAN only, so no
// comparison ever meets one.
#include "fit/row_weights.h"

#include <string_view>

#include "support/error_handler.h"
#include "support/index.h"
#include "support/machine.h"
#include "support/routine_name.h"

namespace polylsq {
namespace {

constexpr std::string_view kFrequencyLong =
    "The frequency for row %(I1) of X on invocation number %(I2) of this routine is %(R1).  "
    "Frequencies must be nonnegative.";
constexpr std::string_view kFrequencyShort =
    "The frequency for row %(I1) of X is %(R1).  Frequencies must be nonnegative.";
constexpr std::string_view kWeightLong =
    "The weight for row %(I1) of X on invocation number %(I2) of this routine was %(R1).  "
    "Weights must be nonnegative.";
constexpr std::string_view kWeightShort =
    "The weight for row %(I1) of X was %(R1).  Weights must be nonnegative.";

// Type 4 error for a negative frequency (code 2) or weight (code 1) of row IROW.
void report_negative(int INVOKE, int INVNUM, int IROW, float value, int code,
                     std::string_view long_form, std::string_view short_form) {
  MSG_SET_INT(1, IROW);
  MSG_SET_REAL(1, value);
  if (INVOKE > 0) {
    MSG_SET_INT(2, INVNUM);
    E1MES(4, code, long_form);
  } else {
    E1MES(4, code, short_form);
  }
}

}  // namespace

void C1WFR(int INVOKE, int INVNUM, const float* X, int LDX, int IROW, int INC, int IFRQ, int IWT,
           float /*UNUSED*/, int& NMISS, float& FRQ, float& WT, int& ISTAT) {
  const RoutineName routine("C1WFR");
  const Mat<const float> x(X, LDX);
  bool done = false;
  ISTAT = 0;
  if (IFRQ > 0) {
    FRQ = x(IROW, IFRQ);
    if (IS_NAN(FRQ)) {
      NMISS += INC;
      ISTAT = 2;
    } else if (FRQ == 0.0f) {  // -0.0 as well: the row is kept with weight 0
      ISTAT = 1;
      done = true;
    }
  }
  if (!done && IWT > 0) {
    WT = x(IROW, IWT);
    if (IS_NAN(WT) && ISTAT != 2) {
      NMISS += INC;
      ISTAT = 2;
    }
  }
  if (!done) {
    if (IFRQ <= 0) {
      FRQ = 1.0f;
    } else if (!IS_NAN(FRQ) && FRQ < 0.0f) {
      report_negative(INVOKE, INVNUM, IROW, FRQ, 2, kFrequencyLong, kFrequencyShort);
      ISTAT = 3;
      done = true;
    }
  }
  if (!done) {
    if (INC == -1) FRQ = -FRQ;
    if (IWT <= 0) {
      WT = 1.0f;
    } else if (!IS_NAN(WT) && WT < 0.0f) {
      report_negative(INVOKE, INVNUM, IROW, WT, 1, kWeightLong, kWeightShort);
      ISTAT = 3;
    }
  }
}

}  // namespace polylsq
