// F, E and I editing: exact field texts. Expected texts are derived by hand from the
// exact decimal value of each float or double (shown in the comments where it matters).
#include "recio/edit.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace polylsq::recio {
namespace {

float from_bits(std::uint32_t bits) { return std::bit_cast<float>(bits); }

template <class Real>
struct FieldCase {
  Real value;
  int w;
  int d;
  const char* expected;
};
using FCase = FieldCase<float>;

const FCase kFCases[] = {
    {0.5f, 10, 3, "      .500"},
    {-0.25f, 10, 3, "     -.250"},
    {12345.678f, 10, 3, " 12345.680"},  // 12345.677734375: seventh digit rounds up
    {100000.0f, 9, 3, "*********"},
    {0.0f, 10, 3, "      .000"},
    {-0.0f, 10, 3, "      .000"},
    {-0.0004f, 10, 3, "      .000"},  // all shown digits zero: no minus sign
    {-1234567.0f, 10, 3, "**********"},
    {99.87654f, 12, 4, "     99.8765"},  // 99.87654113...
    {2.5f, 9, 3, "    2.500"},
    {0.1f, 10, 3, "      .100"},
    {0.0005f, 10, 3, "      .001"},    // 0.000500000023...: first dropped digit 5
    {-0.0005f, 10, 3, "     -.001"},
    {0.00049999f, 10, 3, "      .000"},
    {1.0e-10f, 10, 3, "      .000"},
    {-1.5f, 12, 4, "     -1.5000"},
    {9.9996f, 6, 3, "10.000"},          // carry adds an integer digit
    {9.9996f, 5, 3, "*****"},
    {123456789.0f, 12, 1, " 123456800.0"},  // 123456792 kept to seven digits
    {3.4028235e38f, 10, 3, "**********"},
    {0.125f, 5, 2, "  .13"},             // exact tie rounds up
    {2.5f, 5, 0, "   3."},               // exact tie rounds up, not to even
    {0.5f, 5, 0, "   1."},
    {0.2f, 5, 0, "   0."},               // neither integer nor fraction digits
    {0.0f, 5, 0, "   0."},
    {-0.3f, 5, 0, "   0."},
    {7.0f, 3, 1, "7.0"},
    {-7.0f, 3, 1, "***"},
    {1.0e-45f, 10, 3, "      .000"},      // smallest denormal
};

TEST(EditF, LaysOutValuesWithoutLeadingZeroAndRoundsHalfUpOnce) {
  for (const FCase& c : kFCases) {
    EXPECT_EQ(edit_F(c.value, c.w, c.d), c.expected)
        << c.value << " F" << c.w << "." << c.d;
  }
}

TEST(EditF, RoundsTheExactValueNotAnEightDigitString) {
  // 1.37181246280670166...: eight-digit rounding would give 1.3718125 and then 1.371813.
  EXPECT_EQ(edit_F(from_bits(0x3faf978du), 10, 6), "  1.371812");
}

TEST(EditF, FieldGainsADigitAtEachPowerOfTen) {
  float power = 1.0f;
  for (int k = 0; k <= 6; ++k, power *= 10.0f) {
    const std::string digits = "1" + std::string(k, '0') + ".0";
    EXPECT_EQ(edit_F(power, k + 3, 1), digits) << power;
    EXPECT_EQ(edit_F(power, k + 2, 1), std::string(k + 2, '*')) << power;
    EXPECT_EQ(edit_F(power - 1.0f, k + 3, 1), " " + (k == 0 ? std::string(".0") :
                                                     std::string(k, '9') + ".0"))
        << power - 1.0f;
  }
}

// F editing of doubles: the digits of the double's own exact value, by the float's rules.
TEST(EditFOfADouble, RoundsTheDoublesExactValueHalfUpOnceUnderTheSameCap) {
  const FieldCase<double> cases[] = {
      {0.0625, 10, 3, "      .063"},           // exact tie rounds up, not to even
      {0.124999999999, 5, 2, "  .12"},         // as a float it would be 0.125 and print .13
      {0.125000000001, 5, 2, "  .13"},
      {2.675, 10, 2, "      2.67"},            // 2.67499999999999982236...
      {12345.6789, 10, 3, " 12345.680"},       // seven significant digits, then zeros
      {-0.956, 10, 3, "     -.956"},
      {123456.0, 9, 3, "*********"},
      {1e300, 10, 3, "**********"},
      {-0.0, 10, 3, "      .000"},             // shown digits all zero: no minus sign
      {-0.0004, 10, 3, "      .000"},
      {-0.0005, 10, 3, "     -.001"},          // -0.000500000000000000010408...
      {4.9406564584124654e-324, 10, 3, "      .000"},  // smallest subnormal
      {9.99996, 7, 4, "10.0000"},               // carry adds an integer digit
  };
  for (const FieldCase<double>& c : cases) {
    EXPECT_EQ(edit_F(c.value, c.w, c.d), c.expected) << c.value << " F" << c.w << "." << c.d;
  }
  // A float's exact value is a double's: the same texts as the float table.
  for (const FCase& c : kFCases) {
    EXPECT_EQ(edit_F(static_cast<double>(c.value), c.w, c.d), c.expected) << c.value;
  }
}

TEST(ShownInF, IsTheNumberOfTheFieldInUnitsOfItsLastDigit) {
  const struct {
    double value;
    int d;
    std::optional<std::int64_t> units;
  } cases[] = {
      {0.0625, 3, 63},
      {-0.956, 3, -956},
      {-0.0004, 3, 0},
      {0.0, 3, 0},
      {12345.6789, 3, 12345680},  // seven digits shown
      {99.87654, 4, 998765},
      {1e17, 0, 100000000000000000},
      {1e18, 0, std::nullopt},  // 19 digits
      {std::numeric_limits<double>::infinity(), 3, std::nullopt},
      {std::numeric_limits<double>::quiet_NaN(), 3, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(shown_in_F(c.value, c.d), c.units) << c.value;
}

struct ECase {
  float value;
  int w;
  int d;
  int scale;
  const char* expected;
};

TEST(EditE, LaysOutMantissaAndExponentForBothScaleFactors) {
  const ECase cases[] = {
      {123.4567f, 14, 6, 0, "   .123457E+03"},  // 123.456703...
      {123.4567f, 14, 6, 1, "  1.234567E+02"},
      {0.0f, 14, 6, 0, "   .000000E+00"},
      {-0.0f, 14, 6, 0, "   .000000E+00"},
      {0.0f, 14, 6, 1, "  0.000000E+00"},
      {1.0f, 14, 6, 1, "  1.000000E+00"},
      {-2.5f, 14, 6, 1, " -2.500000E+00"},
      {-0.5f, 14, 6, 1, " -5.000000E-01"},
      {123.456f, 14, 6, 1, "  1.234560E+02"},  // 123.456001...
      {9.99999f, 10, 3, 0, "  .100E+02"},      // carry raises the exponent
      {1.0e-5f, 11, 4, 0, "  .1000E-04"},      // 9.99999974...E-06
      {1.0f / 3.0f, 16, 8, 1, "  3.33333300E-01"},  // seven digits, then zeros
      {123.4567f, 8, 3, 0, ".123E+03"},
      {123.4567f, 7, 3, 0, "*******"},
      {-123.4567f, 8, 3, 0, "********"},
      {1.0e-40f, 14, 6, 1, "  9.999946E-41"},  // denormal 9.9999461...E-41
      {3.4028235e38f, 14, 6, 1, "  3.402823E+38"},
  };
  for (const ECase& c : cases) {
    EXPECT_EQ(edit_E(c.value, c.w, c.d, c.scale), c.expected)
        << c.value << " " << c.scale << "PE" << c.w << "." << c.d;
  }
}

TEST(EditE, ExponentsOfThreeDigitsDropTheLetter) {
  // A single-precision value reaches such exponents only through a large scale factor.
  // 1.0e38f is 9.99999968e37: one significant digit rounds up to 1, exponent 38 + 1 + 99.
  EXPECT_EQ(edit_E(1.0e38f, 105, 100, -99), "." + std::string(99, '0') + "1+138");
  // 1.0e-38f is 9.99999935e-39: seven digits 9999999, then zeros; exponent -39 + 1 - 70.
  EXPECT_EQ(edit_E(1.0e-38f, 76, 70, 70), "9999999" + std::string(63, '0') + ".0-108");
  EXPECT_EQ(edit_E(1.0e-38f, 75, 70, 70), std::string(75, '*'));
}

struct SpecialCase {
  std::uint32_t bits;
  const char* f9_3;
  const char* f12_4;
  const char* e14_6;
};

TEST(EditFAndE, NanAndInfinityAreNamedAndFilledWithPeriods) {
  const SpecialCase cases[] = {
      {0x7fc00000u, "1#QNAN...", "1#QNAN......", "1#QNAN........"},  // quiet NaN
      {0xffc00001u, "1#QNAN...", "1#QNAN......", "1#QNAN........"},  // payload beyond quiet bit
      {0x7fc00001u, "1#QNAN...", "1#QNAN......", "1#QNAN........"},
      {0xffc00000u, "1#IND....", "1#IND.......", "1#IND........."},  // default NaN
      {0x7f800001u, "1#SNAN...", "1#SNAN......", "1#SNAN........"},
      {0xff800001u, "1#SNAN...", "1#SNAN......", "1#SNAN........"},
      {0x7f800000u, "1#INF....", "1#INF.......", "1#INF........."},
      {0xff800000u, "1#INF....", "1#INF.......", "1#INF........."},
  };
  for (const SpecialCase& c : cases) {
    const float value = from_bits(c.bits);
    EXPECT_EQ(edit_F(value, 9, 3), c.f9_3) << std::hex << c.bits;
    EXPECT_EQ(edit_F(value, 12, 4), c.f12_4) << std::hex << c.bits;
    EXPECT_EQ(edit_E(value, 14, 6, 0), c.e14_6) << std::hex << c.bits;
    EXPECT_EQ(edit_E(value, 14, 6, 1), c.e14_6) << std::hex << c.bits;
    // The double of the same kind: sign, all-ones exponent, the fraction at its top bits.
    const std::uint64_t wide = (std::uint64_t{c.bits & 0x80000000u} << 32) | 0x7ff0000000000000u |
                               (std::uint64_t{c.bits & 0x007fffffu} << 29);
    EXPECT_EQ(edit_F(std::bit_cast<double>(wide), 9, 3), c.f9_3) << std::hex << wide;
  }
}

TEST(EditI, RightJustifiesWithMinusSignOrFillsWithAsterisks) {
  const struct {
    int value;
    int w;
    const char* expected;
  } cases[] = {
      {2, 1, "2"},          {12, 1, "*"},          {-5, 2, "-5"},
      {-5, 1, "*"},         {0, 3, "  0"},         {7, 5, "    7"},
      {INT_MIN, 11, "-2147483648"},                {INT_MIN, 10, "**********"},
      {INT_MAX, 10, "2147483647"},
  };
  for (const auto& c : cases) EXPECT_EQ(edit_I(c.value, c.w), c.expected) << c.value;
}

}  // namespace
}  // namespace polylsq::recio
