// The list-directed reader's conversion of decimal reals, checked against the standard
// library's correctly rounded std::from_chars on the shapes that data files hold: a sign,
// integer digits, a point, fraction digits. Whatever shortcut the reader takes for short
// decimals must give the same float, bit for bit, as the correctly rounded conversion.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "recio/list_input.h"

namespace {

using polylsq::recio::detail::convert_real;

// The correctly rounded float of a decimal token (from_chars takes no leading '+' and no
// D exponent).
float reference(std::string text) {
  if (!text.empty() && text[0] == '+') text.erase(0, 1);
  for (char& c : text) {
    if (c == 'D' || c == 'd') c = 'e';
  }
  const std::string_view token = text;
  float value = 0.0f;
  const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
  EXPECT_EQ(ec, std::errc()) << token;
  EXPECT_EQ(end, token.data() + token.size()) << token;
  return value;
}

void expect_same_float(const std::string& token) {
  float value = 12345.0f;  // overwritten on success
  const auto error = convert_real(token, value);
  ASSERT_FALSE(error.has_value()) << token;
  EXPECT_EQ(std::bit_cast<std::uint32_t>(value), std::bit_cast<std::uint32_t>(reference(token)))
      << token;
}

TEST(RealConversion, EdgeTokensMatchTheCorrectlyRoundedValue) {
  const std::vector<std::string> tokens = {
      "0",         "-0",        "+0",         "0.",        "-0.",       ".0",
      "-.0",       "0.00000",   "-0.00000",   "5.",        ".5",        "-.5",
      "+1.5",      "007.50",    "-3.14159",   "27.18282",  "16777215",  "16777216",
      "16777217",  "1677721.7", "9999999",    "0.1",       "0.2",       "0.3",
      "1.0000001", "0.9999999", "123.4567",   "1e5",       "2.5E-3",    "1.5D2",
      "0.0000000001", "0.00000000001", "9.999999999", "3.4028235e38", "1.17549435e-38",
      "0.000000000000000000000000000000000000000000001",
      "1234567890123456789.5", "-98765.43210"};
  for (const std::string& token : tokens) expect_same_float(token);
}

TEST(RealConversion, RandomDecimalsOfEveryLengthMatchTheCorrectlyRoundedValue) {
  std::mt19937_64 rng(20261207);
  std::uniform_int_distribution<int> digit(0, 9);
  std::uniform_int_distribution<int> sign(0, 2);
  for (int int_digits = 0; int_digits <= 9; ++int_digits) {
    for (int frac_digits = 0; frac_digits <= 11; ++frac_digits) {
      if (int_digits + frac_digits == 0) continue;
      for (int k = 0; k < 2000; ++k) {
        std::string token;
        const int s = sign(rng);
        if (s == 1) token += '-';
        if (s == 2) token += '+';
        for (int i = 0; i < int_digits; ++i) token += static_cast<char>('0' + digit(rng));
        if (frac_digits > 0 || k % 2 == 0) token += '.';
        for (int i = 0; i < frac_digits; ++i) token += static_cast<char>('0' + digit(rng));
        expect_same_float(token);
      }
    }
  }
}

// Decimals of about 16 significant digits near the midpoint between two floats: a shortcut
// through a correctly rounded double rounds the midpoint's double to float by ties-to-even,
// which is wrong for a decimal just off the midpoint whose double is the midpoint itself.
TEST(RealConversion, DecimalsNearMidpointsBetweenFloatsMatchTheCorrectlyRoundedValue) {
  std::mt19937_64 rng(16777217);
  std::uniform_real_distribution<float> magnitude(1.0f, 1000.0f);
  char text[64];
  for (int k = 0; k < 200'000; ++k) {
    const float f = magnitude(rng);
    const double midpoint =
        (double(f) + double(std::nextafter(f, std::numeric_limits<float>::infinity()))) / 2;
    const int decimals = midpoint < 10.0 ? 15 : midpoint < 100.0 ? 14 : 13;
    std::snprintf(text, sizeof text, "%.*f", decimals, midpoint);
    expect_same_float(text);
    std::snprintf(text, sizeof text, "-%.*f", decimals + 3, midpoint);
    expect_same_float(text);
  }
  expect_same_float("8388608.5");       // a midpoint itself: ties to even
  expect_same_float("16777217");        // likewise, 2^24 + 1
  expect_same_float("16777219.000000"); // 2^24 + 3
}

}  // namespace
