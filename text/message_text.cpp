// Message pieces: the quoting of a value and the small texts around it.
#include "text/message_text.h"

#include <charconv>

namespace polylsq::text {
namespace {

bool is_continuation_byte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Length of the valid UTF-8 sequence of two to four bytes at the start of `text`; 0 when
// there is none.
std::size_t utf8_sequence_length(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  const std::size_t length =
      lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (length == 0 || text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if (!is_continuation_byte(text[i])) return 0;
  }
  return length;
}

// The first kQuotedValueBytes of `value`, less a UTF-8 sequence that the cut would split.
std::string_view shown_part(std::string_view value) {
  std::string_view shown = value.substr(0, kQuotedValueBytes);
  if (shown.size() == value.size()) return shown;
  for (std::size_t back = 1; back <= 3 && back <= shown.size(); ++back) {
    const std::size_t lead = shown.size() - back;
    const std::size_t length = utf8_sequence_length(value.substr(lead));
    if (length > back) return shown.substr(0, lead);
    if (length != 0 || !is_continuation_byte(value[lead])) break;
  }
  return shown;
}

}  // namespace

std::string quote_value(std::string_view value) {
  const std::string_view shown = shown_part(value);
  std::string out = "\"";
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const auto byte = static_cast<unsigned char>(shown[i]);
    if (shown[i] == '"' || shown[i] == '\\') {
      out += '\\';
      out += shown[i];
    } else if (byte >= 0x20 && byte < 0x7F) {
      out += shown[i];
    } else if (const std::size_t length =
                   byte >= 0x80 ? utf8_sequence_length(shown.substr(i)) : 0) {
      out.append(shown.substr(i, length));
      i += length - 1;
    } else {
      constexpr char kHex[] = "0123456789abcdef";
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    }
  }
  out += '"';
  if (shown.size() < value.size()) out += "...";
  return out;
}

std::string at_line(std::size_t line, std::string_view what) {
  std::string out = "line " + std::to_string(line) + ": ";
  out += what;
  return out;
}

std::string counted(std::uint64_t count, std::string_view noun) {
  std::string out = std::to_string(count) + " ";
  out += noun;
  if (count != 1) out += 's';
  return out;
}

std::string shortest_text(double value) {
  char text[32];
  char* const end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

}  // namespace polylsq::text
