// A private working folder for a fuzz target's data and result files, removed at exit.
// It lies on a memory file system where there is one: a disk file system may flush a file
// that is cut and rewritten at every close, which costs more than the run itself.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string_view>
#include <system_error>

#include "support_lib/temp_dir.h"

namespace polylsq::fuzz {

// Makes a fresh "<base>/<prefix>XXXXXX" the working directory for the rest of the process
// (one per process); false on failure.
inline bool enter_private_work_dir(std::string_view prefix) {
  std::error_code ec;
  static const testing::TempDir dir(prefix, std::filesystem::is_directory("/dev/shm", ec)
                                                ? std::filesystem::path("/dev/shm")
                                                : std::filesystem::temp_directory_path());
  return !dir.path().empty() && ::chdir(dir.path().c_str()) == 0;
}

}  // namespace polylsq::fuzz
