// `polylsq fit`: read the data in double precision, fit, report, draw on request.
#pragma once

#include "app/command_line.h"

namespace polylsq::app {

// Runs the accurate fit that `run` asks for (of the degree given, the data file's, or with
// --degree auto the one its criterion recommends from the degree table) and returns the
// exit status: 0 a fit (warnings allowed), 1 unreadable or bad data, a degree table or a
// fit that cannot be made or a picture that cannot be written (the report is shown all
// the same), 2 plain columns without --degree or an output refused by refuse_outputs
// (output_target.h; nothing read, shown or written then). Reports go to standard output,
// errors to standard error as "polylsq: <message>"; no file but the outputs asked for is
// written.
int run_fit(const FitRun& run);

}  // namespace polylsq::app
