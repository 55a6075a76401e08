// `polylsq fit`: read the data in double precision, fit each series, report, write the
// picture and tables asked for.
#pragma once

#include "app/command_line.h"

namespace polylsq::app {

// Runs the accurate fit of every series that `run` asks for (of the degree given, the data
// file's, or with --degree auto the one its criterion recommends from each series' own
// degree table) and returns the exit status: 0 a fit (warnings allowed), 1 unreadable or
// bad data (a column the file does not have, a file of x values that cannot be read), a
// degree table or a fit that cannot be made, or a picture or table that cannot be written
// (the report is shown all the same), 2 plain columns without --degree or an output
// refused by refuse_outputs (output_target.h; nothing read, shown or written then).
// Reports go to standard output, errors to standard error as "polylsq: <message>"; no
// file but the outputs asked for is written.
int run_fit(const FitRun& run);

}  // namespace polylsq::app
