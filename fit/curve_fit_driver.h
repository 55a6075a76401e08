// The curve-fit driver: a least-squares polynomial fit of (x, y) pairs in workspace
// supplied by the caller, with messages worded for the (x, y) caller.
//
// B(1..NDEG+1): power-series coefficients, constant first; SSDEG(1..NDEG+1): sum of
// squares for the mean, then the sequential sum of squares of each degree; FITSTAT(1..10):
// means and variances of x and y, R-squared in percent, regression and error degrees of
// freedom and sums of squares, rows left out. RWORK: (NDEG+3)(NDEG+1) + 11(NOBS+NDEG) + 5
// reals; IWORK: NOBS integers. After an argument or fatal error the results are unchanged.
#pragma once

namespace polylsq {

// Positions (1-based) in FITSTAT, filled by R2URV.
namespace fitstat_slot {
constexpr int kMeanX = 1;
constexpr int kMeanY = 2;
constexpr int kVarianceX = 3;
constexpr int kVarianceY = 4;
constexpr int kRSquared = 5;  // percent
constexpr int kDfRegression = 6;
constexpr int kSsRegression = 7;
constexpr int kDfError = 8;
constexpr int kSsError = 9;
constexpr int kRowsLeftOut = 10;  // rows with a NaN in x or y
constexpr int kSize = 10;
}  // namespace fitstat_slot

// The two argument checks that RCURV and R2URV share, in order: NOBS >= 1 (type 5,
// code 1), else NDEG >= 0 (type 5, code 2), recorded at the caller's level.
void check_curve_fit_counts(int NOBS, int NDEG);

void R2URV(int NOBS, const float* XOBS, const float* YOBS, int NDEG, float* B, float* SSDEG,
           float* FITSTAT, float* RWORK, int* IWORK);

}  // namespace polylsq
