// Conversion of one real token of a data file (no separators in it) to a double: the
// shared grammar of text/number_grammar.h, correctly rounded to the nearest double,
// independent of the locale, nothing thrown. Integers are text::parse_integer.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "text/number_grammar.h"

namespace polylsq::input {

using text::Conversion;

// Real token: [sign] (digits [mark [digits]] | mark digits) [(E|e|D|d) [sign] digits],
// where the mark is '.', or also ',' with `decimal_comma`. "NaN", "Inf", hexadecimal
// forms, blanks and a missing exponent letter ("1+5") are malformed.
// Writes `value` only on kOk. A magnitude that rounds beyond the largest double is
// kOutOfRange; one below the smallest subnormal reads as a zero of its sign.
Conversion parse_real(std::string_view token, double& value, bool decimal_comma = false);

// Bytes that scan_short_real() may load from its start.
inline constexpr std::ptrdiff_t kShortRealBytes = 17;

namespace detail {

// The run of decimal digits at the start of the 8 bytes `bytes` (the first in the low
// byte): their count, 0 to 8, and, below 8, their value. Bytes less '0' are digits
// exactly while below 10; borrows and carries disturb only bytes after the first that is
// not, and these are shifted out before three multiplications sum the digits.
struct DigitRun {
  unsigned count;
  std::uint64_t value;
};
inline DigitRun digit_run(std::uint64_t bytes) {
  const std::uint64_t values = bytes - 0x3030303030303030;
  const std::uint64_t non_digits = (values | (values + 0x7676767676767676)) & 0x8080808080808080;
  const unsigned count = static_cast<unsigned>(std::countr_zero(non_digits)) / 8;
  const unsigned shift = 64 - 8 * count;  // 64 for no digit: nothing is kept
  std::uint64_t v = shift >= 64 ? 0 : values << shift;
  v = v * 10 + (v >> 8);
  v = (((v & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
       (((v >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
      32;
  return {count, v};
}

// 10^k for the k digits of a fraction.
inline constexpr std::uint64_t kDigitScales[] = {1,      10,      100,      1000,
                                                 10000,  100000,  1000000,  10000000};

inline std::uint64_t load_eight(const char* p) {
  std::uint64_t bytes = 0;
  std::memcpy(&bytes, p, sizeof bytes);
  return bytes;
}

}  // namespace detail

// The fast lane's common real, "-3.14159", "27.18282", ".5", "12.": [-] digits [. digits]
// with at most 7 digits on each side of the point and at least one in all, read from
// `begin` where kShortRealBytes bytes can be loaded (the bytes past the number are only
// looked at). Returns the end of the number with `value` set, or nullptr (value
// untouched) for any other text or a number followed by an exponent letter, which
// scan_plain_real then reads: where both succeed they give the same bits, the exact
// quotient of two exact doubles rounded once.
inline const char* scan_short_real(const char* begin, double& value) {
  if constexpr (std::endian::native != std::endian::little) return nullptr;
  const bool negative = *begin == '-';
  const char* p = begin + (negative ? 1 : 0);
  const detail::DigitRun integer = detail::digit_run(detail::load_eight(p));
  if (integer.count == 8) return nullptr;
  p += integer.count;
  detail::DigitRun fraction{0, 0};
  if (*p == '.') {
    fraction = detail::digit_run(detail::load_eight(p + 1));
    if (fraction.count == 8) return nullptr;
    p += 1 + fraction.count;
  }
  if (integer.count + fraction.count == 0 || *p == 'e' || *p == 'E') return nullptr;
  const std::uint64_t digits = integer.value * detail::kDigitScales[fraction.count] + fraction.value;
  const double magnitude =
      static_cast<double>(digits) / text::kExactPowersOfTen[fraction.count];
  value = negative ? -magnitude : magnitude;
  return p;
}

namespace detail {

// scan_plain_real() for the forms that scan_short_real() leaves.
const char* scan_other_plain_real(const char* begin, const char* end, double& value);

}  // namespace detail

// The common case of parse_real without a token cut first: a real in the plain form
// [-] (digits [. [digits]] | . digits) [(e|E) [sign] digits] at `begin`, where the next
// character of [begin, end) decides where it stops. Returns the end of the number with
// `value` set, or nullptr (value untouched) when no such number starts at `begin` or its
// value is beyond the double range: parse_real then decides. Where this succeeds and the
// number is the whole token, parse_real gives the same value.
// Inline: the fast lanes call it once a value; the short form is read in the line.
inline const char* scan_plain_real(const char* begin, const char* end, double& value) {
  if (end - begin >= kShortRealBytes) {
    if (const char* const stop = scan_short_real(begin, value)) return stop;
  }
  return detail::scan_other_plain_real(begin, end, value);
}

}  // namespace polylsq::input
