// Whole files as byte strings, for tests that plant data files and read back what a run
// wrote. Depends on the standard library only, so the fuzz targets use it too.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace polylsq::testing {

// The bytes of the regular file at `path`; nullopt when there is none or it cannot be read.
std::optional<std::string> read_file(const std::filesystem::path& path);

// Replaces the file at `path` with `bytes`; false when it cannot be written in full.
bool write_file(const std::filesystem::path& path, std::string_view bytes);

}  // namespace polylsq::testing
