// Orthogonal polynomial regression on the columns of a data matrix X (LDX x NCOL):
// R2ORP checks its arguments (every failure reported, type 5), R4ORP makes the data pass
// (missing rows, frequencies and weights, sort by the independent variable) and calls
// R3ORP. The caller supplies RWORK (8*NOBS reals) and IWORK (NOBS integers); nothing is
// allocated.
#pragma once

namespace polylsq {

void R2ORP(int NOBS, int NCOL, const float* X, int LDX, int IRSP, int IND, int IFRQ, int IWT,
           int MAXDEG, int ICRIT, float CRIT, int LOF, int& NDEG, float& XSCALE, float& XSHIFT,
           float* RECA, float* RECB, float* OCOEF, float* D, float& DFE, float& SSE, float& DFPE,
           float& SSPE, int& NMISSR, float* RWORK, int* IWORK);

// Work areas: XS = RWORK(1..), YS = RWORK(NOBS+1..), WS = RWORK(2*NOBS+1..),
// FS = RWORK(3*NOBS+1..), IWORK, SCRATCH = RWORK(4*NOBS+1..).
void R4ORP(int NOBS, const float* X, int LDX, int IRSP, int IND, int IFRQ, int IWT, int MAXDEG,
           int ICRIT, float CRIT, int LOF, int& NDEG, float& XSCALE, float& XSHIFT, float* RECA,
           float* RECB, float* OCOEF, float* D, float& DFE, float& SSE, float& DFPE, float& SSPE,
           int& NMISSR, float* XS, float* YS, float* WS, float* FS, int* IWORK, float* SCRATCH);

}  // namespace polylsq
