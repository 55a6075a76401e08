// XML parsing and SVG rendering for the plot tests.
#include "tests/plot/plot_test_support.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace polylsq::plot::testkit {
namespace {

// A parsed document, freed on scope exit; null when the text is not well-formed.
struct ParsedXml {
  explicit ParsedXml(const std::string& text)
      : doc(xmlReadMemory(
            text.data(), static_cast<int>(text.size()), "plot.svg", nullptr,
            XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE)) {}
  ~ParsedXml() { xmlFreeDoc(doc); }
  xmlDocPtr doc;
};

std::size_t count_named(xmlNodePtr node, std::string_view name) {
  std::size_t count = 0;
  for (; node != nullptr; node = node->next) {
    if (node->type != XML_ELEMENT_NODE) continue;
    if (name == reinterpret_cast<const char*>(node->name)) ++count;
    count += count_named(node->children, name);
  }
  return count;
}

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

std::vector<std::string> words(const char* text) {
  std::istringstream in(text);
  std::vector<std::string> out;
  for (std::string word; in >> word;) out.push_back(word);
  return out;
}

std::string xml_error(const std::string& document) {
  xmlResetLastError();
  ParsedXml parsed(document);
  if (parsed.doc != nullptr) return "";
  const xmlError* error = xmlGetLastError();
  return error != nullptr && error->message != nullptr ? error->message : "not well-formed";
}

std::size_t element_count(const std::string& document, std::string_view name) {
  ParsedXml parsed(document);
  return parsed.doc == nullptr ? 0 : count_named(xmlDocGetRootElement(parsed.doc), name);
}

Rgb rgb_from_hex(std::string_view hex) {
  const auto channel = [&](std::size_t at) {
    return static_cast<int>(std::strtol(std::string(hex.substr(at, 2)).c_str(), nullptr, 16));
  };
  return {channel(1), channel(3), channel(5)};
}

void PrintTo(const Rgb& colour, std::ostream* out) {
  *out << "rgb(" << colour.red << ", " << colour.green << ", " << colour.blue << ")";
}

int colour_distance(Rgb a, Rgb b) {
  return std::max(
      {std::abs(a.red - b.red), std::abs(a.green - b.green), std::abs(a.blue - b.blue)});
}

Rgb Image::at(int x, int y) const {
  const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                          static_cast<std::size_t>(x)) *
                         4;
  return {rgba[at], rgba[at + 1], rgba[at + 2]};
}

bool renderer_found() { return std::system("command -v rsvg-convert >/dev/null 2>&1") == 0; }

std::optional<Image> render(const std::string& svg, std::string& error) {
  static std::atomic<int> serial{0};
  const std::filesystem::path base =
      std::filesystem::temp_directory_path() /
      ("polylsq-plot-" + std::to_string(getpid()) + "-" + std::to_string(serial++));
  const std::string svg_path = base.string() + ".svg";
  const std::string png_path = base.string() + ".png";
  const std::string log_path = base.string() + ".log";
  std::ofstream(svg_path, std::ios::binary) << svg;
  const std::string command =
      "rsvg-convert -f png -o '" + png_path + "' '" + svg_path + "' 2>'" + log_path + "'";
  const int status = std::system(command.c_str());
  std::optional<Image> image;
  if (status != 0) {
    error = "rsvg-convert failed (" + std::to_string(status) + "): " + read_file(log_path);
  } else {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&png, png_path.c_str()) != 0) {
      png.format = PNG_FORMAT_RGBA;
      Image decoded{static_cast<int>(png.width), static_cast<int>(png.height),
                    std::vector<std::uint8_t>(PNG_IMAGE_SIZE(png))};
      if (png_image_finish_read(&png, nullptr, decoded.rgba.data(), 0, nullptr) != 0)
        image = std::move(decoded);
    }
    if (!image) error = std::string("PNG does not decode: ") + png.message;
    png_image_free(&png);
  }
  for (const std::string& path : {svg_path, png_path, log_path}) std::filesystem::remove(path);
  return image;
}

}  // namespace polylsq::plot::testkit
