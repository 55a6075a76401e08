// Real tokens: the common form goes straight to an exact quotient or to fast_float; any
// other form is checked by the shared grammar and respelled in the one fast_float reads,
// so every real is rounded once, by the same routine.
#include "input/number_text.h"

#include <cmath>
#include <system_error>

#include <fast_float/fast_float.h>

namespace polylsq::input {

const char* detail::scan_other_plain_real(const char* begin, const char* end, double& value) {
  const text::PlainDecimal decimal = text::scan_plain_decimal(begin, end);
  if (decimal.count == 0) return nullptr;  // ".", "-", "inf", "nan"
  const bool exponent = decimal.end != end && (*decimal.end == 'e' || *decimal.end == 'E');
  if (!exponent && text::has_exact_magnitude(decimal)) {
    // "-3.14159", ".5", "27.": one division of two exact doubles
    const double magnitude = text::exact_magnitude(decimal);
    value = *begin == '-' ? -magnitude : magnitude;
    return decimal.end;
  }
  // "2.5e-3", "0.1000000000000000055511151231257827021181583404541015625": fast_float
  double result = 0.0;
  const auto [stop, error] = fast_float::from_chars(begin, end, result);
  if (error != std::errc() || std::isinf(result)) return nullptr;
  value = result;
  return stop;
}

Conversion parse_real(std::string_view token, double& value, bool decimal_comma) {
  const char* const end = token.data() + token.size();
  double plain = 0.0;
  const char* const stop = scan_plain_real(token.data(), end, plain);
  if (stop != nullptr && stop == end) {
    value = plain;
    return Conversion::kOk;
  }
  const std::optional<text::RealParts> parts = text::scan_real(token, decimal_comma);
  if (!parts) return Conversion::kMalformed;
  const text::CRealText c_text(token, *parts);
  const std::string_view spelled = c_text.view();
  double result = 0.0;
  const char* const spelled_end = spelled.data() + spelled.size();
  const auto [last, error] = fast_float::from_chars(spelled.data(), spelled_end, result);
  if (error != std::errc() || last != spelled_end) return Conversion::kMalformed;
  if (std::isinf(result)) return Conversion::kOutOfRange;
  value = result;
  return Conversion::kOk;
}

}  // namespace polylsq::input
