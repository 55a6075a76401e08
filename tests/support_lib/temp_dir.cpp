// A private temporary folder, removed with its contents at the end of its scope.
#include "support_lib/temp_dir.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <string>
#include <system_error>

namespace polylsq::testing {

namespace fs = std::filesystem;

TempDir::TempDir(std::string_view prefix, const fs::path& base) {
  std::string pattern = (base / (std::string(prefix) + "XXXXXX")).string();
  if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempDir::~TempDir() {
  if (path_.empty()) return;
  std::error_code ignored;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

bool make_character_device(const std::filesystem::path& path, DeviceNumbers numbers) {
  return ::mknod(path.c_str(), S_IFCHR | 0666, makedev(numbers.major, numbers.minor)) == 0;
}

}  // namespace polylsq::testing
