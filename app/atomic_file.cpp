// Complete-or-nothing file writes: a temporary file beside the target, then a rename.
#include "app/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>

#include "app/utf8_path.h"

namespace polylsq::app {
namespace {

// A name in the target's folder that no other writer picks: the target's name, a dot in
// front (hidden where that means anything) and a random suffix.
std::filesystem::path temporary_beside(const std::filesystem::path& path) {
  std::random_device entropy;
  const auto suffix = std::to_string(entropy()) + std::to_string(entropy());
  return path.parent_path() / utf8_path("." + utf8_name(path.filename()) + "." + suffix + ".tmp");
}

std::string failure(const std::string& path, const std::string& reason) {
  return "cannot write " + path + ": " + reason;
}

}  // namespace

std::optional<std::string> write_file_atomically(const std::string& path, std::string_view bytes) {
  const std::filesystem::path target = utf8_path(path);
  std::error_code error;
  if (std::filesystem::is_directory(target, error)) return failure(path, "it is a folder");
  const std::filesystem::path temporary = temporary_beside(target);
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return failure(path, std::strerror(errno));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      const std::string reason = std::strerror(errno);
      out.close();
      std::filesystem::remove(temporary, error);
      return failure(path, reason);
    }
  }
  std::filesystem::rename(temporary, target, error);
  if (error) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return failure(path, error.message());
  }
  return std::nullopt;
}

}  // namespace polylsq::app
