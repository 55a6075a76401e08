// Frequency and weight of one row of a data matrix.
//
// ISTAT: 0 usable (FRQ, WT set); 1 frequency exactly 0 (WT not assigned); 2 frequency or
// weight missing (NMISS changed by INC); 3 negative frequency or weight (type 4 error
// issued, code 2 for a frequency, 1 for a weight). INVOKE > 0 selects the long messages
// that name INVNUM. The ninth argument is not read.
#pragma once

namespace polylsq {

void C1WFR(int INVOKE, int INVNUM, const float* X, int LDX, int IROW, int INC, int IFRQ, int IWT,
           float UNUSED, int& NMISS, float& FRQ, float& WT, int& ISTAT);

}  // namespace polylsq
