// Conversion of one real token of a data file (no separators in it) to a double: the
// shared grammar of text/number_grammar.h, correctly rounded to the nearest double,
// independent of the locale, nothing thrown. Integers are text::parse_integer.
#pragma once

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

// The common case of parse_real without a token cut first: a real in the plain form
// [-] (digits [. [digits]] | . digits) [(e|E) [sign] digits] at `begin`, where the next
// character of [begin, end) decides where it stops. Returns the end of the number with
// `value` set, or nullptr (value untouched) when no such number starts at `begin` or its
// value is beyond the double range: parse_real then decides. Where this succeeds and the
// number is the whole token, parse_real gives the same value.
const char* scan_plain_real(const char* begin, const char* end, double& value);

}  // namespace polylsq::input
