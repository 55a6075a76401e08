// Power-series coefficients in x, and their variances, of a fit in orthogonal
// polynomials of z = XSCALE*x + XSHIFT. No checks, no messages, no name pushed.
// WORK is column-major with leading dimension LDWORK = NDEG+1: 4 columns for
// ORTHO_TO_POWER, NDEG+3 for COEF_VARIANCES.
#pragma once

namespace polylsq {

// COEF: on entry OCOEF(1..NDEG+1), on return the coefficients of x^0 .. x^NDEG.
void ORTHO_TO_POWER(int NDEG, float* COEF, const float* RECA, const float* RECB, float XSCALE,
                    float XSHIFT, float* WORK, int LDWORK);
// VAR: on entry the variances of OCOEF, on return those of the power-series coefficients.
void COEF_VARIANCES(int NDEG, float* VAR, const float* RECA, const float* RECB, float XSCALE,
                    float XSHIFT, float* WORK, int LDWORK);

}  // namespace polylsq
