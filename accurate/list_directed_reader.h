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

// Reads the two header statements of a data file the way the legacy program reads them:
// the degree, then the count, one integer read statement each (a statement starts at the
// next line, may take further lines, and skips the rest of its last one: a first line
// "3 7" gives the degree 3). Items a read leaves unset (a null value, a slash) keep their
// values. Returns the message of the first failure, as read_list_observations does.
std::optional<std::string> read_list_header(LineSource& lines, int& degree, int& count);

}  // namespace polylsq::accurate
