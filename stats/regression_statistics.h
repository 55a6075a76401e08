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
