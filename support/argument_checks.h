// The shared argument checks of the library's routines. Each records a terminal error
// (type 5) with code CODE at the calling routine's level when its check fails, and registers
// no name of its own; each advances CODE by the number of checks it stands for, whether or
// not they fail, so that a routine's checks keep their codes in order.
#pragma once

#include <string_view>

namespace polylsq {

// UPPER >= LOWER: LOWER <= IVAL <= UPPER; otherwise (UPPER = -1): IVAL >= LOWER.
// Failure: parameters I1 = IVAL, I2 = LOWER (I3 = UPPER), L1 = NAME. One code.
void CHECK_INT_RANGE(int IVAL, std::string_view NAME, int LOWER, int UPPER, int& CODE);
// IVAL1 <= IVAL2. Failure: I1, I2 = the values, L1, L2 = the names. One code.
void CHECK_INT_ORDER(int IVAL1, std::string_view NAME1, int IVAL2, std::string_view NAME2, int& CODE);
// LOWER <= ICOLUMN, then ICOLUMN <= NCOL when NCOL > 0. Two codes.
void CHECK_COLUMN(int LOWER, int ICOLUMN, std::string_view NAME, int NCOL,
                  std::string_view NCOLNAME, int& CODE);
// VALUE >= 0, compared ordered (a NaN ends the run through the invalid-operation trap).
// Failure: R1 = VALUE, L1 = NAME. One code.
void CHECK_NONNEG(float VALUE, std::string_view NAME, int& CODE);
// N >= LOWER (skipped when NNAME begins with "*"), LD >= 1, then N <= LD when LD > 0.
// Three codes.
void CHECK_DIM_PAIR(int LOWER, int N, std::string_view NNAME, int LD, std::string_view LDNAME,
                    int& CODE);

}  // namespace polylsq
