// The printed report of a polynomial regression (R2TAP with IPRINT = 1): analysis of
// variance with its summary items, inference on coefficients, sequential statistics
// (NDEG >= 1) and tests of lack of fit (LOF = 1, NDEG >= 1), written as formatted records
// on the standard output unit (UMACH index 2).
#pragma once

namespace polylsq {

// AOV(15), SQSS (LDSQSS x 4, rows 1..NDEG), COEF (LDCOEF x 4, rows 1..NDEG+1) and
// TLOF (LDTLOF x 4, rows 1..NDEG, read only when LOF = 1) as R2TAP fills them, in the slots
// and columns that regression_statistics.h names.
void print_regression_report(int NDEG, int LOF, const float* AOV, const float* SQSS, int LDSQSS,
                             const float* COEF, int LDCOEF, const float* TLOF, int LDTLOF);

}  // namespace polylsq
