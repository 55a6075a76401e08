// The grammar of one number token of a data file (no separators in it), shared by the
// legacy run, which stores reals as floats, and the accurate reader, which stores doubles.
// Integers are converted here; a real is checked and cut into its parts here, and each
// face rounds it to its own type from the parts. Nothing here depends on the locale.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace polylsq::text {

enum class Conversion {
  kOk,
  kMalformed,   // not of the form
  kOutOfRange,  // of the form, but its value does not fit the type
};

// Integer token: [sign] digits, or b#digits (base b from 2 to 36, unsigned, letters of
// either case as digits past 9), or #digits (base 16). A point or an exponent is
// malformed ("2.0"). Writes `value` only on kOk; outside the 32-bit range is kOutOfRange.
Conversion parse_integer(std::string_view token, int& value);

// A real token cut into its parts.
struct RealParts {
  bool negative = false;
  std::string_view mantissa;  // "3.14" of "-3.14D2": digits and mark, without the sign
  std::size_t mark = std::string_view::npos;    // offset of the decimal mark in the token
  std::size_t letter = std::string_view::npos;  // offset of the exponent letter
  std::int64_t exponent = 0;  // its value; magnitudes beyond 2^40 saturate there
};

// Real token: [sign] (digits [mark [digits]] | mark digits) [(E|e|D|d) [sign] digits],
// where the mark is '.', or also ',' with `decimal_comma`. "NaN", "Inf", hexadecimal
// forms, blanks and a missing exponent letter ("1+5") are not of the form: nothing then.
std::optional<RealParts> scan_real(std::string_view token, bool decimal_comma = false);

// A real token of the form in the one spelling that std::from_chars and fast_float read:
// no '+', '.' as the mark, 'e' or 'E' as the exponent letter. Tokens up to 64 bytes are
// rewritten without an allocation.
class CRealText {
 public:
  CRealText(std::string_view token, const RealParts& parts);
  CRealText(const CRealText&) = delete;
  CRealText& operator=(const CRealText&) = delete;
  std::string_view view() const { return view_; }

 private:
  char short_[64];
  std::string long_;
  std::string_view view_;
};

// The common real "-3.14159", ".5", "27.": [sign] (digits [. [digits]] | . digits) at the
// start of a text.
struct PlainDecimal {
  const char* end = nullptr;  // after the number; nullptr when no digit starts the text
  std::uint64_t digits = 0;   // its digits as one integer (wraps past 19 of them)
  std::ptrdiff_t count = 0;   // how many digits
  std::ptrdiff_t decimals = 0;  // how many of them after the point
  bool negative = false;
};

// The plain decimal at `begin`, where the first character of [begin, end) that cannot
// continue it ends it.
PlainDecimal scan_plain_decimal(const char* begin, const char* end);

// The value of `decimal` rounded correctly to a double, when its digits and its power of
// ten are both exact doubles (at most 19 digits forming an integer of at most 2^53, at
// most 22 decimals): one division then rounds once. Nothing otherwise.
std::optional<double> exact_decimal(const PlainDecimal& decimal);

}  // namespace polylsq::text
