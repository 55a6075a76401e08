// Queries of the error state left by a routine or its callee, and the shared
// integer-argument checks whose messages belong to the calling routine's level.
#include "support/error_queries.h"

#include "support/error_handler.h"

namespace polylsq {

int N1RTY(int I) {
  if (I != 0 && I != 1) {
    error_terminal_direct(".  The argument passed to N1RTY must be 0 or 1.");
  }
  return error_type_at(error_level() + I);
}

int N1RCD(int I) {
  if (I != 0 && I != 1) {
    error_terminal_direct(".  The argument passed to N1RCD must be 0 or 1.");
  }
  return error_code_at(error_level() + I);
}

void CHECK_INT_RANGE(int IVAL, std::string_view NAME, int LOWER, int UPPER, int& CODE) {
  if (UPPER >= LOWER) {
    if (IVAL < LOWER || IVAL > UPPER) {
      MSG_SET_INT(1, IVAL);
      MSG_SET_INT(2, LOWER);
      MSG_SET_INT(3, UPPER);
      MSG_SET_TEXT(1, NAME);
      E1MES(5, CODE,
            "%(L1) = %(I1).  %(L1) must be greater than or equal to %(I2) and less than or "
            "equal to %(I3).");
    }
  } else if (IVAL < LOWER) {
    MSG_SET_INT(1, IVAL);
    MSG_SET_INT(2, LOWER);
    MSG_SET_TEXT(1, NAME);
    E1MES(5, CODE, "%(L1) = %(I1).  %(L1) must be greater than or equal to %(I2).");
  }
  CODE = CODE + 1;
}

void CHECK_INT_ORDER(int IVAL1, std::string_view NAME1, int IVAL2, std::string_view NAME2, int& CODE) {
  if (IVAL1 > IVAL2) {
    MSG_SET_INT(1, IVAL1);
    MSG_SET_INT(2, IVAL2);
    MSG_SET_TEXT(1, NAME1);
    MSG_SET_TEXT(2, NAME2);
    E1MES(5, CODE, "%(L1) = %(I1) and %(L2) = %(I2).  %(L1) must be less than or equal to %(L2).");
  }
  CODE = CODE + 1;
}

}  // namespace polylsq
