// Queries of the error state recorded at the calling routine's level or left by its
// latest callee.
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

bool error_recorded_here() { return N1RCD(0) != 0; }

}  // namespace polylsq
