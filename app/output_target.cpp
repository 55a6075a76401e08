// The output checks: where an output's bytes would go, whether that is an input or another
// output, and what kind of file is there now.
#include "app/output_target.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <system_error>

#include "app/utf8_path.h"

namespace polylsq::app {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxLinks = 40;  // links followed before giving up, as the system does
constexpr std::string_view kGeneratorMark = "<!-- Generator: polylsq -->";
// A picture's mark lies within its first bytes; a table's header is its first line.
constexpr std::size_t kMarkWindow = 512;
constexpr std::size_t kHeaderWindow = 256;

std::string upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

// NUL, CON and the other reserved names of Windows, whatever the folder and extension.
bool is_windows_device([[maybe_unused]] const fs::path& path) {
#ifdef _WIN32
  const std::string stem = upper(utf8_name(path.stem()));
  if (stem == "NUL" || stem == "CON" || stem == "PRN" || stem == "AUX") return true;
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) && stem[3] >= '1' &&
         stem[3] <= '9';
#else
  return false;
#endif
}

// A descriptor of the process by name: /dev/fd/N, and /proc/self/fd/N where /dev/stdout
// leads (anything under /proc is written where it is).
bool is_descriptor(const fs::path& path) {
  std::error_code error;
  const std::string text = fs::absolute(path, error).lexically_normal().generic_string();
  return text.starts_with("/dev/fd/") || text.starts_with("/proc/");
}

bool names_equal(const fs::path& a, const fs::path& b) {
#ifdef _WIN32
  return upper(utf8_name(a)) == upper(utf8_name(b));  // names differing in case are one file
#else
  return a == b;
#endif
}

fs::path normalised(const fs::path& path) {
  std::error_code error;
  const fs::path absolute = fs::absolute(path, error);
  const fs::path canonical = fs::weakly_canonical(absolute, error);
  return error ? absolute.lexically_normal() : canonical;
}

// One file that writing would replace: a regular file or a new one. A device or a pipe
// that is read and written (a terminal) loses nothing.
bool same_place(const OutputPlace& a, const OutputPlace& b) {
  std::error_code error;
  if (fs::exists(a.path, error) && fs::exists(b.path, error)) {
    const bool same = fs::equivalent(a.path, b.path, error);
    return same && !error && a.type == fs::file_type::regular;
  }
  return names_equal(normalised(a.path), normalised(b.path));
}

// The first `size` bytes of the file at `path` (fewer when it is shorter).
std::string first_bytes(const fs::path& path, std::size_t size) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes(size, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(size));
  bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  return bytes;
}

// Whether the regular file at `path` may be replaced by an output of `kind` without --force.
bool replaceable(const fs::path& path, OutputKind kind) {
  std::error_code error;
  if (fs::file_size(path, error) == 0 && !error) return true;
  if (kind == OutputKind::kPicture) {
    return first_bytes(path, kMarkWindow).find(kGeneratorMark) != std::string::npos;
  }
  const std::string start = first_bytes(path, kHeaderWindow);
  const std::size_t end = start.find('\n');
  if (end == std::string::npos) return false;
  const std::string_view line = std::string_view(start).substr(0, end > 0 && start[end - 1] == '\r' ? end - 1 : end);
  return std::find(std::begin(kTableHeaders), std::end(kTableHeaders), line) != std::end(kTableHeaders);
}

bool ends_in_svg(const std::string& name) { return name.size() >= 4 && upper(name.substr(name.size() - 4)) == ".SVG"; }

Error refusal(std::string message) { return Error{ErrorKind::kInvalidArgument, std::move(message)}; }

// Why what is at `place` may not take the output `out`, if it may not.
Expected<void> refuse_existing(const OutputRequest& out, const OutputPlace& place, bool force) {
  const std::string label = out.option + " " + out.name;
  switch (place.type) {
    case fs::file_type::not_found:
      break;
    case fs::file_type::regular:
      if (!force && !replaceable(place.path, out.kind)) {
        return refusal(label + ": the file exists and is not " +
               (out.kind == OutputKind::kPicture ? "a picture" : "a table") +
               " written by polylsq; --force replaces it");
      }
      break;
    case fs::file_type::directory:
      return refusal(label + ": is a folder");
    default:
      if (!place.write_through) {
        return refusal(label + ": is neither a regular file, a character device nor a pipe");
      }
  }
  if (out.kind == OutputKind::kPicture && !place.write_through && !ends_in_svg(out.name)) {
    return refusal(label + ": a picture is written as SVG: name a file ending in .svg");
  }
  return {};
}

}  // namespace

OutputPlace place_of(const std::string& name) {
  OutputPlace place;
  fs::path path = utf8_path(name);
  if (is_windows_device(path)) {
    place.path = path;
    place.type = fs::file_type::character;
    place.write_through = true;
    return place;
  }
  std::error_code error;
  for (int followed = 0; followed < kMaxLinks && !is_descriptor(path) && fs::is_symlink(path, error); ++followed) {
    const fs::path target = fs::read_symlink(path, error);
    if (error) break;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  place.path = path;
  const fs::file_status status = fs::status(path, error);
  place.type = status.type() == fs::file_type::none ? fs::file_type::not_found : status.type();
  place.write_through = is_descriptor(path) || place.type == fs::file_type::character ||
                        place.type == fs::file_type::fifo;
  return place;
}

Expected<void> refuse_outputs(const std::vector<InputFile>& inputs, const std::vector<OutputRequest>& outputs,
                              bool force) {
  std::vector<OutputPlace> places;
  for (const OutputRequest& out : outputs) {
    const OutputPlace place = place_of(out.name);
    const std::string label = out.option + " " + out.name;
    for (const InputFile& input : inputs) {
      if (input.name != "-" && same_place(place, place_of(input.name))) {
        return refusal(label + ": is " + input.role + "; name another file for the output");
      }
    }
    for (std::size_t earlier = 0; earlier < places.size(); ++earlier) {
      if (same_place(place, places[earlier])) {
        return refusal(label + ": is also the " + outputs[earlier].option + " file; name two different files");
      }
    }
    if (Expected<void> allowed = refuse_existing(out, place, force); !allowed) return allowed;
    places.push_back(place);
  }
  return {};
}

bool same_file(const std::string& a, const std::string& b) { return same_place(place_of(a), place_of(b)); }

std::string with_generator_mark(std::string_view svg) {
  const std::size_t declaration_end = svg.starts_with("<?xml") ? svg.find('\n') : std::string_view::npos;
  const std::size_t at = declaration_end == std::string_view::npos ? 0 : declaration_end + 1;
  std::string marked(svg.substr(0, at));
  marked += kGeneratorMark;
  marked += "\n";
  marked += svg.substr(at);
  return marked;
}

}  // namespace polylsq::app
