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

// Character devices a test may plant in its own folder, by their Linux numbers.
struct DeviceNumbers {
  unsigned major;
  unsigned minor;
};
inline constexpr DeviceNumbers kNullDevice{1, 3};  // discards what is written
inline constexpr DeviceNumbers kFullDevice{1, 7};  // every write fails: no space left

// Makes the character device `numbers` at `path` (a path inside the test's own folder);
// false when it cannot be made (mknod needs root).
bool make_character_device(const std::filesystem::path& path, DeviceNumbers numbers);

}  // namespace polylsq::testing
