// Machine constants, unit numbers and the NaN test.
//
// AMACH(1..8): smallest normalised, largest finite, smallest and largest relative
// spacing, log10(2), quiet NaN, +infinity, -infinity; stored as bit patterns.
// IMACH(1..12): integer and floating-point format parameters. UMACH: the unit table
// (1 input 5, 2 output 6, 3 error messages 6), read with N > 0, set with N < 0.
// These are the only place for machine values: no bare 3.4e38f elsewhere.
#pragma once

namespace polylsq {

float AMACH(int N);
int IMACH(int N);
void UMACH(int N, int& NUNIT);
// True exactly for the NaN bit patterns, either sign, quiet or signalling; never compares.
bool IS_NAN(float X);

}  // namespace polylsq
