// File names on the command line are UTF-8 on every platform. A std::filesystem::path
// made from a narrow string reads it in the system's code page on Windows; these helpers
// read and give UTF-8 instead (on POSIX systems the bytes pass as they are).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace polylsq::app {

// The path that the UTF-8 file name `name` stands for.
std::filesystem::path utf8_path(std::string_view name);

// The path's name as UTF-8, for messages.
std::string utf8_name(const std::filesystem::path& path);

}  // namespace polylsq::app
