// The error handler's state, its initialisation on first use and the test-only reset.
#include "support/error_state.h"

#include <string_view>

#include "support/testing.h"

namespace polylsq {

ErrorHandlerState error_handler_state;

void ERR_INIT() {
  ErrorHandlerState& s = error_handler_state;
  s.level = 1;
  s.max_level = kMaxErrorLevel;
  for (int k = 0; k <= kErrorLevelSlots; ++k) {
    for (int i = 0; i < kRoutineNameWidth; ++i) s.routine_name[k][i] = ' ';
    s.err_type[k] = -1;
    s.err_code[k] = -1;
    s.user_called[k] = false;
  }
  const std::string_view user = "USER";
  for (std::size_t i = 0; i < user.size(); ++i) s.routine_name[1][i] = user[i];
  s.err_type[1] = 0;
  s.err_code[1] = 0;
  s.user_called[2] = true;
  s.msg_len = 0;
  s.param_end = 1;
  const int print_on[kErrorTypes] = {0, 0, 1, 1, 1, 1, 1};
  const int stop_on[kErrorTypes] = {0, 0, 0, 1, 1, 0, 1};
  for (int t = 1; t <= kErrorTypes; ++t) {
    s.print_on[t] = print_on[t - 1];
    s.stop_on[t] = stop_on[t - 1];
    s.trace_on[t] = 1;
  }
  s.print_on[0] = s.stop_on[0] = s.trace_on[0] = 0;
  s.immediate_warning_flag = 0;
  s.immediate_fatal_flag = 0;
  s.init_done = true;
}

void error_handler_reset_for_tests() {
  error_handler_state = ErrorHandlerState{};
}

}  // namespace polylsq
