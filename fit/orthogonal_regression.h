// Orthogonal polynomial regression on the columns of a data matrix X (LDX x NCOL):
// R2ORP checks its arguments (every failure reported, type 5), R4ORP makes the data pass
// (missing rows, frequencies and weights, sort by the independent variable) and calls
// R3ORP. The caller supplies RWORK (8*NOBS reals) and IWORK (NOBS integers); nothing is
// allocated.
#pragma once

namespace polylsq {

// A polynomial of degree MAXDEG in orthogonal polynomials fitted to one column of X
// against another.
//
//   NOBS          read: rows of X, > 1 (code 1)
//   NCOL          read: columns of X, >= 1 (code 2)
//   X, LDX        read: NOBS x NCOL of LDX x NCOL, column-major; LDX >= NOBS (code 3,
//                 checked only when NOBS > 1). A row with a NaN in a column used is left
//                 out.
//   IRSP, IND     read: the columns of the response and of the independent variable,
//                 1..NCOL (codes 4-5 and 6-7: below 1, then above NCOL)
//   IFRQ, IWT     read: the columns of the frequencies and of the weights, 0 for none
//                 (all 1), else 1..NCOL (codes 8-9 and 10-11)
//   MAXDEG        read: the degree asked for, >= 0 (code 4)
//   ICRIT, CRIT   read: the stopping rule, 0 (fit MAXDEG, CRIT not read), 1 (stop once
//                 R-squared reaches CRIT percent, 0 < CRIT <= 100, code 9) or 2 (stop once
//                 the lack of fit is no longer significant at CRIT percent,
//                 0 <= CRIT <= 100, code 8); other values code 5
//   LOF           read: 1 for pure error and the lack-of-fit test, else 0 (code 6); ICRIT = 2
//                 needs LOF = 1 (code 7)
//   NDEG          written: the degree fitted, at most MAXDEG and below the number of
//                 distinct abscissas
//   XSCALE, XSHIFT written: the polynomials are in z = XSCALE*x + XSHIFT, z in [-2, 2]
//   RECA, RECB    written, MAXDEG each (1..NDEG set): the recurrence coefficients,
//                 p_k = (z - RECA(k)) p_(k-1) - RECB(k) p_(k-2), RECB(1) = 0
//   OCOEF         written, MAXDEG+1: the coefficients of p_0 .. p_NDEG, then zeros
//   D             written, MAXDEG+1 (1..NDEG+1 set): the weighted squared norms of
//                 p_0 .. p_NDEG
//   DFE, SSE      written: degrees of freedom and weighted sum of squares for error
//   DFPE, SSPE    written when LOF = 1, else not referenced: the same for pure error
//   NMISSR        written once the checks pass: rows left out for a NaN in a column used
//   RWORK         scratch, 8*NOBS reals
//   IWORK         scratch, NOBS integers
//
// Every check is made, each failure a type 5 message, in this order: NOBS, else LDX; NCOL;
// IRSP, IND, IFRQ, IWT; MAXDEG; ICRIT; LOF; ICRIT with LOF; CRIT. CRIT is compared ordered,
// so a NaN there ends the run. After a failed check nothing is written. The data pass then
// stops at the first negative frequency or weight (type 4 from C1WFR: code 2 for a
// frequency, 1 for a weight) and rejects data without a usable row (type 4, code 3); after
// either only NMISSR is written. Then R3ORP's outcomes (orthogonal_generator.h).
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
