// F, E and I editing of single values into fields of fixed width.
//
// Digits come from the exact decimal value of the float (or, for the double overload of F
// editing, of the double), rounded half-up once at the last shown digit or at the seventh
// significant digit, whichever comes first. A value that does not fit gives w asterisks;
// a NaN or an infinity gives "1#QNAN", "1#IND", "1#SNAN" or "1#INF" filled with periods to
// w characters.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace polylsq::recio {

std::string edit_I(int value, int w);                      // 2 in I1 -> "2"
std::string edit_F(float value, int w, int d);             // 0.5, F10.3 -> "      .500"
std::string edit_E(float value, int w, int d, int scale);  // 123.4567, 1PE14.6 -> "  1.234567E+02"

// F editing of a double by the same rules, its digits from the double's own exact value
// (not rounded to float first): 0.0625, F10.3 -> "      .063". A float gives the same text
// here as in edit_F(float). A NaN's text follows the double's bits as the float's do.
std::string edit_F(double value, int w, int d);

// The number that edit_F shows of `value` with d decimals, in units of 10^-d, whatever
// the field width: 0.0625, d = 3 -> 63; -0.0004 -> 0; 12345.678 -> 12345680 (7 digits
// shown). std::nullopt for a NaN, an infinity, or a count of more than 18 digits.
std::optional<std::int64_t> shown_in_F(double value, int d);

}  // namespace polylsq::recio

namespace polylsq::recio::detail {

// F editing with a scale factor k in effect: the value shown is value * 10^k, shifted
// exactly in its decimal digits. edit_F is the case k = 0.
std::string edit_F_scaled(float value, int w, int d, int k);

}  // namespace polylsq::recio::detail
