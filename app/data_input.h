// The data that `fit` and `check` read: the file named on the command line, or standard
// input for "-". A folder is refused by name before anything is read.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <variant>

namespace polylsq::app {

// The name that messages give the data: the file name, "standard input" for "-".
std::string data_display_name(const std::string& data_file);

// The data opened for reading in binary mode (standard input for "-"), or why not
// ("data: is a folder", "data: cannot be opened"). Close it with close_data.
std::variant<std::FILE*, std::string> open_data(const std::string& data_file);
void close_data(std::FILE* file);

// Reads the whole data once into `bytes` (a pipe to its end); std::nullopt on success,
// else why not ("data: could not be read").
std::optional<std::string> read_whole_data(const std::string& data_file, std::string& bytes);

}  // namespace polylsq::app
