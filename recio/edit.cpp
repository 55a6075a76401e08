// F, E and I editing. Digits first, layout second: the exact decimal expansion of the
// float is rounded half-up once, then laid out; fit_field owns right-justification and
// asterisks, special_text the period-filled NaN and infinity texts.
#include "recio/edit.h"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace polylsq::recio {
namespace {

constexpr int kSingleDigits = 7;  // significant digits shown of a single-precision value
constexpr int kUnitDigitsLimit = 18;  // a count of 18 digits or fewer fits in 64 bits

// Significant digits of |value| with value = d0.d1d2... * 10^exp10; no digits for zero.
struct Digits {
  std::string digits;
  int exp10 = 0;
  bool negative = false;
};

// printf gives a double's exact decimal expansion; these many digits after the first leave
// nothing to round: a float has at most 105 significant digits, a double at most 767.
constexpr int kFloatExactDigits = 112;
constexpr int kDoubleExactDigits = 766;

// The exact decimal digits of `value`, printed with `exact_digits` digits after the first.
Digits exact_digits(double value, int exact_digits) {
  Digits out;
  char buf[kDoubleExactDigits + 16];
  const int n = std::snprintf(buf, sizeof buf, "%.*e", exact_digits, value);
  std::string_view text(buf, static_cast<std::size_t>(n));
  std::size_t i = 0;
  if (text[i] == '-') {
    out.negative = true;
    ++i;
  }
  const std::size_t e = text.find('e');
  for (; i < e; ++i) {
    if (text[i] != '.') out.digits.push_back(text[i]);
  }
  out.exp10 = std::atoi(buf + e + 1);
  while (!out.digits.empty() && out.digits.back() == '0') out.digits.pop_back();
  if (out.digits.empty()) out.exp10 = 0;  // zero of either sign
  return out;
}

// Keeps the first `keep` significant digits, half-up on the first dropped digit; a
// carry out of the first digit gives a leading 1 and raises exp10. Nothing kept and
// nothing rounded up leaves no digits: the value shows as zero.
void round_half_up(Digits& x, int keep) {
  if (keep < 0 || x.digits.empty()) {
    x.digits.clear();
    return;
  }
  const bool up = static_cast<std::size_t>(keep) < x.digits.size() && x.digits[keep] >= '5';
  if (static_cast<std::size_t>(keep) < x.digits.size()) x.digits.resize(keep);
  if (up) {
    int i = keep - 1;
    while (i >= 0 && x.digits[i] == '9') x.digits[i--] = '0';
    if (i >= 0) {
      ++x.digits[i];
    } else {
      x.digits.insert(x.digits.begin(), '1');  // 9.995 at 3 digits -> 10.0
      ++x.exp10;
    }
  }
  while (!x.digits.empty() && x.digits.back() == '0') x.digits.pop_back();
}

// The digit of `x` at the decimal position 10^p (zeros outside the kept digits).
char digit_at(const Digits& x, int p) {
  const int i = x.exp10 - p;
  return (i >= 0 && i < static_cast<int>(x.digits.size())) ? x.digits[i] : '0';
}

// Right-justified in w characters, or w asterisks when the text is longer.
std::string fit_field(std::string_view text, int w) {
  if (w < 0) w = 0;
  if (text.size() > static_cast<std::size_t>(w)) return std::string(w, '*');
  std::string out(w - text.size(), ' ');
  out.append(text);
  return out;
}

// What a value that is not finite is called in a field; kFinite for every other value.
enum class Special { kFinite, kInfinity, kSignalingNaN, kDefaultNaN, kQuietNaN };

// The kind of a value by its bits: an all-ones exponent, then the fraction and its quiet
// bit (the top bit of the fraction).
template <class Bits>
Special special_of_bits(Bits bits, Bits exponent, Bits default_nan) {
  const Bits sign = Bits{1} << (8 * sizeof(Bits) - 1);
  const Bits fraction = bits & ~(sign | exponent);
  if ((bits & exponent) != exponent) return Special::kFinite;
  if (fraction == 0) return Special::kInfinity;
  if ((fraction & (default_nan & ~(sign | exponent))) == 0) return Special::kSignalingNaN;
  return bits == default_nan ? Special::kDefaultNaN : Special::kQuietNaN;
}

Special special_of(float value) {
  return special_of_bits<std::uint32_t>(std::bit_cast<std::uint32_t>(value), 0x7f800000u, 0xffc00000u);
}

Special special_of(double value) {
  return special_of_bits<std::uint64_t>(std::bit_cast<std::uint64_t>(value), 0x7ff0000000000000u,
                                        0xfff8000000000000u);
}

// The text of a NaN or an infinity filled with periods to w characters.
std::string special_text(Special kind, int w) {
  std::string_view text = "1#QNAN";
  if (kind == Special::kInfinity) text = "1#INF";
  if (kind == Special::kSignalingNaN) text = "1#SNAN";
  if (kind == Special::kDefaultNaN) text = "1#IND";  // the processor's default NaN
  if (w < 0) w = 0;
  std::string out(text.substr(0, static_cast<std::size_t>(w)));
  out.resize(w, '.');
  return out;
}

// Rounds the exact digits of a value shifted by 10^k as an F field with d decimals shows
// them: at the last shown digit (10^-d) or the seventh significant digit, whichever comes
// first.
void round_for_F(Digits& x, int d, int k) {
  if (x.digits.empty()) return;
  x.exp10 += k;
  // the last shown digit is at 10^-d, i.e. significant digit number exp10 + d + 1
  const int shown = x.exp10 + d + 1;
  round_half_up(x, shown < kSingleDigits ? shown : kSingleDigits);
}

// 0.5, F10.3 -> "      .500"; 12345.678, F10.3 -> " 12345.680"; 100000.0, F9.3 -> "*********"
std::string F_field(Digits x, int w, int d, int k) {
  round_for_F(x, d, k);
  const bool zero = x.digits.empty();
  std::string text;
  if (x.negative && !zero) text.push_back('-');  // -0.0004, F10.3 -> "      .000"
  if (!zero && x.exp10 >= 0) {
    for (int p = x.exp10; p >= 0; --p) text.push_back(digit_at(x, p));
  } else if (d == 0) {
    text.push_back('0');  // neither integer nor fraction digits: 0.2, F5.0 -> "   0."
  }
  text.push_back('.');
  for (int p = -1; p >= -d; --p) text.push_back(zero ? '0' : digit_at(x, p));
  return fit_field(text, w);
}

}  // namespace

// 2 in I1 -> "2"; -12 in I2 -> "**"
std::string edit_I(int value, int w) {
  char buf[16];
  const int n = std::snprintf(buf, sizeof buf, "%d", value);
  return fit_field(std::string_view(buf, static_cast<std::size_t>(n)), w);
}

std::string edit_F(float value, int w, int d) { return detail::edit_F_scaled(value, w, d, 0); }

// 0.0625, F10.3 -> "      .063", where the float path would print the same
std::string edit_F(double value, int w, int d) {
  const Special kind = special_of(value);
  if (kind != Special::kFinite) return special_text(kind, w);
  return F_field(exact_digits(value, kDoubleExactDigits), w, d, 0);
}

// 0.0625, d = 3 -> 63; -0.0004, d = 3 -> 0; 12345.678, d = 3 -> 12345680
std::optional<std::int64_t> shown_in_F(double value, int d) {
  if (special_of(value) != Special::kFinite) return std::nullopt;
  Digits x = exact_digits(value, kDoubleExactDigits);
  round_for_F(x, d, 0);
  if (x.digits.empty()) return 0;
  const int places = x.exp10 + d;  // of the first digit, in units of 10^-d
  if (places >= kUnitDigitsLimit) return std::nullopt;
  std::int64_t units = 0;
  for (int p = places; p >= 0; --p) units = units * 10 + (digit_at(x, p - d) - '0');
  return x.negative ? -units : units;
}

// 123.4567, 1PE14.6 -> "  1.234567E+02"; 0PE14.6 -> "   .123457E+03"
std::string edit_E(float value, int w, int d, int scale) {
  const Special kind = special_of(value);
  if (kind != Special::kFinite) return special_text(kind, w);
  Digits x = exact_digits(value, kFloatExactDigits);
  const int significant = scale > 0 ? d + 1 : d + scale;
  round_half_up(x, significant < kSingleDigits ? significant : kSingleDigits);
  const bool zero = x.digits.empty();
  // mantissa times 10^exponent equals the value; zero has the exponent 0
  const int exponent = zero ? 0 : x.exp10 + 1 - scale;
  std::string text;
  if (x.negative && !zero) text.push_back('-');  // shown digits all zero: no minus sign
  std::size_t next = 0;  // next significant digit to show
  auto take = [&] { return next < x.digits.size() ? x.digits[next++] : (++next, '0'); };
  if (scale > 0) {
    for (int i = 0; i < scale; ++i) text.push_back(take());
    text.push_back('.');
    for (int i = 0; i < d - scale + 1; ++i) text.push_back(take());
  } else {
    text.push_back('.');
    for (int i = 0; i < -scale; ++i) text.push_back('0');
    for (int i = 0; i < d + scale; ++i) text.push_back(take());
  }
  const int magnitude = exponent < 0 ? -exponent : exponent;
  char buf[16];
  if (magnitude <= 99) {
    std::snprintf(buf, sizeof buf, "E%c%02d", exponent < 0 ? '-' : '+', magnitude);
  } else {
    std::snprintf(buf, sizeof buf, "%c%03d", exponent < 0 ? '-' : '+', magnitude);  // no letter
  }
  text.append(buf);
  return fit_field(text, w);
}

namespace detail {

std::string edit_F_scaled(float value, int w, int d, int k) {
  const Special kind = special_of(value);
  if (kind != Special::kFinite) return special_text(kind, w);
  return F_field(exact_digits(value, kFloatExactDigits), w, d, k);
}

}  // namespace detail
}  // namespace polylsq::recio
