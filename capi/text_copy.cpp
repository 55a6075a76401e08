// Texts into caller buffers, cut at a UTF-8 character boundary.
#include "capi/text_copy.h"

#include <algorithm>

namespace polylsq::capi {
namespace {

// A continuation byte 10xxxxxx belongs to the character that starts before it.
bool continues_character(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

}  // namespace

std::size_t copy_text(std::string_view text, char* out, std::size_t capacity) {
  if (capacity == 0 || out == nullptr) return text.size();
  std::size_t length = std::min(text.size(), capacity - 1);
  // "é" is C3 A9: a cut before A9 drops C3 too.
  if (length < text.size()) {
    while (length > 0 && continues_character(text[length])) --length;
  }
  std::copy_n(text.data(), length, out);
  out[length] = '\0';
  return text.size();
}

}  // namespace polylsq::capi
