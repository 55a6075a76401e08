// The observations of a data file, read the way the legacy program reads them: one
// list-directed read statement of two reals (x, y) per observation (text/list_scan.h),
// each value converted to double. Items that a statement leaves unset (a null value, a
// slash) are 0.
#pragma once

#include "input/line_source.h"
#include "input/value_column.h"
#include "text/expected.h"

namespace polylsq::input {

// Reads `count` observations from `lines`, whose next line starts the first one, appending
// them to `x` and `y`; no line after the last observation is read. Fails with the first
// failure, its message naming the line and quoting the value (text::quote_value): a value
// that is not a real, a bad repeat count, a value beyond the double range, a file that
// ends first (kBadData); a file that cannot be read (the line source's error).
// Observations completed before a failure stay appended. With `line_numbers`, the line
// where each observation's read ends is appended to it.
Expected<void> read_list_observations(LineSource& lines, int count, ValueColumn& x,
                                      ValueColumn& y, LineColumn* line_numbers = nullptr);

// Reads the two header statements of a data file the way the legacy program reads them:
// the degree, then the count, one integer read statement each (a statement starts at the
// next line, may take further lines, and skips the rest of its last one: a first line
// "3 7" gives the degree 3). Items a read leaves unset (a null value, a slash) keep their
// values. Fails as read_list_observations does.
Expected<void> read_list_header(LineSource& lines, int& degree, int& count);

}  // namespace polylsq::input
