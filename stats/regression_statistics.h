// Statistics of a polynomial regression fitted in orthogonal polynomials: power-series
// coefficients with standard errors, t and probabilities (COEF), sequential sums of
// squares with F and probabilities (SQSS), lack-of-fit tests (TLOF) and the 15-element
// analysis-of-variance summary (AOV). Quotients go through SAFE_DIV: degenerate data give
// NaN or infinity, never a trap. Argument errors are terminal and leave outputs unchanged.
#pragma once

#include <string_view>

namespace polylsq {

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
void CHECK_NONNEG(float VALUE, std::string_view NAME, int& CODE);
// NNAME beginning with "*" skips the check of N.
void CHECK_DIM_PAIR(int LOWER, int N, std::string_view NNAME, int LD, std::string_view LDNAME,
                    int& CODE);

}  // namespace polylsq
