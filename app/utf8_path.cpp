// UTF-8 file names to paths and back, through the char8_t strings that std::filesystem
// converts as UTF-8 on every platform.
#include "app/utf8_path.h"

namespace polylsq::app {

std::filesystem::path utf8_path(std::string_view name) {
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

std::string utf8_name(const std::filesystem::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

}  // namespace polylsq::app
