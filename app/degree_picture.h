// The picture that `degrees --plot` writes: the observations of one series with the fit of
// the recommended degree (solid, its residuals drawn) and the fits of the degrees next to
// it in the table (dashed), so that a user sees what one degree more or less would change.
#pragma once

#include <string>

#include "accurate/degree_table.h"
#include "input/series.h"
#include "text/expected.h"

namespace polylsq::app {

// Draws the picture of `series` and its `table` into the SVG file `path`, completely or
// not at all. Errors: a fit of one of the degrees drawn that cannot be made, and those of
// write_file_atomically.
Expected<void> draw_degrees(const std::string& path, const input::Series& series, const accurate::DegreeTable& table,
                            accurate::DegreeCriterion criterion);

}  // namespace polylsq::app
