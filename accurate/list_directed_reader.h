// The observations of a data file, read the way the legacy program reads them: one
// list-directed read of two reals (x, y) per observation, each converted to double.
//
// A read starts at the next line and takes further lines until x and y have values; the
// rest of its last line is skipped. Values are separated by blanks, tabs, a comma (with
// optional blanks) or the end of a line. r*v is r repetitions of v, r* is r null values
// (r an unsigned decimal from 1 to 2^31-1); a null value (",," or a comma before the first
// value of a read) leaves its item at 0; a slash ends the read, leaving the rest at 0.
#pragma once

#include <optional>
#include <string>

#include "accurate/line_source.h"
#include "accurate/value_column.h"

namespace polylsq::accurate {

// Reads `count` observations from `lines`, whose next line starts the first one, appending
// them to `x` and `y`; no line after the last observation is read. Returns the message of
// the first failure, naming the line and quoting the text: a value that is not a real, a
// bad repeat count, a value beyond the double range, a file that ends first, a file that
// cannot be read. Observations completed before a failure stay appended.
std::optional<std::string> read_list_observations(LineSource& lines, int count, ValueColumn& x,
                                                  ValueColumn& y);

}  // namespace polylsq::accurate
