// The orthogonal polynomial generator: weighted least squares on sorted rows by a
// three-term recurrence on abscissas scaled to [-2, 2], with the degree chosen by ICRIT
// (0 up to MAXDEG, 1 R-squared reaches CRIT percent, 2 lack of fit not significant),
// pure error when LOF = 1, and the constant-data and perfect-fit messages.
#pragma once

namespace polylsq {

// The fit of R2ORP on the rows its data pass keeps. Arguments are not checked (R2ORP has
// done so).
//
//   NV             read: rows, >= 1
//   XS             read, NV: the abscissas in ascending order; on return the scaled
//                  abscissas z = XSCALE*x + XSHIFT (unchanged after a type 4 error)
//   YS             read, NV: the responses
//   WS             read, NV: the weights of the rows, frequency times weight
//   FS             read, NV: the frequencies; their sum counts the observations
//   MAXDEG, ICRIT, CRIT, LOF  read, as R2ORP takes them
//   NDEG .. SSPE   written, as R2ORP gives them (DFPE and SSPE only when LOF = 1)
//   IWORK          written, NV: the number of rows of each distinct abscissa in ascending
//                  order, then zeros
//   RWORK          scratch, NV x 4 (leading dimension NV)
//
// Rejected with a type 4 error, nothing written but IWORK: every abscissa equal (code 7,
// IWORK untouched too); every weight zero (code 8); with LOF = 1, a distinct abscissa whose
// rows all weigh zero (code 9). Otherwise the fit is made, with these messages: type 6,
// code 11, the fit of degree NDEG is perfect within machine precision; then at most one
// type 3: code 4, the response is constant (degree 0, SSE = 0, and SSPE = 0 when LOF = 1);
// code 5, the degree is held below MAXDEG by the number of distinct abscissas; code 6
// (ICRIT = 0), a perfect fit stopped it below MAXDEG. A NaN met in the degree loop ends the
// run through the invalid-operation trap.
void R3ORP(int NV, float* XS, const float* YS, const float* WS, const float* FS, int MAXDEG,
           int ICRIT, float CRIT, int LOF, int& NDEG, float& XSCALE, float& XSHIFT, float* RECA,
           float* RECB, float* OCOEF, float* D, float& DFE, float& SSE, float& DFPE, float& SSPE,
           int* IWORK, float* RWORK);

}  // namespace polylsq
