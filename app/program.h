// The legacy run: one run from the data file ("B2F.txt") to the result file ("F2B.txt"),
// the console report, the pause for the Enter key and the stop.
#pragma once

#include "app/command_line.h"

namespace polylsq::app {

// Runs the whole legacy program: banner; NDEG, NOBS and the NOBS pairs (x, y) read from
// the data file; the fit by RCURV; B(1..6) and R-squared written to the result file; the
// report on the console; one console line read (unless `run.pause` is off); the stop.
// NDEG above 5 is rejected right after it is read, before anything else is read.
// Every end of the run goes through the run-time (the stop, or a run-time error report)
// or the error handler's stop: it never returns.
[[noreturn]] void run_program(const LegacyRun& run = {});

}  // namespace polylsq::app
