// Message pieces of the data reader.
#include "accurate/reader_messages.h"

namespace polylsq::accurate {
namespace {

bool is_continuation_byte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::string quoted(std::string_view text) {
  std::size_t shown = text.size();
  if (shown > kQuotedTextBytes) {
    shown = kQuotedTextBytes;
    while (shown > 0 && is_continuation_byte(text[shown])) --shown;
  }
  std::string out = "\"";
  for (const char c : text.substr(0, shown)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      constexpr char kHex[] = "0123456789ABCDEF";
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    } else {
      out += c;
    }
  }
  if (shown < text.size()) out += "...";
  out += '"';
  return out;
}

std::string counted(std::size_t count, std::string_view noun) {
  std::string out = std::to_string(count) + " ";
  out += noun;
  if (count != 1) out += 's';
  return out;
}

std::string at_line(std::size_t line, std::string_view what) {
  std::string out = "line " + std::to_string(line) + ": ";
  out += what;
  return out;
}

}  // namespace polylsq::accurate
