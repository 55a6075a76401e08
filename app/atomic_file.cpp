// Complete-or-nothing file writes: a temporary file beside the target, then a rename; or
// the bytes written through to a device, a pipe or a descriptor.
#include "app/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "app/output_target.h"
#include "app/utf8_path.h"
#include "recio/platform.h"

namespace polylsq::app {
namespace {

Error failure(const std::string& path, const std::string& reason) {
  return Error{ErrorKind::kCannotWrite, "cannot write " + path + ": " + reason};
}

// Appends, so that bytes already written to a descriptor of the process (the report on
// standard output) stay before them.
Expected<void> write_through(const std::string& path, std::string_view bytes) {
  std::FILE* file = recio::platform::open_c_file(path, "ab");
  if (file == nullptr) return failure(path, std::strerror(errno));
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  int error = errno;
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok) return failure(path, std::strerror(error));
  return {};
}

}  // namespace

Expected<void> write_file_atomically(const std::string& path, std::string_view bytes) {
  const OutputPlace place = place_of(path);
  if (place.type == std::filesystem::file_type::directory) return failure(path, "it is a folder");
  if (place.write_through) return write_through(path, bytes);
  if (const std::error_code error = recio::platform::replace_file(utf8_name(place.path), bytes)) {
    return failure(path, error.message());
  }
  return {};
}

}  // namespace polylsq::app
