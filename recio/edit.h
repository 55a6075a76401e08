// F, E and I editing of single values into fields of fixed width.
//
// Digits come from the exact decimal value of the float, rounded half-up once at the
// last shown digit or at the seventh significant digit, whichever comes first. A value
// that does not fit gives w asterisks; a NaN or an infinity gives "1#QNAN", "1#IND",
// "1#SNAN" or "1#INF" filled with periods to w characters.
#pragma once

#include <string>

namespace polylsq::recio {

std::string edit_I(int value, int w);                      // 2 in I1 -> "2"
std::string edit_F(float value, int w, int d);             // 0.5, F10.3 -> "      .500"
std::string edit_E(float value, int w, int d, int scale);  // 123.4567, 1PE14.6 -> "  1.234567E+02"

}  // namespace polylsq::recio

namespace polylsq::recio::detail {

// F editing with a scale factor k in effect: the value shown is value * 10^k, shifted
// exactly in its decimal digits. edit_F is the case k = 0.
std::string edit_F_scaled(float value, int w, int d, int k);

}  // namespace polylsq::recio::detail
