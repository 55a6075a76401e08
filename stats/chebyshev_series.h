// Chebyshev series: evaluation by Clenshaw's recurrence and the number of terms needed for
// an accuracy. The building blocks of the single-precision special functions; each pushes
// its own name and reports through the error handler.
#pragma once

namespace polylsq {

// The sum of the first N terms of the series with coefficients CS (entry j multiplies
// T_(j-1), the first halved) at X. N outside 1..1000: terminal error (codes 5, 6) and the
// NaN AMACH(6). X outside [-1.1, 1.1]: warning (code 7), the sum is still formed; a NaN X
// ends the run through the invalid-operation trap.
float CSEVL(float X, const float* CS, int N);
// The number of leading terms of OS(1..NOS) to use so that the terms left out sum, in
// absolute value, to at most ETA.
// NOS < 1 (code 5) or all NOS terms needed (code 6): terminal error and 0.
int INITS(const float* OS, int NOS, float ETA);

}  // namespace polylsq
