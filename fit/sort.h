// Quicksort of a real vector into ascending order, carrying an integer vector along.
// RB may be RA itself. IPERM(k) ends beside the value that moved to RB(k). The sort is not
// stable; equal values are never exchanged by the scan. N <= 0: type 5, code 1.
#pragma once

namespace polylsq {

void SVRGP(int N, const float* RA, float* RB, int* IPERM);

}  // namespace polylsq
