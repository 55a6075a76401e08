// Orthogonal polynomial regression on the columns of a data matrix: the argument checks
// (R2ORP, every failure reported in table order, type 5) and the data pass (R4ORP): rows
// with a NaN left out, frequencies and weights, the valid rows sorted by the independent
// variable and handed to the generator. All storage comes from the caller.
#include "fit/orthogonal_regression.h"

#include <cstddef>
#include <string_view>

#include "fit/orthogonal_generator.h"
#include "fit/row_weights.h"
#include "fit/sort.h"
#include "recio/fpenv.h"
#include "support/argument_checks.h"
#include "support/error_handler.h"
#include "support/error_queries.h"
#include "support/index.h"
#include "support/machine.h"
#include "support/routine_name.h"

namespace polylsq {
namespace {

constexpr std::string_view kNobs =
    "NOBS = %(I1).  The number of observations, NOBS, must be greater than 1.";
constexpr std::string_view kLdx =
    "NOBS = %(I1) and LDX = %(I2).  The leading dimension of X, LDX, must be greater than or "
    "equal to the number of observations, NOBS.";
constexpr std::string_view kNcol =
    "NCOL = %(I1).  The number of columns in X, NCOL, must be greater than or equal to 1.";
constexpr std::string_view kMaxdeg =
    "MAXDEG = %(I1).  The maximum degree of the polynomial to be fit, MAXDEG, must be greater "
    "than or equal to 0.";
constexpr std::string_view kIcrit =
    "ICRIT = %(I1).  The criterion option, ICRIT, must be either 0, 1, or 2.";
constexpr std::string_view kLof =
    "LOF = %(I1).  The lack of fit option, LOF, must be either 0 or 1.";
constexpr std::string_view kIcritLof =
    "ICRIT = %(I1) and LOF = %(I2).  When the criterion option, ICRIT, equals 2, the lack of fit "
    "option, LOF, must be equal to 1.";
constexpr std::string_view kCritLevel =
    "CRIT = %(R1) when ICRIT = %(I1).  The significance level for the lack of fit test, CRIT, "
    "must be greater than or equal to 0 and less than or equal to 100 when the criterion "
    "option, ICRIT, is equal  to 2.";
constexpr std::string_view kCritRsquared =
    "CRIT = %(R1) when ICRIT = %(I1).  The R-squared that the fitted polynomial must achieve, "
    "CRIT, must be greater than 0 and less than or equal to 100 when the criterion option, "
    "ICRIT, is equal to 1.";
constexpr std::string_view kNoValidRow =
    "Each row of X contains a missing value in either the IRSP, IFRQ, IND, or IWT column.";

// Columns of the R4ORP scratch matrix (valid rows in input order).
constexpr int kResponse = 1;
constexpr int kWeight = 2;
constexpr int kFrequency = 3;

}  // namespace

void R2ORP(int NOBS, int NCOL, const float* X, int LDX, int IRSP, int IND, int IFRQ, int IWT,
           int MAXDEG, int ICRIT, float CRIT, int LOF, int& NDEG, float& XSCALE, float& XSHIFT,
           float* RECA, float* RECB, float* OCOEF, float* D, float& DFE, float& SSE, float& DFPE,
           float& SSPE, int& NMISSR, float* RWORK, int* IWORK) {
  const RoutineName routine("R2ORP");
  if (NOBS <= 1) {
    MSG_SET_INT(1, NOBS);
    E1MES(5, 1, kNobs);
  } else if (LDX < NOBS) {
    MSG_SET_INT(1, NOBS);
    MSG_SET_INT(2, LDX);
    E1MES(5, 3, kLdx);
  }
  if (NCOL <= 0) {
    MSG_SET_INT(1, NCOL);
    E1MES(5, 2, kNcol);
  }
  int code = 4;
  CHECK_COLUMN(1, IRSP, "IRSP", NCOL, "NCOL", code);
  CHECK_COLUMN(1, IND, "IND", NCOL, "NCOL", code);
  CHECK_COLUMN(0, IFRQ, "IFRQ", NCOL, "NCOL", code);
  CHECK_COLUMN(0, IWT, "IWT", NCOL, "NCOL", code);
  if (MAXDEG < 0) {
    MSG_SET_INT(1, MAXDEG);
    E1MES(5, 4, kMaxdeg);
  }
  if (ICRIT < 0 || ICRIT > 2) {
    MSG_SET_INT(1, ICRIT);
    E1MES(5, 5, kIcrit);
  }
  if (LOF < 0 || LOF > 1) {
    MSG_SET_INT(1, LOF);
    E1MES(5, 6, kLof);
  }
  if (ICRIT == 2 && LOF != 1) {
    MSG_SET_INT(1, ICRIT);
    MSG_SET_INT(2, LOF);
    E1MES(5, 7, kIcritLof);
  }
  // CRIT is compared as given: a NaN criterion ends the run through the invalid trap.
  if (ICRIT == 2 && (recio::ordered_lt(CRIT, 0.0) || recio::ordered_gt(CRIT, 100.0))) {
    MSG_SET_INT(1, ICRIT);
    MSG_SET_REAL(1, CRIT);
    E1MES(5, 8, kCritLevel);
  }
  if (ICRIT == 1 && (recio::ordered_le(CRIT, 0.0) || recio::ordered_gt(CRIT, 100.0))) {
    MSG_SET_INT(1, ICRIT);
    MSG_SET_REAL(1, CRIT);
    E1MES(5, 9, kCritRsquared);
  }
  if (!error_recorded_here()) {
    R4ORP(NOBS, X, LDX, IRSP, IND, IFRQ, IWT, MAXDEG, ICRIT, CRIT, LOF, NDEG, XSCALE, XSHIFT,
          RECA, RECB, OCOEF, D, DFE, SSE, DFPE, SSPE, NMISSR, RWORK, RWORK + NOBS,
          RWORK + 2 * static_cast<std::ptrdiff_t>(NOBS),
          RWORK + 3 * static_cast<std::ptrdiff_t>(NOBS), IWORK,
          RWORK + 4 * static_cast<std::ptrdiff_t>(NOBS));
  }
}

void R4ORP(int NOBS, const float* X, int LDX, int IRSP, int IND, int IFRQ, int IWT, int MAXDEG,
           int ICRIT, float CRIT, int LOF, int& NDEG, float& XSCALE, float& XSHIFT, float* RECA,
           float* RECB, float* OCOEF, float* D, float& DFE, float& SSE, float& DFPE, float& SSPE,
           int& NMISSR, float* XS, float* YS, float* WS, float* FS, int* IWORK, float* SCRATCH) {
  const RoutineName routine("R4ORP");
  const Mat<const float> x(X, LDX);
  const Mat<float> scratch(SCRATCH, NOBS);
  const Vec<float> xs(XS), ys(YS), ws(WS), fs(FS);
  const Vec<int> iwork(IWORK);
  NMISSR = 0;
  int nv = 0;
  int invocation = 1;
  int own_missing = 0;  // C1WFR's count; the rows are counted in NMISSR instead
  bool negative_found = false;
  for (int i = 1; i <= NOBS && !negative_found; ++i) {
    if (IS_NAN(x(i, IND)) || IS_NAN(x(i, IRSP))) {
      ++NMISSR;
    } else {
      float frq = 0.0f;
      float wt = 0.0f;  // not assigned by C1WFR for a zero frequency: the row weighs 0 anyway
      int istat = 0;
      C1WFR(0, invocation, X, LDX, i, 1, IFRQ, IWT, AMACH(6), own_missing, frq, wt, istat);
      if (istat == 3) {
        negative_found = true;
      } else if (istat == 2) {
        ++NMISSR;
      } else {
        ++nv;
        xs(nv) = x(i, IND);
        scratch(nv, kResponse) = x(i, IRSP);
        scratch(nv, kWeight) = wt;
        scratch(nv, kFrequency) = frq;
      }
    }
    ++invocation;
  }
  if (!negative_found) {
    if (nv == 0) {
      E1MES(4, 3, kNoValidRow);
    } else {
      for (int k = 1; k <= nv; ++k) iwork(k) = k;
      SVRGP(nv, XS, XS, IWORK);
      for (int k = 1; k <= nv; ++k) {
        ys(k) = scratch(iwork(k), kResponse);
        ws(k) = scratch(iwork(k), kWeight);
        fs(k) = scratch(iwork(k), kFrequency);
      }
      for (int k = 1; k <= nv; ++k) ws(k) = float(double(fs(k)) * double(ws(k)));
      R3ORP(nv, XS, YS, WS, FS, MAXDEG, ICRIT, CRIT, LOF, NDEG, XSCALE, XSHIFT, RECA, RECB, OCOEF,
            D, DFE, SSE, DFPE, SSPE, IWORK, SCRATCH);
    }
  }
}

}  // namespace polylsq
