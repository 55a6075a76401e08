// The shared argument checks: range and order of integers, column numbers, nonnegative
// reals and dimension pairs, each reported at the calling routine's level.
#include "support/argument_checks.h"

#include "recio/fpenv.h"
#include "support/error_handler.h"

namespace polylsq {
namespace {

constexpr std::string_view kNonnegMsg =
    "%(L1) = %(R1).  %(L1) must be greater than or equal to zero.";

}  // namespace

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

void CHECK_COLUMN(int LOWER, int ICOLUMN, std::string_view NAME, int NCOL,
                  std::string_view NCOLNAME, int& CODE) {
  CHECK_INT_RANGE(ICOLUMN, NAME, LOWER, -1, CODE);
  if (NCOL > 0) {
    CHECK_INT_ORDER(ICOLUMN, NAME, NCOL, NCOLNAME, CODE);
  } else {
    CODE += 1;
  }
}

void CHECK_NONNEG(float VALUE, std::string_view NAME, int& CODE) {
  if (recio::ordered_lt(VALUE, 0.0)) {
    MSG_SET_REAL(1, VALUE);
    MSG_SET_TEXT(1, NAME);
    E1MES(5, CODE, kNonnegMsg);
  }
  ++CODE;
}

void CHECK_DIM_PAIR(int LOWER, int N, std::string_view NNAME, int LD, std::string_view LDNAME,
                    int& CODE) {
  std::string_view name = NNAME;
  if (!name.empty() && name.front() == '*') {
    name.remove_prefix(1);  // N is not checked
    ++CODE;
  } else {
    CHECK_INT_RANGE(N, name, LOWER, -1, CODE);
  }
  CHECK_INT_RANGE(LD, LDNAME, 1, -1, CODE);
  if (LD <= 0) {
    ++CODE;
  } else {
    CHECK_INT_ORDER(N, name, LD, LDNAME, CODE);
  }
}

}  // namespace polylsq
