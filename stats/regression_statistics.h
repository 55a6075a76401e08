// Statistics of a polynomial regression fitted in orthogonal polynomials: power-series
// coefficients with standard errors, t and probabilities (COEF), sequential sums of
// squares with F and probabilities (SQSS), lack-of-fit tests (TLOF) and the 15-element
// analysis-of-variance summary (AOV). Quotients go through SAFE_DIV: degenerate data give
// NaN or infinity, never a trap. Argument errors are terminal and leave outputs unchanged.
#pragma once

namespace polylsq {

// Positions (1-based) in AOV, filled by AOV_FILL (1..10) and G1AOV (11..15).
namespace aov_slot {
constexpr int kDfRegression = 1;
constexpr int kDfError = 2;
constexpr int kDfTotal = 3;
constexpr int kSsRegression = 4;
constexpr int kSsError = 5;
constexpr int kSsTotal = 6;
constexpr int kMsRegression = 7;
constexpr int kMsError = 8;
constexpr int kF = 9;
constexpr int kProbF = 10;                   // Pr > F
constexpr int kRSquared = 11;                // percent
constexpr int kAdjustedRSquared = 12;        // percent, never below 0
constexpr int kErrorStdDev = 13;             // estimated standard deviation of model error
constexpr int kResponseMean = 14;
constexpr int kCoefficientOfVariation = 15;  // percent
constexpr int kSize = 15;
}  // namespace aov_slot

// Columns of COEF (rows 1..NDEG+1, the coefficient of x^(row-1)), filled by RCOEF.
namespace coef_column {
constexpr int kEstimate = 1;
constexpr int kStandardError = 2;
constexpr int kT = 3;
constexpr int kProbT = 4;  // Pr > |t|
constexpr int kCount = 4;
}  // namespace coef_column

// Columns of the tables by degree (rows 1..NDEG): SQSS, the sequential statistics, and TLOF,
// the tests of lack of fit, share one layout.
namespace by_degree_column {
constexpr int kDf = 1;
constexpr int kSumOfSquares = 2;
constexpr int kF = 3;
constexpr int kProbF = 4;  // Pr > F
constexpr int kCount = 4;
}  // namespace by_degree_column
namespace sqss_column = by_degree_column;
namespace tlof_column = by_degree_column;

// The statistics of a fit in orthogonal polynomials (as R2ORP leaves it), in the tables above.
//
//   NDEG           read: the degree fitted, >= 0 (code 1)
//   RECA, RECB     read, NDEG each: the recurrence coefficients of the polynomials
//   XSCALE, XSHIFT read: the polynomials are in z = XSCALE*x + XSHIFT
//   OCOEF          read, NDEG+1: the coefficients of the polynomials, OCOEF(1) the weighted
//                  mean of the response
//   D              read, NDEG+1: the squared norms of the polynomials, each > 0 (code 2,
//                  one message per element)
//   DFE, SSE       read: degrees of freedom and sum of squares for error, >= 0 (codes 3, 4)
//   LOF            read: 1 for the tests of lack of fit, else 0 (code 5)
//   DFPE, SSPE     read when LOF = 1: degrees of freedom and sum of squares for pure error,
//                  >= 0 (codes 6, 7)
//   IPRINT         read: 1 prints the report (regression_report.h), else 0 (code 8)
//   AOV            written, 15 (aov_slot)
//   SQSS, LDSQSS   written, rows 1..NDEG of LDSQSS x 4 (sqss_column); LDSQSS >= NDEG when
//                  NDEG > 0 (code 9)
//   COEF, LDCOEF   written, rows 1..NDEG+1 of LDCOEF x 4 (coef_column); LDCOEF >= NDEG+1
//                  (code 10)
//   TLOF, LDTLOF   written when LOF = 1, else not referenced: rows 1..NDEG of LDTLOF x 4
//                  (tlof_column); LDTLOF >= NDEG when NDEG > 0 and LOF = 1 (code 11)
//   TWORK          scratch, (NDEG+1)(NDEG+7) reals
//
// The checks are made in the order listed, code 11 before code 10, each failure a type 5
// message; the comparisons of D, DFE, SSE, DFPE and SSPE with 0 are ordered, so a NaN there
// ends the run. After a failed check nothing is written. The power-series coefficients
// (COEF column 1) and R-squared keep the caller's traps; the statistics that nothing else
// shows are computed with the traps held.
void R2TAP(int NDEG, const float* RECA, const float* RECB, float XSCALE, float XSHIFT,
           const float* OCOEF, const float* D, float DFE, float SSE, int LOF, float DFPE,
           float SSPE, int IPRINT, float* AOV, float* SQSS, int LDSQSS, float* COEF, int LDCOEF,
           float* TLOF, int LDTLOF, float* TWORK);
// The computation of R2TAP without checks; TWORK2 = TWORK + 4*(NDEG+1).
void R2TAP_CORE(int NDEG, const float* RECA, const float* RECB, float XSCALE, float XSHIFT,
                const float* OCOEF, const float* D, float DFE, float SSE, int LOF, float DFPE,
                float SSPE, int IPRINT, float* AOV, float* SQSS, int LDSQSS, float* COEF,
                int LDCOEF, float* TLOF, int LDTLOF, float* TWORK, float* TWORK2);
// COEF(:,1) = EST, COEF(:,2) = STDB, then t and two-sided p in columns 3 and 4.
// EST and STDB may be the columns of COEF themselves.
void RCOEF(int NCOEF, const float* EST, const float* STDB, float DFE, float* COEF, int LDCOEF);
void G1AOV(float DFR, float SSR, float DFE, float SSE, float YBAR, float* AOV);
void AOV_FILL(float DFR, float SSR, float DFE, float SSE, float* AOV);

}  // namespace polylsq
