// The orthogonal polynomial generator: weighted least squares on sorted rows by a
// three-term recurrence on abscissas scaled to [-2, 2], with the degree chosen by ICRIT
// (0 up to MAXDEG, 1 R-squared reaches CRIT percent, 2 lack of fit not significant),
// pure error when LOF = 1, and the constant-data and perfect-fit messages.
// RWORK: NV x 4 (leading dimension NV); IWORK: NV, on return the run lengths of the
// distinct abscissas. Arguments are not checked (R2ORP has done so); data whose weights
// would make a weighted mean 0/0 are rejected with a type 4 error (code 8: every combined
// weight zero; code 9: with LOF = 1, a distinct abscissa whose rows all weigh zero).
#pragma once

namespace polylsq {

void R3ORP(int NV, float* XS, const float* YS, const float* WS, const float* FS, int MAXDEG,
           int ICRIT, float CRIT, int LOF, int& NDEG, float& XSCALE, float& XSHIFT, float* RECA,
           float* RECB, float* OCOEF, float* D, float& DFE, float& SSE, float& DFPE, float& SSPE,
           int* IWORK, float* RWORK);

}  // namespace polylsq
