// Files that the accurate fit writes on request (a picture, a table of residuals): written
// completely or not at all, so that a reader never meets half a file and an old file is
// either kept whole or replaced whole.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace polylsq::app {

// Writes `bytes` into a new temporary file in the folder of `path` (a UTF-8 file name),
// then renames it onto `path` (replacing a file of that name). Returns std::nullopt on success, else why the
// file could not be written ("cannot write out/plot.svg: No such file or directory"); the
// temporary file is then removed and `path` is left as it was.
std::optional<std::string> write_file_atomically(const std::string& path, std::string_view bytes);

}  // namespace polylsq::app
