// Number tokens: digit runs, the integer forms, the real grammar.
#include "text/number_grammar.h"

#include <bit>
#include <cstring>

namespace polylsq::text {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

// Above every 32-bit magnitude: digits past it cannot change a range verdict.
constexpr std::uint64_t kSaturatedMagnitude = std::uint64_t{1} << 40;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::size_t skip_digits(std::string_view text, std::size_t at) {
  while (at < text.size() && is_digit(text[at])) ++at;
  return at;
}

// The value of `c` as a digit (letters past 9, either case), or 36 for any other character.
int digit_value(char c) {
  if (is_digit(c)) return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return 36;
}

// The digits of `text` in `base`; false when it is empty or holds a non-digit of the base.
bool read_digits(std::string_view text, int base, std::uint64_t& magnitude) {
  if (text.empty()) return false;
  magnitude = 0;
  for (const char c : text) {
    const int digit = digit_value(c);
    if (digit >= base) return false;
    magnitude = magnitude * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    if (magnitude > kSaturatedMagnitude) magnitude = kSaturatedMagnitude;
  }
  return true;
}

}  // namespace

Conversion parse_integer(std::string_view token, int& value) {
  std::uint64_t magnitude = 0;
  bool negative = false;
  const std::size_t hash = token.find('#');
  if (hash != kNone) {
    std::uint64_t base = 16;  // "#FF"
    if (hash > 0 && (!read_digits(token.substr(0, hash), 10, base) || base < 2 || base > 36)) {
      return Conversion::kMalformed;
    }
    if (!read_digits(token.substr(hash + 1), static_cast<int>(base), magnitude)) {
      return Conversion::kMalformed;
    }
  } else {
    if (!token.empty() && (token[0] == '+' || token[0] == '-')) {
      negative = token[0] == '-';
      token.remove_prefix(1);
    }
    if (!read_digits(token, 10, magnitude)) return Conversion::kMalformed;
  }
  const std::int64_t signed_value =
      negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
  if (signed_value < INT32_MIN || signed_value > INT32_MAX) return Conversion::kOutOfRange;
  value = static_cast<int>(signed_value);
  return Conversion::kOk;
}

std::optional<RealParts> scan_real(std::string_view token, bool decimal_comma) {
  RealParts parts;
  std::size_t at = 0;
  if (at < token.size() && (token[at] == '+' || token[at] == '-')) {
    parts.negative = token[at++] == '-';
  }
  const std::size_t mantissa_start = at;
  std::size_t digits = skip_digits(token, at) - at;
  at += digits;
  if (at < token.size() && (token[at] == '.' || (decimal_comma && token[at] == ','))) {
    parts.mark = at++;
    const std::size_t fraction_end = skip_digits(token, at);
    digits += fraction_end - at;
    at = fraction_end;
  }
  if (digits == 0) return std::nullopt;  // ".", "-", "NaN", "Inf"
  parts.mantissa = token.substr(mantissa_start, at - mantissa_start);
  if (at < token.size()) {
    const char c = token[at];
    if (c != 'e' && c != 'E' && c != 'd' && c != 'D') return std::nullopt;
    parts.letter = at++;
    bool exponent_negative = false;
    if (at < token.size() && (token[at] == '+' || token[at] == '-')) {
      exponent_negative = token[at++] == '-';
    }
    std::uint64_t magnitude = 0;
    if (!read_digits(token.substr(at), 10, magnitude)) return std::nullopt;  // "1e", "1e+", "1e5x"
    parts.exponent = exponent_negative ? -static_cast<std::int64_t>(magnitude)
                                       : static_cast<std::int64_t>(magnitude);
  }
  return parts;
}

CRealText::CRealText(std::string_view token, const RealParts& parts) {
  const std::size_t from = token[0] == '+' ? 1 : 0;
  const bool rewritten =
      parts.letter != kNone && (token[parts.letter] == 'd' || token[parts.letter] == 'D');
  const bool comma = parts.mark != kNone && token[parts.mark] != '.';
  if (!rewritten && !comma) {
    view_ = token.substr(from);
    return;
  }
  const std::size_t length = token.size() - from;
  char* copy = short_;
  if (length > sizeof short_) {
    long_.resize(length);
    copy = long_.data();
  }
  token.copy(copy, length, from);
  if (comma) copy[parts.mark - from] = '.';
  if (rewritten) copy[parts.letter - from] = 'e';
  view_ = std::string_view(copy, length);
}

// Eight bytes at a time where eight can be loaded: the bytes less '0' are digits exactly
// while below 10, and the run of them is turned into its value by three multiplications,
// leading bytes zeroed.
const char* append_digits(const char* p, const char* end, std::uint64_t& digits) {
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t kPowers[] = {1,      10,      100,      1000,     10000,
                                         100000, 1000000, 10000000, 100000000};
    while (end - p >= 8) {
      std::uint64_t bytes = 0;
      std::memcpy(&bytes, p, sizeof bytes);
      const std::uint64_t values = bytes - 0x3030303030303030;
      // the high bit of each byte that is below '0' or above '9'; bytes past the first
      // such byte may be disturbed by borrows and carries, and are not used
      const std::uint64_t non_digits =
          (values | (values + 0x7676767676767676)) & 0x8080808080808080;
      const int run = non_digits == 0 ? 8 : std::countr_zero(non_digits) / 8;
      if (run == 0) return p;
      std::uint64_t v = values << (64 - 8 * run);
      v = v * 10 + (v >> 8);
      v = (((v & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
           (((v >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
          32;
      digits = digits * kPowers[run] + v;
      p += run;
      if (run < 8) return p;
    }
  }
  while (p != end && is_digit(*p)) digits = digits * 10 + static_cast<unsigned>(*p++ - '0');
  return p;
}

}  // namespace polylsq::text
