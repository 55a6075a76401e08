// Helpers of the plot tests: XML well-formedness and element counts through libxml2, and
// rendering through rsvg-convert (Debian librsvg2-bin) with the PNG decoded by libpng.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace polylsq::plot::testkit {

// The words of `text` split at spaces: "0 0.5 1" -> {"0", "0.5", "1"}.
std::vector<std::string> words(const char* text);

// Empty when `document` is well-formed XML, else the parser's first message.
std::string xml_error(const std::string& document);

// Elements named `name` in `document`; 0 when it does not parse.
std::size_t element_count(const std::string& document, std::string_view name);

struct Rgb {
  int red = 0;
  int green = 0;
  int blue = 0;
  bool operator==(const Rgb&) const = default;
};

Rgb rgb_from_hex(std::string_view hex);  // "#rrggbb"

// GoogleTest prints colours as rgb(r, g, b).
void PrintTo(const Rgb& colour, std::ostream* out);

// Largest difference of one channel.
int colour_distance(Rgb a, Rgb b);

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;  // row by row from the top
  Rgb at(int x, int y) const;      // (0, 0) is the top-left pixel
};

bool renderer_found();

// `svg` rendered by rsvg-convert to PNG and decoded; nullopt with `error` set when the
// renderer fails or its PNG does not decode.
std::optional<Image> render(const std::string& svg, std::string& error);

}  // namespace polylsq::plot::testkit

#define POLYLSQ_SKIP_WITHOUT_RENDERER()                                                       \
  if (!polylsq::plot::testkit::renderer_found())                                              \
  GTEST_SKIP() << "rsvg-convert is not on PATH (Debian package librsvg2-bin): the rendering " \
                  "checks need it"
