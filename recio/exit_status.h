// The exit statuses of the legacy run, which the commands share, one meaning each, so that a
// calling script can tell a result from a failure.
#pragma once

namespace polylsq {

// The run reached its results (the legacy run: its report, with the result file written;
// warnings allowed).
constexpr int kExitResults = 0;
// A run-time error report on standard error (input or output, memory, arithmetic trap).
constexpr int kExitRuntimeError = 1;
// The command line is wrong; nothing was read, created or changed.
constexpr int kExitUsage = 2;
// A TERMINAL or FATAL message of the error handler stopped the run; the result file was
// not written.
constexpr int kExitStoppedByMessage = 3;

}  // namespace polylsq
