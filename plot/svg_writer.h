// Writing SVG markup into a string: elements with attributes, text escaped for XML (and made
// valid UTF-8 without control characters), numbers short, fixed and locale-independent.
#pragma once

#include <string>
#include <string_view>

namespace polylsq::plot {

// Appends `value` with at most 2 decimals, trailing zeros and a negative zero dropped:
// 12.5 -> "12.5", 3.004 -> "3", -0.001 -> "0". A non-finite value is written as "0"
// (callers keep coordinates finite; this keeps NaN and inf out of the document regardless).
void append_number(std::string& out, double value);

// Appends `text` escaped for XML character data and attribute values (& < > " ').
// Each byte of a malformed UTF-8 sequence, and each character XML forbids (controls,
// surrogates, U+FFFE, U+FFFF), becomes U+FFFD; tab, line feed and carriage return become spaces.
void append_escaped(std::string& out, std::string_view text);

// Number of characters (UTF-8 code points, invalid bytes one each) in `text`.
std::size_t character_count(std::string_view text);

// `text` cut to at most `max_characters` characters, the last of them "…" when cut.
std::string shortened(std::string_view text, std::size_t max_characters);

// One element written into `out`:
//   Tag(out, "line").set("x1", 0).set("y1", 2.5).empty();   -> <line x1="0" y1="2.5"/>
//   Tag(out, "text").set("x", 1).text("a<b");               -> <text x="1">a&lt;b</text>
//   Tag(out, "g").set("fill", "red").open(); ... close_tag(out, "g");
class Tag {
 public:
  Tag(std::string& out, std::string_view name);
  Tag& set(std::string_view attribute, double value);
  Tag& set(std::string_view attribute, std::string_view value);
  void empty();
  void open();
  void text(std::string_view content);

 private:
  void start_attribute(std::string_view attribute);

  std::string& out_;
  std::string_view name_;
};

void close_tag(std::string& out, std::string_view name);

}  // namespace polylsq::plot
