// `polylsq degrees`: the degree table of each series of the data, and which degree each
// criterion recommends.
#pragma once

#include "app/command_line.h"

namespace polylsq::app {

// Reads the data as `fit` reads them (a data file's degree line ignored), makes the table
// of each series up to run.max_degree, shows the report (degree_report.h) and draws the
// picture asked for (degree_picture.h; of the first series). Returns 0 for the tables
// (warnings allowed), 1 for unreadable or bad data, a table that cannot be made (nothing
// shown then) or a picture that cannot be written (the report is shown all the same), 2 for
// an output refused by refuse_outputs (output_target.h; nothing read, shown or written).
// Errors go to standard error as "polylsq: <message>".
int run_degrees(const DegreesRun& run);

}  // namespace polylsq::app
