// Fuzz target: F and E editing of single-precision values, compared character for
// character with an independent layout built from the exact decimal expansion that
// printf gives ("%.160f" and "%.160e" are exact for every float): digits rounded half-up
// once at the last shown digit or the seventh significant digit, whichever comes first.
// Each input is a sequence of 6-byte items: 4 bytes of a float's bits, then w and d.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "recio/edit.h"

namespace {

[[noreturn]] void violation(const std::string& what) {
  std::fprintf(stderr, "PROMISE BROKEN: %s\n", what.c_str());
  std::abort();
}

std::string special_text(float value, int w) {
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
  std::string text;
  if (std::isinf(value)) {
    text = "1#INF";
  } else if ((bits & 0x00400000u) == 0) {
    text = "1#SNAN";
  } else if (bits == 0xFFC00000u) {
    text = "1#IND";  // the processor's default NaN: sign set, no payload beyond the quiet bit
  } else {
    text = "1#QNAN";
  }
  text.resize(static_cast<std::size_t>(w), '.');
  return text.substr(0, static_cast<std::size_t>(w));
}

// Adds one unit at the last digit of a decimal digit string; true when the carry leaves
// the first digit (the string is then "1" followed by zeros, one digit longer).
bool increment(std::string& digits) {
  for (std::size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return false;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
  return true;
}

std::string fit_field(const std::string& text, int w) {
  if (text.size() > static_cast<std::size_t>(w)) return std::string(static_cast<std::size_t>(w), '*');
  return std::string(static_cast<std::size_t>(w) - text.size(), ' ') + text;
}

std::string expected_F(float value, int w, int d) {
  if (!std::isfinite(value)) return special_text(value, w);
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, "%.160f", std::fabs(static_cast<double>(value)));
  const std::string exact(buffer);
  const std::size_t point = exact.find('.');
  std::string digits = exact.substr(0, point) + exact.substr(point + 1);
  std::size_t int_length = point;
  const std::size_t first = digits.find_first_not_of('0');
  std::size_t cut = int_length + static_cast<std::size_t>(d);
  if (first != std::string::npos) cut = std::min(cut, first + 7);
  std::string kept = digits.substr(0, cut);
  if (cut < digits.size() && digits[cut] >= '5' && increment(kept)) ++int_length;
  kept.resize(int_length + static_cast<std::size_t>(d), '0');
  std::string integer = kept.substr(0, int_length);
  integer.erase(0, std::min(integer.find_first_not_of('0'), integer.size()));
  const std::string fraction = kept.substr(int_length);
  const bool all_zero = kept.find_first_not_of('0') == std::string::npos;
  std::string text = (std::signbit(value) && !all_zero) ? "-" : "";
  text += integer.empty() && fraction.empty() ? "0" : integer;
  text += "." + fraction;
  return fit_field(text, w);
}

std::string expected_E(float value, int w, int d, int scale) {
  if (!std::isfinite(value)) return special_text(value, w);
  const int significant = std::min(scale == 1 ? d + 1 : d, 7);
  const int shown = scale == 1 ? d + 1 : d;
  std::string digits;
  int exponent = 0;  // value = 0.digits * 10^exponent
  if (value != 0.0f) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, "%.160e", std::fabs(static_cast<double>(value)));
    const std::string exact(buffer);
    const std::size_t e = exact.find('e');
    digits = exact.substr(0, 1) + exact.substr(2, e - 2);
    exponent = std::atoi(exact.c_str() + e + 1) + 1;
    std::string kept = digits.substr(0, static_cast<std::size_t>(significant));
    if (static_cast<std::size_t>(significant) < digits.size() &&
        digits[static_cast<std::size_t>(significant)] >= '5' && increment(kept)) {
      kept.pop_back();
      ++exponent;
    }
    digits = kept;
  }
  digits.resize(static_cast<std::size_t>(shown), '0');
  if (value != 0.0f && scale == 1) --exponent;
  std::string text = std::signbit(value) && value != 0.0f ? "-" : "";
  if (scale == 1) {
    text += digits.substr(0, 1) + "." + digits.substr(1);
  } else {
    text += "." + digits;
  }
  char exponent_text[16];
  if (std::abs(exponent) >= 100) {
    std::snprintf(exponent_text, sizeof exponent_text, "%+04d", exponent);
  } else {
    std::snprintf(exponent_text, sizeof exponent_text, "E%+03d", exponent);
  }
  return fit_field(text + exponent_text, w);
}

void check(const std::string& what, const std::string& got, const std::string& expected) {
  if (got != expected) violation(what + ": \"" + got + "\", expected \"" + expected + "\"");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (; size >= 6; data += 6, size -= 6) {
    std::uint32_t bits;
    std::memcpy(&bits, data, sizeof bits);
    const float value = std::bit_cast<float>(bits);
    const int w = 1 + data[4] % 24;
    const int d = data[5] % w;
    char what[96];
    std::snprintf(what, sizeof what, "%a (bits %08x) in F%d.%d", static_cast<double>(value),
                  static_cast<unsigned>(bits), w, d);
    check(what, polylsq::recio::edit_F(value, w, d), expected_F(value, w, d));
    // E fields as the system uses them: d >= 1, with the scale factor 0 or 1.
    const int e_d = 1 + data[5] % 7;
    const int e_w = e_d + 7 + data[4] % 8;
    const int scale = data[5] >> 7;
    std::snprintf(what, sizeof what, "%a (bits %08x) in %dPE%d.%d", static_cast<double>(value),
                  static_cast<unsigned>(bits), scale, e_w, e_d);
    if (!(value == 0.0f && std::signbit(value))) {  // the sign of a negative zero is not fixed
      check(what, polylsq::recio::edit_E(value, e_w, e_d, scale), expected_E(value, e_w, e_d, scale));
    }
  }
  return 0;
}
