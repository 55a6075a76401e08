// The error handler: the routine-name stack, the error recorded at each level, and the
// printing and stopping of messages by type.
//
// Every library routine pushes its name on entry (E1PSH, the name blank-padded to six
// characters, "RCURV ") and pops it on every exit (E1POP, the bare name); RoutineName
// (routine_name.h) does both. Between the two it may store parameters (MSG_SET_*,
// message_parameters.h) and record an error (E1MES) with a type:
//   1 note, 2 alert, 3 warning, 4 fatal, 5 terminal, 6 warning shown at once,
//   7 fatal shown at once; 0 clears the level's error; -1 keeps the stored type.
// Records go to the unit that UMACH gives for index 3 (laid out by message_layout.h); a
// stop goes through recio::stop. The state lives in error_state.h.
#pragma once

#include <string_view>

#include "support/message_parameters.h"

namespace polylsq {

void E1PSH(std::string_view NAME);
void E1POP(std::string_view NAME);
// MSG is the message text with its placeholders "%(I1)", "%(R2)", "%(L1)" ...
void E1MES(int IERTYP, int IERCOD, std::string_view MSG);

// Read access for the queries of error_queries.h.
int error_level();
int error_type_at(int level);
int error_code_at(int level);
// Places `text` (already beginning with ".  ") in the pending message, records type 5,
// code 1 at the current level, prints it at once and stops the run: the failure of a
// query called with a wrong argument.
[[noreturn]] void error_terminal_direct(std::string_view text);

}  // namespace polylsq
