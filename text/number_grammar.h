// The grammar of one number token of a data file (no separators in it), shared by the
// legacy run, which stores reals as floats, and the accurate reader, which stores doubles.
// Integers are converted here; a real is checked and cut into its parts here, and each
// face rounds it to its own type from the parts. Nothing here depends on the locale.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
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

// The common real "-3.14159", ".5", "27.": [-] (digits [. [digits]] | . digits) at the start
// of a text, scanned (a '+' sign is left to the general conversions).
struct PlainDecimal {
  const char* end;          // where the scan stopped: after the number when count > 0
  std::uint64_t digits;     // the digits as one integer (wraps past 19 of them)
  std::ptrdiff_t count;     // how many digits; 0: no number starts the text (".", "-", "inf")
  std::ptrdiff_t decimals;  // how many of them after the point
};

// The digits that start at `p` (none past `end`) appended to `digits` (which wraps past
// 19 digits); returns their end. Eight bytes at a time where eight can be loaded: the
// bytes less '0' are digits exactly while below 10, and the run of them is turned into
// its value by three multiplications, leading bytes zeroed.
inline const char* append_digits(const char* p, const char* end, std::uint64_t& digits) {
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
  while (p != end && *p >= '0' && *p <= '9') digits = digits * 10 + static_cast<unsigned>(*p++ - '0');
  return p;
}


// Powers of ten that a double holds exactly (5^22 < 2^53).
inline constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                               1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                               1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The plain decimal at `begin`, where the first character of [begin, end) that cannot
// continue it ends it. Inline, as exact_magnitude: the fast lanes of both readers call
// them once a value.
inline PlainDecimal scan_plain_decimal(const char* begin, const char* end) {
  const char* p = begin != end && *begin == '-' ? begin + 1 : begin;
  const char* const integer_begin = p;
  std::uint64_t digits = 0;
  p = append_digits(p, end, digits);
  std::ptrdiff_t count = p - integer_begin;
  std::ptrdiff_t decimals = 0;
  if (p != end && *p == '.') {
    const char* const fraction_begin = ++p;
    p = append_digits(p, end, digits);
    decimals = p - fraction_begin;
    count += decimals;
  }
  return {p, digits, count, decimals};
}

// Whether the magnitude of `decimal` (count > 0) is the quotient of two exact doubles: at
// most 19 digits forming an integer of at most 2^53, at most 22 decimals. One division
// then rounds it once, correctly (exact_magnitude).
inline bool has_exact_magnitude(const PlainDecimal& decimal) {
  return decimal.count <= 19 && decimal.digits <= std::uint64_t{1} << 53 &&
         decimal.decimals < static_cast<std::ptrdiff_t>(std::size(kExactPowersOfTen));
}
inline double exact_magnitude(const PlainDecimal& decimal) {
  return static_cast<double>(decimal.digits) / kExactPowersOfTen[decimal.decimals];
}

}  // namespace polylsq::text
