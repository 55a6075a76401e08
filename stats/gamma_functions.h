// Single-precision gamma and beta functions and their helpers, built on Chebyshev series.
//
// Each routine pushes its own name and reports through the error handler; a result
// starts as the NaN AMACH(6) and stays NaN after a terminal error. Term counts and
// bounds are computed on the first call and kept for the process. Every stored value is
// a float; each step is computed in double and rounded when stored.
#pragma once

namespace polylsq {

void R9GAML(float& XMIN, float& XMAX);              // gamma neither underflows nor overflows
float R9LGMC(float X);                              // Stirling correction, X >= 10
float GAMMA(float X);
float ALNGAM(float X);                              // ln |GAMMA(X)|
float ALNREL(float X);                              // ln(1 + X), X > -1
float ALBETA(float A, float B);                     // ln B(A, B), A, B > 0

}  // namespace polylsq
