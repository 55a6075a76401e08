// Number tokens: digit runs, the integer forms, the real grammar.
#include "text/number_grammar.h"


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

}  // namespace polylsq::text
