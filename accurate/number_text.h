// Conversion of one number token of a data file (no separators in it) to a double or an
// int. Both file formats share these forms; reals are correctly rounded to the nearest
// double, independent of the locale, and nothing throws.
#pragma once

#include <string_view>

namespace polylsq::accurate {

enum class Conversion {
  kOk,
  kMalformed,   // not of the form
  kOutOfRange,  // of the form, but its value does not fit the type
};

// Real token: [sign] (digits [mark [digits]] | mark digits) [(E|e|D|d) [sign] digits],
// where the mark is '.', or also ',' with `decimal_comma`. "NaN", "Inf", hexadecimal
// forms, blanks and a missing exponent letter ("1+5") are malformed.
// Writes `value` only on kOk. A magnitude that rounds beyond the largest double is
// kOutOfRange; one below the smallest subnormal reads as a zero of its sign.
Conversion parse_real(std::string_view token, double& value, bool decimal_comma = false);

// The common case of parse_real without a token cut first: a real in the plain form
// [-] (digits [. [digits]] | . digits) [(e|E) [sign] digits] at `begin`, where the next
// character of [begin, end) decides where it stops. Returns the end of the number with
// `value` set, or nullptr (value untouched) when no such number starts at `begin` or its
// value is beyond the double range: parse_real then decides. Where this succeeds and the
// number is the whole token, parse_real gives the same value.
const char* scan_plain_real(const char* begin, const char* end, double& value);

// Integer token: [sign] digits, or b#digits (base b from 2 to 36, unsigned, letters of
// either case as digits past 9), or #digits (base 16). A point or an exponent is
// malformed ("2.0"). Writes `value` only on kOk; outside the 32-bit range is kOutOfRange.
Conversion parse_integer(std::string_view token, int& value);

}  // namespace polylsq::accurate
