// The data that `fit` and `check` read: the file named on the command line, or standard
// input for "-". A folder is refused by name before anything is read.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/command_line.h"
#include "input/data_reader.h"
#include "text/expected.h"

namespace polylsq::app {

// The name that messages give the data: the file name, "standard input" for "-".
std::string data_display_name(const std::string& data_file);

// The whole data, read once (a pipe to its end), or why not ("data: is a folder", "data:
// cannot be opened", "data: could not be read").
Expected<std::string> read_whole_data(const std::string& data_file);

// The observations of the data as the accurate reader reads them with `options`: from the
// file (or standard input), or from `contents` where the caller has read them already.
// Errors: those of read_whole_data and of input::read_data, the data named by
// data_display_name.
Expected<input::DataSet> read_observations(const std::string& data_file, const input::ReadOptions& options,
                                           std::optional<std::string_view> contents = std::nullopt);

// How to read the data of `options`: its columns and weights, with the source line of each
// observation when `source_lines` (an output or a report names them).
input::ReadOptions read_options_of(const InputOptions& options, bool source_lines);

// The x values of the file of predictions `x_file` ("-": standard input), read as
// input::read_x_values reads them; errors as read_observations gives them.
Expected<input::XValues> read_prediction_x(const std::string& x_file);

}  // namespace polylsq::app
