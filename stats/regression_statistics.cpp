// Statistics of a polynomial regression fitted in orthogonal polynomials: coefficient
// inference in powers of x, sequential and lack-of-fit F tests, analysis-of-variance summary.
//
// Every stored value is a float, each assignment computed in double and rounded once.
// Quotients go through SAFE_DIV, so degenerate data yield NaN or infinity. A finite step on
// the way to the power-series coefficients or to R-squared whose result passes the float
// range ends the run through the overflow trap; the statistics that the program shows
// nowhere (standard errors, t and p values, F tests, mean squares, adjusted R-squared,
// standard deviation, coefficient of variation) are computed with the traps held, so that
// they become infinities or NaNs instead of ending the run. Comparisons
// with 0 of the checked arguments are ordered: a NaN there ends the run through the
// invalid-operation trap. Errors go through the handler only.
#include "stats/regression_statistics.h"

#include <string_view>

#include "recio/fpenv.h"
#include "stats/distributions.h"
#include "stats/power_series.h"
#include "stats/regression_report.h"
#include "support/argument_checks.h"
#include "support/error_handler.h"
#include "support/error_queries.h"
#include "support/index.h"
#include "support/machine.h"
#include "support/routine_name.h"
#include "support/vector_kernels.h"

namespace polylsq {
namespace {

constexpr std::string_view kNdegMsg =
    "NDEG = %(I1).  The degree of the polynomial regression, NDEG, must be greater than or "
    "equal to 0.";
constexpr std::string_view kDMsg =
    "D(%(I1)) = %(R1).  Each element of D, the vector containing the diagonal elements of the "
    "sum of squares and cross-products matrix, must be positive.";
constexpr std::string_view kDfeMsg =
    "DFE = %(R1).  The degrees of freedom for error, DFE, must be greater than or equal to 0.";
constexpr std::string_view kSseMsg =
    "SSE = %(R1).  The sum of squares for error, SSE, must be greater than or equal to 0.";
constexpr std::string_view kLofMsg =
    "LOF = %(I1).  The lack of fit test option, LOF, must be either 0 or 1.";
constexpr std::string_view kDfpeMsg =
    "DFPE = %(R1).  The degrees of freedom for pure error, DFPE, must be greater than or equal "
    "to 0.";
constexpr std::string_view kSspeMsg =
    "SSPE = %(R1).  The sums of squares for pure error, SSPE, must be greater than or equal to "
    "0.";
constexpr std::string_view kIprintMsg =
    "IPRINT = %(I1).  The printing option, IPRINT, must be equal to either 0 or 1.";
constexpr std::string_view kLdsqssMsg =
    "NDEG = %(I1) and LDSQSS = %(I2).  The leading dimension of SQSS, LDSQSS, must be greater "
    "than or equal to the degree of the polynomial regression, NDEG.";
constexpr std::string_view kLdtlofMsg =
    "NDEG = %(I1) and LDTLOF = %(I2).  The leading dimension of TLOF, LDTLOF, must be greater "
    "than or equal to the degree of the polynomial regression, NDEG.";
constexpr std::string_view kLdcoefMsg =
    "NDEG = %(I1) and LDCOEF = %(I2).  The leading dimension of COEF, LDCOEF, must be greater "
    "than or equal to 1 plus the degree of the polynomial regression, NDEG.";
constexpr std::string_view kRcoefDfeMsg = "DFE = %(R1).  It must be nonnegative.";
constexpr std::string_view kStdbMsg = "STDB(%(I1)) = %(R1).  It must be nonnegative.";

float safe_div(float a, float b) {
  float r = 0.0f;
  SAFE_DIV(a, b, r);
  return r;
}

// R2TAP's checks of the fit it describes, in their order: the degree, each element of D,
// DFE and SSE. Comparisons with 0 are ordered: a NaN ends the run.
void check_fit(int NDEG, const float* D, float DFE, float SSE) {
  Vec<const float> d(D);
  if (NDEG < 0) {
    MSG_SET_INT(1, NDEG);
    E1MES(5, 1, kNdegMsg);
  }
  if (NDEG >= 0) {
    for (int i = 1; i <= NDEG + 1; ++i) {
      if (recio::ordered_le(d(i), 0.0)) {
        MSG_SET_INT(1, i);
        MSG_SET_REAL(1, d(i));
        E1MES(5, 2, kDMsg);
      }
    }
  }
  if (recio::ordered_lt(DFE, 0.0)) {
    MSG_SET_REAL(1, DFE);
    E1MES(5, 3, kDfeMsg);
  }
  if (recio::ordered_lt(SSE, 0.0)) {
    MSG_SET_REAL(1, SSE);
    E1MES(5, 4, kSseMsg);
  }
}

// R2TAP's checks of the options and the table dimensions, in their order (codes 5 to 9,
// then 11 before 10).
void check_options(int NDEG, int LOF, float DFPE, float SSPE, int IPRINT, int LDSQSS,
                   int LDCOEF, int LDTLOF) {
  if (LOF != 0 && LOF != 1) {
    MSG_SET_INT(1, LOF);
    E1MES(5, 5, kLofMsg);
  }
  if (LOF == 1 && recio::ordered_lt(DFPE, 0.0)) {
    MSG_SET_REAL(1, DFPE);
    E1MES(5, 6, kDfpeMsg);
  }
  if (LOF == 1 && recio::ordered_lt(SSPE, 0.0)) {
    MSG_SET_REAL(1, SSPE);
    E1MES(5, 7, kSspeMsg);
  }
  if (IPRINT != 0 && IPRINT != 1) {
    MSG_SET_INT(1, IPRINT);
    E1MES(5, 8, kIprintMsg);
  }
  if (NDEG > 0 && LDSQSS < NDEG) {
    MSG_SET_INT(1, NDEG);
    MSG_SET_INT(2, LDSQSS);
    E1MES(5, 9, kLdsqssMsg);
  }
  if (NDEG > 0 && LOF == 1 && LDTLOF < NDEG) {
    MSG_SET_INT(1, NDEG);
    MSG_SET_INT(2, LDTLOF);
    E1MES(5, 11, kLdtlofMsg);
  }
  if (NDEG >= 0 && LDCOEF < NDEG + 1) {
    MSG_SET_INT(1, NDEG);
    MSG_SET_INT(2, LDCOEF);
    E1MES(5, 10, kLdcoefMsg);
  }
}

// The sequential sum of squares of each degree into SQSS, then the analysis of variance
// into AOV; the mean is OCOEF(1).
void sums_of_squares(int NDEG, const float* OCOEF, const float* D, float DFE, float SSE,
                     float* AOV, float* SQSS, int LDSQSS) {
  namespace sq = sqss_column;
  Vec<const float> ocoef(OCOEF);
  Vec<const float> d(D);
  Mat sqss(SQSS, LDSQSS);
  for (int i = 1; i <= NDEG; ++i) {
    sqss(i, sq::kSumOfSquares) = float(double(ocoef(i + 1)) * ocoef(i + 1) * d(i + 1));
  }
  const float ssr = NDEG > 0 ? VEC_SUM(NDEG, sqss.at(1, sq::kSumOfSquares), 1) : 0.0f;
  const float dfr = float(NDEG);
  const float ybar = ocoef(1);
  G1AOV(dfr, ssr, DFE, SSE, ybar, AOV);
}

// The standard errors of the power-series coefficients in COEF(:,1): the variances of the
// orthogonal coefficients (the error mean square over D) carried to powers of x, then their
// square roots; then t and p. NaN throughout when the error mean square is undefined.
// WORK: (NDEG+1)(NDEG+3) reals.
void coefficient_inference(int NDEG, const float* RECA, const float* RECB, float XSCALE,
                           float XSHIFT, const float* D, float DFE, float SSE, float* COEF,
                           int LDCOEF, float* WORK) {
  namespace cf = coef_column;
  const int n1 = NDEG + 1;
  const float nan = AMACH(6);
  Vec<const float> d(D);
  Mat coef(COEF, LDCOEF);
  const float mse = safe_div(SSE, DFE);
  if (!IS_NAN(mse)) {
    for (int i = 1; i <= n1; ++i) coef(i, cf::kStandardError) = float((1.0 / d(i)) * mse);
  }
  if (IS_NAN(mse)) {
    VEC_SET(n1, nan, coef.at(1, cf::kStandardError), 1);
  } else {
    // The column holds variances until their square roots replace them.
    COEF_VARIANCES(NDEG, coef.at(1, cf::kStandardError), RECA, RECB, XSCALE, XSHIFT, WORK, n1);
    for (int i = 1; i <= n1; ++i) {
      const float v = coef(i, cf::kStandardError);
      if (IS_NAN(v)) continue;  // the square root of a NaN is that NaN
      coef(i, cf::kStandardError) = v > 0.0f ? float(recio::rt_sqrt(v)) : 0.0f;
    }
  }

  if (IS_NAN(mse)) {
    VEC_SET(n1, nan, coef.at(1, cf::kT), 1);
    VEC_SET(n1, nan, coef.at(1, cf::kProbT), 1);
  } else {
    RCOEF(n1, coef.at(1, cf::kEstimate), coef.at(1, cf::kStandardError), DFE, COEF, LDCOEF);
  }
}

// The F test of each degree's sequential sum of squares against the error mean square.
void sequential_f_tests(int NDEG, float DFE, float SSE, float* SQSS, int LDSQSS) {
  namespace sq = sqss_column;
  Mat sqss(SQSS, LDSQSS);
  VEC_SET(NDEG, 1.0f, sqss.at(1, sq::kDf), 1);
  const float mse = safe_div(SSE, DFE);
  for (int i = 1; i <= NDEG; ++i) {
    const float ms = safe_div(sqss(i, sq::kSumOfSquares), sqss(i, sq::kDf));
    C1F(ms, mse, sqss(i, sq::kDf), DFE, sqss(i, sq::kF), sqss(i, sq::kProbF));
  }
}

// The lack of fit of each degree, with its F test against pure error.
void lack_of_fit_tests(int NDEG, float DFE, float SSE, float DFPE, float SSPE,
                       const float* SQSS, int LDSQSS, float* TLOF, int LDTLOF) {
  namespace sq = sqss_column;
  namespace lf = tlof_column;
  Mat<const float> sqss(SQSS, LDSQSS);
  Mat tlof(TLOF, LDTLOF);
  tlof(NDEG, lf::kDf) = float(double(DFE) - DFPE);
  tlof(NDEG, lf::kSumOfSquares) = float(double(SSE) - SSPE);
  // The lack of fit of degree i includes every higher term.
  for (int i = NDEG - 1; i >= 1; --i) {
    tlof(i, lf::kDf) = float(double(tlof(i + 1, lf::kDf)) + 1.0);
    tlof(i, lf::kSumOfSquares) =
        float(double(tlof(i + 1, lf::kSumOfSquares)) + sqss(i + 1, sq::kSumOfSquares));
  }
  const float mspe = safe_div(SSPE, DFPE);
  for (int i = 1; i <= NDEG; ++i) {
    const float ms = safe_div(tlof(i, lf::kSumOfSquares), tlof(i, lf::kDf));
    C1F(ms, mspe, tlof(i, lf::kDf), DFPE, tlof(i, lf::kF), tlof(i, lf::kProbF));
  }
}

}  // namespace

void R2TAP(int NDEG, const float* RECA, const float* RECB, float XSCALE, float XSHIFT,
           const float* OCOEF, const float* D, float DFE, float SSE, int LOF, float DFPE,
           float SSPE, int IPRINT, float* AOV, float* SQSS, int LDSQSS, float* COEF, int LDCOEF,
           float* TLOF, int LDTLOF, float* TWORK) {
  const RoutineName routine("R2TAP");
  check_fit(NDEG, D, DFE, SSE);
  check_options(NDEG, LOF, DFPE, SSPE, IPRINT, LDSQSS, LDCOEF, LDTLOF);
  if (!error_recorded_here()) {
    R2TAP_CORE(NDEG, RECA, RECB, XSCALE, XSHIFT, OCOEF, D, DFE, SSE, LOF, DFPE, SSPE, IPRINT, AOV,
               SQSS, LDSQSS, COEF, LDCOEF, TLOF, LDTLOF, TWORK, TWORK + 4 * (NDEG + 1));
  }
}

void R2TAP_CORE(int NDEG, const float* RECA, const float* RECB, float XSCALE, float XSHIFT,
                const float* OCOEF, const float* D, float DFE, float SSE, int LOF, float DFPE,
                float SSPE, int IPRINT, float* AOV, float* SQSS, int LDSQSS, float* COEF,
                int LDCOEF, float* TLOF, int LDTLOF, float* TWORK, float* TWORK2) {
  const int n1 = NDEG + 1;
  Mat coef(COEF, LDCOEF);
  sums_of_squares(NDEG, OCOEF, D, DFE, SSE, AOV, SQSS, LDSQSS);
  VEC_COPY(n1, OCOEF, 1, coef.at(1, coef_column::kEstimate), 1);
  ORTHO_TO_POWER(NDEG, coef.at(1, coef_column::kEstimate), RECA, RECB, XSCALE, XSHIFT, TWORK, n1);

  const recio::TrapsHeld unshown;  // from here on, nothing feeds B or R-squared
  coefficient_inference(NDEG, RECA, RECB, XSCALE, XSHIFT, D, DFE, SSE, COEF, LDCOEF, TWORK2);
  if (NDEG > 0) sequential_f_tests(NDEG, DFE, SSE, SQSS, LDSQSS);
  if (LOF == 1 && NDEG > 0) lack_of_fit_tests(NDEG, DFE, SSE, DFPE, SSPE, SQSS, LDSQSS, TLOF, LDTLOF);
  if (IPRINT == 1) {
    print_regression_report(NDEG, LOF, AOV, SQSS, LDSQSS, COEF, LDCOEF, TLOF, LDTLOF);
  }
}

void RCOEF(int NCOEF, const float* EST, const float* STDB, float DFE, float* COEF, int LDCOEF) {
  const RoutineName routine("RCOEF");
  Vec<const float> stdb(STDB);
  int code = 1;

  CHECK_DIM_PAIR(1, NCOEF, "NCOEF", LDCOEF, "LDCOEF", code);
  if (recio::ordered_lt(DFE, 0.0)) {
    MSG_SET_REAL(1, DFE);
    E1MES(5, code, kRcoefDfeMsg);
  }
  ++code;
  for (int i = 1; i <= NCOEF; ++i) {
    if (!IS_NAN(stdb(i)) && stdb(i) < 0.0f) {
      MSG_SET_INT(1, i);
      MSG_SET_REAL(1, stdb(i));
      E1MES(5, code, kStdbMsg);
    }
  }

  if (!error_recorded_here()) {
    namespace cf = coef_column;
    Mat coef(COEF, LDCOEF);
    VEC_COPY(NCOEF, EST, 1, coef.at(1, cf::kEstimate), 1);
    VEC_COPY(NCOEF, STDB, 1, coef.at(1, cf::kStandardError), 1);
    for (int i = 1; i <= NCOEF; ++i) {
      C1T(coef(i, cf::kEstimate), coef(i, cf::kStandardError), DFE, coef(i, cf::kT),
          coef(i, cf::kProbT));
    }
  }
}

void G1AOV(float DFR, float SSR, float DFE, float SSE, float YBAR, float* AOV) {
  const RoutineName routine("G1AOV");
  int code = 1;
  CHECK_NONNEG(DFR, "DFR", code);
  CHECK_NONNEG(SSR, "SSR", code);
  CHECK_NONNEG(DFE, "DFE", code);
  CHECK_NONNEG(SSE, "SSE", code);

  if (!error_recorded_here()) {
    using namespace aov_slot;
    Vec aov(AOV);
    AOV_FILL(DFR, SSR, DFE, SSE, AOV);
    aov(kRSquared) = safe_div(float(double(SSR) * 100), aov(kSsTotal));
    const recio::TrapsHeld unshown;
    // Error mean square over total mean square; adjusted R-squared never below 0.
    const float q = safe_div(aov(kMsError), safe_div(aov(kSsTotal), aov(kDfTotal)));
    if (IS_NAN(q)) {
      aov(kAdjustedRSquared) = q;
    } else if (q > 1.0f) {
      aov(kAdjustedRSquared) = 0.0f;
    } else {
      aov(kAdjustedRSquared) = float((1.0 - q) * 100);
    }
    if (IS_NAN(aov(kMsError))) {
      aov(kErrorStdDev) = AMACH(6);
      aov(kCoefficientOfVariation) = AMACH(6);
    } else {
      aov(kErrorStdDev) = float(recio::rt_sqrt(aov(kMsError)));
      aov(kCoefficientOfVariation) = safe_div(float(double(aov(kErrorStdDev)) * 100), YBAR);
    }
    aov(kResponseMean) = YBAR;
  }
}

void AOV_FILL(float DFR, float SSR, float DFE, float SSE, float* AOV) {
  using namespace aov_slot;
  Vec aov(AOV);
  aov(kDfRegression) = DFR;
  aov(kDfError) = DFE;
  aov(kDfTotal) = float(double(DFE) + DFR);
  aov(kSsRegression) = SSR;
  aov(kSsError) = SSE;
  aov(kSsTotal) = float(double(SSE) + SSR);
  const recio::TrapsHeld unshown;  // the mean squares and their F test
  SAFE_DIV(SSR, DFR, aov(kMsRegression));
  SAFE_DIV(SSE, DFE, aov(kMsError));
  C1F(aov(kMsRegression), aov(kMsError), DFR, DFE, aov(kF), aov(kProbF));
}

}  // namespace polylsq
