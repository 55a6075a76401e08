// Queries of the error state, and the shared integer-argument checks.
//
// N1RTY(0) / N1RCD(0): the type / code recorded so far at the calling routine's own level;
// N1RTY(1) / N1RCD(1): those left by the routine that most recently returned to it
// (-1 when it has called none). Any other argument is a terminal error that stops the run.
// The checks register no name: their messages belong to the calling routine's level.
// Each check increases CODE by 1 whether or not it fails.
#pragma once

#include <string_view>

namespace polylsq {

int N1RTY(int I);
int N1RCD(int I);

// UPPER >= LOWER: LOWER <= IVAL <= UPPER; otherwise (UPPER = -1): IVAL >= LOWER.
// Failure: type 5, code CODE, parameters I1 = IVAL, I2 = LOWER (I3 = UPPER), L1 = NAME.
void CHECK_INT_RANGE(int IVAL, std::string_view NAME, int LOWER, int UPPER, int& CODE);
// IVAL1 <= IVAL2. Failure: type 5, code CODE, I1, I2 = the values, L1, L2 = the names.
void CHECK_INT_ORDER(int IVAL1, std::string_view NAME1, int IVAL2, std::string_view NAME2, int& CODE);

}  // namespace polylsq
