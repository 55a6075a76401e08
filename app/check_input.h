// What the legacy computation of `polylsq check` reads when the command line chooses the
// degree or columns: a data file in the legacy layout made from the data as `fit` reads
// them, each value the text of its own cell, so that the legacy reader rounds it once to
// single precision as it rounds the values of a data file.
#pragma once

#include <string>
#include <string_view>

#include "input/data_reader.h"

namespace polylsq::app {

// The legacy data file of `data`, read from `contents` with source lines recorded:
// - a data file: `contents` with its first line that is not blank replaced by `degree`;
// - plain columns (one series, lines and columns known): the degree line, the count line,
//   then the x and y cells of each observation's source line, a decimal comma written as a
//   point.
std::string legacy_data_of(const input::DataSet& data, std::string_view contents, int degree);

}  // namespace polylsq::app
