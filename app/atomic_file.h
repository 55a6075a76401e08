// Files that the accurate fit writes on request (a picture, a table of residuals): written
// completely or not at all, so that a reader never meets half a file and an old file is
// either kept whole or replaced whole; or written through where the target is no file to
// replace (a character device, a pipe, a descriptor of the process).
#pragma once

#include <string>
#include <string_view>

#include "text/expected.h"

namespace polylsq::app {

// Writes `bytes` to the output named `path` (a UTF-8 file name; links followed, see
// output_target.h): into a new temporary file in the folder of the file that `path` leads
// to, then renamed onto it; a target that is written through gets the bytes directly.
// A temporary file goes with an interrupting signal (platform::replace_file). Errors:
// kCannotWrite, saying why ("cannot write out/plot.svg: No such file or directory"); a
// replaced file is then as it was.
Expected<void> write_file_atomically(const std::string& path, std::string_view bytes);

}  // namespace polylsq::app
