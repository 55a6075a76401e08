// A private temporary folder that goes away with its contents when the object goes: one
// per test, so that tests running at the same time never share a file. Depends on the
// standard library and POSIX only, so the fuzz targets use it too.
#pragma once

#include <filesystem>
#include <string_view>

namespace polylsq::testing {

class TempDir {
 public:
  // Creates "<base>/<prefix>XXXXXX"; path() is empty when that fails.
  explicit TempDir(std::string_view prefix,
                   const std::filesystem::path& base = std::filesystem::temp_directory_path());
  // Removes the folder and everything in it, first giving the owner back write permission
  // on the folder (a test may have taken it away).
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace polylsq::testing
