// `polylsq check`: the legacy computation and the accurate one on the same data file.
#pragma once

#include "app/command_line.h"

namespace polylsq::app {

// Runs the legacy computation (its messages shown as the legacy run shows them: on standard
// output, or on standard error with --json) and the accurate fit of the same file at the
// legacy degree, shows the comparison and returns 0 when no figure is marked, 4 when one
// is, 1 when the data cannot be read (a folder), the accurate side cannot read or fit
// them or the picture cannot be written. As in the legacy run, a failing read ends the process with the run-time's report
// (status 1) and NDEG above 5 or a TERMINAL or FATAL message with the stop (status 3).
// The data are read once (a pipe or standard input, "-", works as a file); an output
// refused by refuse_outputs (output_target.h) is status 2 before they are read. Writes no
// result file and never pauses.
int run_check(const CheckRun& run);

}  // namespace polylsq::app
