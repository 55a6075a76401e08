// How the commands end: the exit status that only `check` gives (the legacy run's own are
// in recio/exit_status.h), and the one way a command reports a failure on standard error.
#pragma once

#include <string>
#include <string_view>

#include "recio/exit_status.h"

namespace polylsq::app {

// `polylsq check` found a legacy figure, or the printed curve, that the accurate fit
// contradicts.
inline constexpr int kExitCheckDisagrees = 4;

// "polylsq: MESSAGE" and a line end on standard error; returns `status`.
int fail(std::string_view message, int status = kExitRuntimeError);

// Where to read more after a wrong command line: "Run 'polylsq fit --help' for usage."
// for the command "fit", "Run 'polylsq --help' for usage." for "" (the program's own).
std::string help_pointer(std::string_view command);

// A wrong command line: fail() with the message and, on the next line, the help pointer
// of `command`; returns the status of a command-line error.
int usage_error(std::string_view message, std::string_view command);

}  // namespace polylsq::app
