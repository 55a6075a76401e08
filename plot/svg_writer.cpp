// SVG markup helpers: escaping, short numbers, elements.
#include "plot/svg_writer.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace polylsq::plot {
namespace {

constexpr int kDecimals = 2;  // hundredths of a pixel
constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kInvalid = 0xFFFFFFFF;

// Decodes the code point starting at text[at] and advances `at`; kInvalid for a malformed
// sequence (one byte consumed).
char32_t next_code_point(std::string_view text, std::size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at++]);
  if (lead < 0x80) return lead;
  int continuation = 0;
  char32_t code = 0;
  char32_t min_code = 0;
  if ((lead & 0xE0) == 0xC0) {
    continuation = 1, code = lead & 0x1F, min_code = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    continuation = 2, code = lead & 0x0F, min_code = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    continuation = 3, code = lead & 0x07, min_code = 0x10000;
  } else {
    return kInvalid;
  }
  if (at + continuation > text.size()) return kInvalid;
  for (int i = 0; i < continuation; ++i) {
    const auto byte = static_cast<unsigned char>(text[at + i]);
    if ((byte & 0xC0) != 0x80) return kInvalid;
    code = (code << 6) | (byte & 0x3F);
  }
  if (code < min_code || code > 0x10FFFF) return kInvalid;  // overlong or beyond Unicode
  at += continuation;
  return code;
}

bool allowed_in_xml(char32_t code) {
  if (code == kInvalid) return false;
  if (code < 0x20) return false;
  if (code >= 0xD800 && code <= 0xDFFF) return false;
  return code != 0xFFFE && code != 0xFFFF;
}

void append_utf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

void append_number(std::string& out, double value) {
  if (!std::isfinite(value)) value = 0;
  std::array<char, 400> buffer{};  // fixed form of the largest double with 2 decimals
  char* end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                            std::chars_format::fixed, kDecimals)
                  .ptr;
  while (end[-1] == '0') --end;
  if (end[-1] == '.') --end;
  std::string_view text(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
  if (text == "-0") text = "0";
  out += text;
}

void append_escaped(std::string& out, std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {
    char32_t code = next_code_point(text, at);
    if (code == '\t' || code == '\n' || code == '\r') code = ' ';
    if (!allowed_in_xml(code)) code = kReplacement;
    switch (code) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        append_utf8(out, code);
    }
  }
}

std::size_t character_count(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t at = 0; at < text.size(); ++count) next_code_point(text, at);
  return count;
}

std::string shortened(std::string_view text, std::size_t max_characters) {
  if (character_count(text) <= max_characters) return std::string(text);
  if (max_characters == 0) return "";
  std::size_t at = 0;
  for (std::size_t kept = 0; kept + 1 < max_characters; ++kept) next_code_point(text, at);
  return std::string(text.substr(0, at)) + "\u2026";
}

Tag::Tag(std::string& out, std::string_view name) : out_(out), name_(name) {
  out_ += '<';
  out_ += name_;
}

void Tag::start_attribute(std::string_view attribute) {
  out_ += ' ';
  out_ += attribute;
  out_ += "=\"";
}

Tag& Tag::set(std::string_view attribute, double value) {
  start_attribute(attribute);
  append_number(out_, value);
  out_ += '"';
  return *this;
}

Tag& Tag::set(std::string_view attribute, std::string_view value) {
  start_attribute(attribute);
  append_escaped(out_, value);
  out_ += '"';
  return *this;
}

void Tag::empty() { out_ += "/>\n"; }

void Tag::open() { out_ += ">\n"; }

void Tag::text(std::string_view content) {
  out_ += '>';
  append_escaped(out_, content);
  close_tag(out_, name_);
}

void close_tag(std::string& out, std::string_view name) {
  out += "</";
  out += name;
  out += ">\n";
}

}  // namespace polylsq::plot
