// List-directed input: the shared scanner's values converted to the items' types, reals
// rounded straight to the nearest float.
#include "recio/list_input.h"

#include <bit>
#include <charconv>
#include <cstdint>

#include "text/number_grammar.h"

namespace polylsq::recio::detail {
namespace {

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

// "-3.14159" -> -(314159 / 10^5). A decimal without exponent whose digits and power of
// ten are exact doubles gives its correctly rounded double Q in one division, and Q lies
// on the same side as the decimal of every midpoint between two floats (each such
// midpoint is a double), unless Q is one of them. So, but for that case, rounding Q to
// float gives the correctly rounded float, as the general conversion does; the values
// reachable here (10^-22 to 2^53) are normal floats. False for any other token, and for
// a Q on a midpoint.
bool convert_short_decimal(std::string_view token, float& value) {
  const char* const end = token.data() + token.size();
  const text::PlainDecimal decimal = text::scan_plain_decimal(token.data(), end);
  if (decimal.count == 0 || decimal.end != end || !text::has_exact_magnitude(decimal)) return false;
  const double quotient = text::exact_magnitude(decimal);
  // the 29 bits that a float drops: 1 then zeros is a midpoint between two floats
  constexpr std::uint64_t kDropped = (std::uint64_t{1} << 29) - 1;
  constexpr std::uint64_t kMidpoint = std::uint64_t{1} << 28;
  if ((std::bit_cast<std::uint64_t>(quotient) & kDropped) == kMidpoint) return false;
  const float magnitude = static_cast<float>(quotient);
  value = token[0] == '-' ? -magnitude : magnitude;  // "-0" is a zero of its sign
  return true;
}

// The token's real, correctly rounded to the nearest float (convert_real).
text::Conversion round_to_float(std::string_view token, float& value) {
  if (convert_short_decimal(token, value)) return text::Conversion::kOk;
  const std::optional<text::RealParts> parts = text::scan_real(token);
  if (!parts) return text::Conversion::kMalformed;
  const text::CRealText c_text(token, *parts);
  const std::string_view spelled = c_text.view();
  float result = 0.0f;
  const auto [end, ec] = std::from_chars(spelled.data(), spelled.data() + spelled.size(), result);
  if (ec == std::errc::result_out_of_range) {
    if (decimal_order(parts->mantissa, parts->exponent) >= 0) return text::Conversion::kOutOfRange;
    result = parts->negative ? -0.0f : 0.0f;  // rounds to zero: a zero of the value's sign
  } else if (ec != std::errc() || end != spelled.data() + spelled.size()) {
    return text::Conversion::kMalformed;
  }
  value = result;
  return text::Conversion::kOk;
}

// A value stored as its item's type.
text::Conversion store_value(std::string_view value, int& item) {
  return text::parse_integer(value, item);
}
text::Conversion store_value(std::string_view value, float& item) {
  return round_to_float(value, item);
}

// The error of `verdict` on a value for `item`; nothing for kOk.
std::optional<IoError> error_of(const InItem& item, text::Conversion verdict) {
  const bool integer = std::holds_alternative<int*>(item);
  switch (verdict) {
    case text::Conversion::kOk: return std::nullopt;
    case text::Conversion::kMalformed: return integer ? IoError::kBadInteger : IoError::kBadReal;
    case text::Conversion::kOutOfRange: break;
  }
  return integer ? IoError::kIntegerRange : IoError::kRealRange;
}

}  // namespace

std::optional<IoError> convert_integer(std::string_view token, int& value) {
  return error_of(&value, store_value(token, value));
}

std::optional<IoError> convert_real(std::string_view token, float& value) {
  return error_of(&value, store_value(token, value));
}

std::optional<ReadFailure> read_list_items(text::RecordSource& source,
                                           std::initializer_list<InItem> items) {
  const InItem* const item = items.begin();
  const auto store = [item](std::size_t i, std::string_view value) {
    return std::visit([value](auto* target) { return store_value(value, *target); }, item[i]);
  };
  const text::ListRead read = text::read_list_statement(source, items.size(), store);
  if (read.end == text::ListEnd::kComplete) return std::nullopt;
  if (read.end == text::ListEnd::kNoRecord) return ReadFailure{IoError::kEndOfFile, {}};
  return ReadFailure{*error_of(item[read.item], read.verdict), read.token};
}

}  // namespace polylsq::recio::detail
