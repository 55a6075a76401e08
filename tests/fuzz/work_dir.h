// A private working folder for a fuzz target's data and result files, removed at exit.
// It lies on a memory file system where there is one: a disk file system may flush a file
// that is cut and rewritten at every close, which costs more than the run itself.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace polylsq::fuzz {

inline std::string& work_dir_path() {
  static std::string path;
  return path;
}

// Creates "<base>/<prefix>XXXXXX" and makes it the working directory; false on failure.
inline bool enter_private_work_dir(const std::string& prefix) {
  std::error_code ec;
  const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                         ? std::filesystem::path("/dev/shm")
                                         : std::filesystem::temp_directory_path();
  std::string dir = (base / (prefix + "XXXXXX")).string();
  if (::mkdtemp(dir.data()) == nullptr || ::chdir(dir.c_str()) != 0) return false;
  work_dir_path() = dir;
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(work_dir_path(), ignored);
  });
  return true;
}

}  // namespace polylsq::fuzz
