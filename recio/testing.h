// Test-only switches of the run-time: how the ends of a run leave, and a fresh run-time
// between tests. Included by tests, fuzz harnesses and benchmarks only;
// the program never changes these defaults.
#pragma once

#include <functional>
#include <string_view>

#include "recio/io.h"

namespace polylsq::recio {

// Called by the stop with its exit status, after the stop text and the unit closes.
// Default: exit the process. A hook must leave by throwing (the library holds no resource
// that an unwinding would leak); one that returns lets the process exit as by default.
using StopHook = std::function<void(int status)>;
// Called with the complete bytes of a run-time error report (I/O or math) after the owed
// console line end. Default: write them to fd 2 and exit with status 1. A hook must leave
// by throwing, as for the stop.
using FailureHook = std::function<void(std::string_view report)>;

// Called inside the SIGFPE handler (on Windows, the vectored exception handler) of a
// trapped floating-point exception with the trap's number and message (6104,
// "floating-point error: overflow") instead of the ": MATH" report. Default (nullptr): the
// owed console line end and the report on standard output and standard error, then the
// process ends at once with status 1. A hook must not return: an in-process harness leaves
// with siglongjmp (throwing from a signal handler is undefined) and makes the report
// outside the handler (detail::fail_math). Not reset by reset_runtime_for_tests.
using TrapHook = void (*)(int number, const char* message);
void set_trap_hook(TrapHook hook);

// Passing nullptr (an empty function) restores the default. The console sink is in io.h.
void set_stop_hook(StopHook hook);
void set_failure_hook(FailureHook hook);

// Closes every unit without writing, clears the pending-line flag and standard input's
// buffer, and restores the three defaults: a fresh run-time for the next test.
void reset_runtime_for_tests();

}  // namespace polylsq::recio
