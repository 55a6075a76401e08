// List-directed input: a scanner over one record at a time with one character of
// look-ahead; each value token is isolated first and converted once.
#include "recio/list_input.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <string>

namespace polylsq::recio::detail {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
// A value ends at a blank, a tab, a comma, a slash or the end of the record.
bool ends_value(char c) { return is_blank(c) || c == ',' || c == '/'; }

// The current record of a statement and the scan position in it.
class Cursor {
 public:
  explicit Cursor(RecordSource& source) : source_(source) {}

  bool next_record() {
    pos_ = 0;
    return source_.next_record(record_);
  }
  bool at_end() const { return pos_ >= record_.size(); }
  char peek() const { return record_[pos_]; }
  void skip_blanks() {
    while (!at_end() && is_blank(record_[pos_])) ++pos_;
  }
  bool accept(char c) {
    if (at_end() || record_[pos_] != c) return false;
    ++pos_;
    return true;
  }
  // The value token at the scan position; `star` is the offset of its first '*' (npos: none).
  std::string_view read_token(std::size_t& star) {
    const std::size_t start = pos_;
    star = std::string_view::npos;
    for (; !at_end() && !ends_value(record_[pos_]); ++pos_) {
      if (record_[pos_] == '*' && star == std::string_view::npos) star = pos_ - start;
    }
    return record_.substr(start, pos_ - start);
  }

 private:
  RecordSource& source_;
  std::string_view record_;
  std::size_t pos_ = 0;
};

// The digits of `text` in `base` as a non-negative value; false for an empty text or a
// character that is no digit of the base. Large values saturate above the 32-bit range.
bool read_digits(std::string_view text, int base, std::int64_t& value) {
  if (text.empty()) return false;
  value = 0;
  for (const char c : text) {
    int digit;
    if (is_digit(c)) {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'z') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'Z') {
      digit = c - 'A' + 10;
    } else {
      return false;
    }
    if (digit >= base) return false;
    value = value * base + digit;
    if (value > (std::int64_t{1} << 40)) value = std::int64_t{1} << 40;
  }
  return true;
}

// "3*" in "3*7": the repeat count before the asterisk (at offset `star`), an unsigned
// decimal of at least 1. 0 when the token has no asterisk; -1 when the count is malformed.
int read_repeat_count(std::string_view token, std::size_t star, std::string_view& rest) {
  if (star == std::string_view::npos) return 0;
  std::int64_t count = 0;
  rest = token.substr(star + 1);
  if (!read_digits(token.substr(0, star), 10, count) || count < 1 || count > INT32_MAX) return -1;
  return static_cast<int>(count);
}

// Decimal order of magnitude of a real token that passed the grammar check:
// the exponent of the first non-zero digit. Only its sign matters to the caller.
std::int64_t decimal_order(std::string_view mantissa, std::int64_t exponent) {
  std::int64_t order = -1;
  bool before_point = true;
  std::int64_t int_digits = 0;
  for (const char c : mantissa) {
    if (c == '.') {
      before_point = false;
      continue;
    }
    if (before_point) ++int_digits;
  }
  std::int64_t position = int_digits;  // 10^(position-1) for the first digit
  for (const char c : mantissa) {
    if (c == '.') continue;
    --position;
    if (c != '0') {
      order = position;
      break;
    }
  }
  return order + exponent;
}

// Powers of ten that a double holds exactly (5^22 < 2^53).
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr std::uint64_t kExactDoubleIntegers = std::uint64_t{1} << 53;

// "-3.14159" -> -(314159 / 10^5). A decimal without exponent whose digits form an integer
// of at most 2^53, with at most 22 digits after the point, is the quotient of two doubles
// that hold their values exactly; one division rounds it correctly to a double Q, and Q
// lies on the same side as the decimal of every midpoint between two floats (each such
// midpoint is a double), unless Q is one of them. So, but for that case, rounding Q to
// float gives the correctly rounded float, as the general conversion does; the values
// reachable here (10^-22 to 2^53) are normal floats. False for any other token, and for
// a Q on a midpoint.
bool convert_short_decimal(std::string_view token, float& value) {
  const char* p = token.data();
  const char* const end = p + token.size();
  const bool negative = p != end && *p == '-';
  if (p != end && (*p == '-' || *p == '+')) ++p;
  std::uint64_t digits = 0;  // exact for up to 19 digits; longer tokens are refused below
  const char* const integer_begin = p;
  while (p != end && is_digit(*p)) digits = digits * 10 + static_cast<unsigned>(*p++ - '0');
  const std::ptrdiff_t integer_count = p - integer_begin;
  std::ptrdiff_t scale = 0;  // digits after the point
  if (p != end && *p == '.') {
    const char* const fraction_begin = ++p;
    while (p != end && is_digit(*p)) digits = digits * 10 + static_cast<unsigned>(*p++ - '0');
    scale = p - fraction_begin;
  }
  if (p != end || integer_count + scale == 0 || integer_count + scale > 19 || scale > 22 ||
      digits > kExactDoubleIntegers) {
    return false;
  }
  const double quotient = static_cast<double>(digits) / kExactPowersOfTen[scale];
  // the 29 bits that a float drops: 1 then zeros is a midpoint between two floats
  constexpr std::uint64_t kDropped = (std::uint64_t{1} << 29) - 1;
  constexpr std::uint64_t kMidpoint = std::uint64_t{1} << 28;
  if ((std::bit_cast<std::uint64_t>(quotient) & kDropped) == kMidpoint) return false;
  const float magnitude = static_cast<float>(quotient);
  value = negative ? -magnitude : magnitude;  // "-0" is a zero of its sign
  return true;
}

}  // namespace

std::optional<IoError> convert_integer(std::string_view token, int& value) {
  std::int64_t magnitude = 0;
  bool negative = false;
  const std::size_t hash = token.find('#');
  if (hash != std::string_view::npos) {
    int base = 16;  // "#FF"
    if (hash > 0) {
      std::int64_t b = 0;
      if (!read_digits(token.substr(0, hash), 10, b) || b < 2 || b > 36) {
        return IoError::kBadInteger;
      }
      base = static_cast<int>(b);
    }
    if (!read_digits(token.substr(hash + 1), base, magnitude)) return IoError::kBadInteger;
  } else {
    if (!token.empty() && (token[0] == '+' || token[0] == '-')) {
      negative = token[0] == '-';
      token.remove_prefix(1);
    }
    if (!read_digits(token, 10, magnitude)) return IoError::kBadInteger;
    for (const char c : token) {
      if (!is_digit(c)) return IoError::kBadInteger;  // letters are digits of based forms only
    }
  }
  const std::int64_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value < INT32_MIN || signed_value > INT32_MAX) return IoError::kIntegerRange;
  value = static_cast<int>(signed_value);
  return std::nullopt;
}

std::optional<IoError> convert_real(std::string_view token, float& value) {
  if (convert_short_decimal(token, value)) return std::nullopt;
  // Grammar check: [sign] (digits [. [digits]] | . digits) [(E|D) [sign] digits]
  std::size_t i = 0;
  bool negative = false;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) negative = token[i++] == '-';
  const std::size_t mantissa_start = i;
  std::size_t digits = 0;
  while (i < token.size() && is_digit(token[i])) ++i, ++digits;
  if (i < token.size() && token[i] == '.') {
    ++i;
    while (i < token.size() && is_digit(token[i])) ++i, ++digits;
  }
  if (digits == 0) return IoError::kBadReal;
  const std::string_view mantissa = token.substr(mantissa_start, i - mantissa_start);
  std::int64_t exponent = 0;
  char exponent_letter = '\0';
  const std::size_t exponent_at = i;
  if (i < token.size()) {
    const char letter = exponent_letter = token[i++];
    if (letter != 'e' && letter != 'E' && letter != 'd' && letter != 'D') return IoError::kBadReal;
    bool exponent_negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
      exponent_negative = token[i++] == '-';
    }
    if (!read_digits(token.substr(i), 10, exponent)) return IoError::kBadReal;
    for (std::size_t j = i; j < token.size(); ++j) {
      if (!is_digit(token[j])) return IoError::kBadReal;
    }
    if (exponent_negative) exponent = -exponent;
  }
  // from_chars takes no '+' and no D exponent.
  std::string_view text = token.substr(token[0] == '+' ? 1 : 0);
  char buffer[64];
  std::string long_text;
  if (exponent_letter == 'd' || exponent_letter == 'D') {
    char* copy = buffer;
    if (text.size() > sizeof buffer) {
      long_text.assign(text);
      copy = long_text.data();
    } else {
      text.copy(buffer, text.size());
    }
    copy[exponent_at - (token.size() - text.size())] = 'e';
    text = std::string_view(copy, text.size());
  }
  float result = 0.0f;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), result);
  if (ec == std::errc::result_out_of_range) {
    if (decimal_order(mantissa, exponent) >= 0) return IoError::kRealRange;
    result = negative ? -0.0f : 0.0f;  // rounds to zero: a zero of the value's sign
  } else if (ec != std::errc() || end != text.data() + text.size()) {
    return IoError::kBadReal;
  }
  value = result;
  return std::nullopt;
}

std::optional<ReadFailure> read_list_items(RecordSource& source, std::initializer_list<InItem> items) {
  Cursor cursor(source);
  if (!cursor.next_record()) return ReadFailure{IoError::kEndOfFile, {}};
  const InItem* item = items.begin();
  bool after_value = false;  // a value was read and its separating comma not yet seen
  while (item != items.end()) {
    cursor.skip_blanks();
    if (cursor.at_end()) {
      if (!cursor.next_record()) return ReadFailure{IoError::kEndOfFile, {}};
      continue;
    }
    if (cursor.accept(',')) {
      if (!after_value) ++item;  // ",," or a leading comma: a null value
      after_value = false;
      continue;
    }
    if (cursor.accept('/')) break;  // the remaining items keep their values
    std::size_t star = 0;
    const std::string_view token = cursor.read_token(star);
    after_value = true;
    std::string_view value = token;
    int repeat = read_repeat_count(token, star, value);
    if (repeat < 0) {
      return ReadFailure{std::holds_alternative<int*>(*item) ? IoError::kBadInteger : IoError::kBadReal,
                         token};
    }
    if (repeat == 0) repeat = 1;
    for (; repeat > 0 && item != items.end(); --repeat, ++item) {
      if (value.empty()) continue;  // "r*": r null values
      std::optional<IoError> error;
      if (std::holds_alternative<int*>(*item)) {
        error = convert_integer(value, *std::get<int*>(*item));
      } else {
        error = convert_real(value, *std::get<float*>(*item));
      }
      if (error) return ReadFailure{*error, token};
    }
  }
  return std::nullopt;
}

}  // namespace polylsq::recio::detail
