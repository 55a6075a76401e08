// Real tokens: every form, with results compared bit for bit against the compiler's own
// correctly rounded literals and hand-derived values.
#include "input/number_text.h"

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

#include <gtest/gtest.h>

namespace polylsq::input {
namespace {

constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kMinNormal = std::numeric_limits<double>::min();
constexpr double kMinSubnormal = std::numeric_limits<double>::denorm_min();

struct RealCase {
  std::string token;
  bool decimal_comma;
  Conversion status;
  double value;  // compared bit for bit when status is kOk
};

const RealCase kRealCases[] = {
    {"3", false, Conversion::kOk, 3.0},
    {"-0.25", false, Conversion::kOk, -0.25},
    {"+.5", false, Conversion::kOk, 0.5},
    {"-.5", false, Conversion::kOk, -0.5},
    {"5.", false, Conversion::kOk, 5.0},
    {"-3.14159", false, Conversion::kOk, -3.14159},
    {"1.5E3", false, Conversion::kOk, 1500.0},
    {"1.5e+3", false, Conversion::kOk, 1500.0},
    {"1.5D3", false, Conversion::kOk, 1500.0},
    {"-5.d-1", false, Conversion::kOk, -0.5},
    {"+2.5D-01", false, Conversion::kOk, 0.25},
    {"1E+02", false, Conversion::kOk, 100.0},
    {"007", false, Conversion::kOk, 7.0},
    {"-0", false, Conversion::kOk, -0.0},
    {"0.1", false, Conversion::kOk, 0.1},
    // the exact value of the double nearest 0.1
    {"0.1000000000000000055511151231257827021181583404541015625", false, Conversion::kOk, 0.1},
    // 2^53 + 1 lies halfway between two doubles: ties to even; a trace above rounds up
    {"9007199254740993", false, Conversion::kOk, 9007199254740992.0},
    {"9007199254740993.00000000000000000001", false, Conversion::kOk, 9007199254740994.0},
    {"9007199254740993.00000000000000000001D0", false, Conversion::kOk, 9007199254740994.0},
    // the limits of the double range
    {"1.7976931348623157e308", false, Conversion::kOk, kMax},
    {"-1.7976931348623158E308", false, Conversion::kOk, -kMax},  // below the midpoint to 2^1024
    {"1.7976931348623159e308", false, Conversion::kOutOfRange, 0.0},
    {"1e309", false, Conversion::kOutOfRange, 0.0},
    {"-1D400", false, Conversion::kOutOfRange, 0.0},
    {"1e99999999999999999999", false, Conversion::kOutOfRange, 0.0},
    {"2.2250738585072014e-308", false, Conversion::kOk, kMinNormal},
    {"4.9406564584124654e-324", false, Conversion::kOk, kMinSubnormal},
    // half the smallest subnormal is 2.4703282292062327208...e-324
    {"2.4703282292062328e-324", false, Conversion::kOk, kMinSubnormal},
    {"2.4703282292062327e-324", false, Conversion::kOk, 0.0},
    {"1e-400", false, Conversion::kOk, 0.0},
    {"-1d-400", false, Conversion::kOk, -0.0},
    {"0e99999", false, Conversion::kOk, 0.0},
    // decimal commas
    {"1,5", true, Conversion::kOk, 1.5},
    {"-0,25e1", true, Conversion::kOk, -2.5},
    {"1.5", true, Conversion::kOk, 1.5},
    {",5", true, Conversion::kOk, 0.5},
    {"1,5", false, Conversion::kMalformed, 0.0},
    {"1,000.5", true, Conversion::kMalformed, 0.0},
    {"1,5,", true, Conversion::kMalformed, 0.0},
    // not reals
    {"", false, Conversion::kMalformed, 0.0},
    {".", false, Conversion::kMalformed, 0.0},
    {"-", false, Conversion::kMalformed, 0.0},
    {"+", false, Conversion::kMalformed, 0.0},
    {"-.", false, Conversion::kMalformed, 0.0},
    {"NaN", false, Conversion::kMalformed, 0.0},
    {"nan", false, Conversion::kMalformed, 0.0},
    {"Inf", false, Conversion::kMalformed, 0.0},
    {"-inf", false, Conversion::kMalformed, 0.0},
    {"+infinity", false, Conversion::kMalformed, 0.0},
    {"1+5", false, Conversion::kMalformed, 0.0},
    {"1e", false, Conversion::kMalformed, 0.0},
    {"1e+", false, Conversion::kMalformed, 0.0},
    {"1D", false, Conversion::kMalformed, 0.0},
    {".e5", false, Conversion::kMalformed, 0.0},
    {"1.5.2", false, Conversion::kMalformed, 0.0},
    {"1e5e5", false, Conversion::kMalformed, 0.0},
    {"1e5.5", false, Conversion::kMalformed, 0.0},
    {"--1", false, Conversion::kMalformed, 0.0},
    {"+-1", false, Conversion::kMalformed, 0.0},
    {"0x1p3", false, Conversion::kMalformed, 0.0},
    {" 1", false, Conversion::kMalformed, 0.0},
    {"1 ", false, Conversion::kMalformed, 0.0},
    {"1.0f", false, Conversion::kMalformed, 0.0},
    {"3.O512", false, Conversion::kMalformed, 0.0},
    {"16#FF", false, Conversion::kMalformed, 0.0},
    {std::string("1\0", 2), false, Conversion::kMalformed, 0.0},
};

TEST(ParseReal, EveryFormGivesTheCorrectlyRoundedDoubleOrItsVerdict) {
  for (const RealCase& c : kRealCases) {
    SCOPED_TRACE("token \"" + c.token + "\"");
    constexpr double kUntouched = 12345.0;
    double value = kUntouched;
    EXPECT_EQ(parse_real(c.token, value, c.decimal_comma), c.status);
    const double expected = c.status == Conversion::kOk ? c.value : kUntouched;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(value), std::bit_cast<std::uint64_t>(expected))
        << value << " vs " << expected;
  }
}

TEST(ParseReal, AnEmptyViewWithoutStorageIsMalformed) {
  double value = 1.0;
  EXPECT_EQ(parse_real(std::string_view{}, value), Conversion::kMalformed);
  EXPECT_EQ(parse_real(std::string_view{}, value, true), Conversion::kMalformed);
  EXPECT_EQ(value, 1.0);
}

TEST(ParseReal, LongTokensInEveryFormAreRoundedOnce) {
  // 0.000...0001 with 300 zeros after the point is 1e-301; written with D, with a plus
  // sign and with a decimal comma, each form longer than any short buffer
  const std::string zeros(300, '0');
  const struct {
    std::string token;
    bool decimal_comma;
    double value;
  } cases[] = {
      {"0." + zeros + "1", false, 1e-301},
      {"+0." + zeros + "1", false, 1e-301},
      {"0." + zeros + "1D0", false, 1e-301},
      {"-0," + zeros + "1e2", true, -1e-299},
      {"1" + zeros + "D-300", false, 1.0},
  };
  for (const auto& c : cases) {
    double value = 0.0;
    ASSERT_EQ(parse_real(c.token, value, c.decimal_comma), Conversion::kOk) << c.token;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(value), std::bit_cast<std::uint64_t>(c.value))
        << c.token;
  }
}

// scan_plain_real() on `text`, which starts with `token`, and on `token` alone: each stops
// after the token with strtod's value.
void expect_scan_agrees_with_strtod(const std::string& text, const std::string& token) {
  SCOPED_TRACE(text);
  const double expected = std::strtod(token.c_str(), nullptr);
  double value = 0.0;
  const char* const begin = text.data();
  const char* const stop = scan_plain_real(begin, begin + text.size(), value);
  ASSERT_NE(stop, nullptr);
  EXPECT_EQ(stop - begin, static_cast<std::ptrdiff_t>(token.size()));
  EXPECT_EQ(std::bit_cast<std::uint64_t>(value), std::bit_cast<std::uint64_t>(expected));
  const char* const token_end = token.data() + token.size();
  EXPECT_EQ(scan_plain_real(token.data(), token_end, value), token_end);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(value), std::bit_cast<std::uint64_t>(expected));
}

TEST(ScanPlainReal, EveryDigitCountBeforeAnyFollowingByteAgreesWithStrtod) {
  // integer and fraction parts of 0 to 21 digits, followed by bytes that stop a number,
  // or by an exponent, then by digits to be left alone (few, or enough for the loads of
  // the short form); also each token alone, ending where the bytes end. The C library's
  // strtod is the reference for the value.
  const std::string pattern = "9876543210123456789012";
  const std::string followers[] = {" ", ",", "\n", "/", "#", "\xFF", "\x7F", ":", "e5 "};
  for (std::size_t integer_digits = 0; integer_digits <= 21; ++integer_digits) {
    for (std::size_t fraction_digits = 0; fraction_digits <= 21; ++fraction_digits) {
      if (integer_digits + fraction_digits == 0) continue;
      for (const char* sign : {"", "-"}) {
        std::string number = sign + pattern.substr(0, integer_digits);
        if (fraction_digits > 0) number += "." + pattern.substr(integer_digits, fraction_digits);
        for (const std::string& follower : followers) {
          const std::string token = follower == "e5 " ? number + "e5" : number;
          for (const std::size_t padding : {std::size_t{7}, std::size_t{kShortRealBytes}}) {
            expect_scan_agrees_with_strtod(number + follower + std::string(padding, '7'), token);
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace polylsq::input
