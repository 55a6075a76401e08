// The data that `fit` and `check` read: the file named on the command line, or standard
// input for "-". A folder is refused by name before anything is read.
#pragma once

#include <cstdio>
#include <string>

#include "text/expected.h"

namespace polylsq::app {

// The name that messages give the data: the file name, "standard input" for "-".
std::string data_display_name(const std::string& data_file);

// The data opened for reading in binary mode (standard input for "-"), or why not
// ("data: is a folder", "data: cannot be opened"). Close it with close_data.
Expected<std::FILE*> open_data(const std::string& data_file);
void close_data(std::FILE* file);

// The whole data, read once (a pipe to its end), or why not ("data: could not be read").
Expected<std::string> read_whole_data(const std::string& data_file);

}  // namespace polylsq::app
