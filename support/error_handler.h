// The error handler: name stack, message parameters, pending message, printing and
// stopping by error type.
//
// Every library routine pushes its name on entry (E1PSH, the name blank-padded to six
// characters, "RCURV ") and pops it on every exit (E1POP, the bare name). Between the two
// it may store parameters (MSG_SET_*) and record an error (E1MES) with a type:
//   1 note, 2 alert, 3 warning, 4 fatal, 5 terminal, 6 warning shown at once,
//   7 fatal shown at once; 0 clears the level's error; -1 keeps the stored type.
// Records go to the unit that UMACH gives for index 3; a stop goes through recio::stop.
// The whole state lives in error_handler.cpp.
#pragma once

#include <string_view>

namespace polylsq {

void E1PSH(std::string_view NAME);
void E1POP(std::string_view NAME);
// MSG is the message text with its placeholders "%(I1)", "%(R2)", "%(L1)" ...
void E1MES(int IERTYP, int IERCOD, std::string_view MSG);

void MSG_SET_INT(int N, int IVALUE);
void MSG_SET_REAL(int N, float RVALUE);
// N < 0 keeps the trailing blanks of TEXT; the placeholder uses |N|.
void MSG_SET_TEXT(int N, std::string_view TEXT);

// Read access for the queries of error_queries.h.
int error_level();
int error_type_at(int level);
int error_code_at(int level);
// Places `text` (already beginning with ".  ") in the pending message, records type 5,
// code 1 at the current level, prints it at once and stops the run: the failure of a
// query called with a wrong argument.
void error_terminal_direct(std::string_view text);

}  // namespace polylsq
