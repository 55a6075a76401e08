// Opening and reading the data of `fit` and `check`.
#include "app/data_input.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/utf8_path.h"
#include "recio/platform.h"

namespace polylsq::app {
namespace {

// The data opened for reading in binary mode (standard input for "-"), or why not.
// Closed with close_data.
Expected<std::FILE*> open_data(const std::string& data_file) {
  if (data_file == "-") return stdin;
  std::error_code ignored;
  if (std::filesystem::is_directory(utf8_path(data_file), ignored)) {
    return Error{ErrorKind::kCannotRead, data_file + ": is a folder"};
  }
  std::FILE* file = recio::platform::open_c_file(data_file, "rb");
  if (file == nullptr) return Error{ErrorKind::kCannotRead, data_file + ": cannot be opened"};
  return file;
}

void close_data(std::FILE* file) {
  if (file != stdin) std::fclose(file);
}

Error unreadable(const std::string& data_file) {
  return Error{ErrorKind::kCannotRead, data_display_name(data_file) + ": could not be read"};
}

}  // namespace

std::string data_display_name(const std::string& data_file) {
  return data_file == "-" ? "standard input" : data_file;
}

Expected<std::string> read_whole_data(const std::string& data_file) {
  const Expected<std::FILE*> opened = open_data(data_file);
  if (!opened) return opened.error();
  std::FILE* file = *opened;
  std::string bytes;
  char chunk[65536];
  std::size_t n = 0;
  while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, n);
  const bool failed = std::ferror(file) != 0;
  close_data(file);
  if (failed) return unreadable(data_file);
  return bytes;
}

Expected<input::DataSet> read_observations(const std::string& data_file, const input::ReadOptions& options,
                                           std::optional<std::string_view> contents) {
  Expected<std::FILE*> file = contents ? Expected<std::FILE*>(recio::platform::open_memory_c_file(*contents))
                                       : open_data(data_file);
  if (!file) return file.error();
  if (*file == nullptr) return unreadable(data_file);
  Expected<input::DataSet> observations = input::read_data(*file, data_display_name(data_file), options);
  close_data(*file);
  return observations;
}

input::ReadOptions read_options_of(const InputOptions& options, bool source_lines) {
  input::ReadOptions read;
  read.weights = options.weights;
  read.x_column = options.x_column;
  read.y_columns = options.y_columns;
  read.weights_column = options.weights_column;
  read.source_lines = source_lines;
  return read;
}

Expected<input::XValues> read_prediction_x(const std::string& x_file) {
  const Expected<std::FILE*> file = open_data(x_file);
  if (!file) return file.error();
  Expected<input::XValues> values = input::read_x_values(*file, data_display_name(x_file), std::nullopt);
  close_data(*file);
  return values;
}

}  // namespace polylsq::app
