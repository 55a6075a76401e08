// Integer tokens of both faces: every form, with its value or its verdict.
#include "text/number_grammar.h"

#include <string>

#include <gtest/gtest.h>

namespace polylsq::text {
namespace {

struct IntegerCase {
  std::string token;
  Conversion status;
  int value;
};

const IntegerCase kIntegerCases[] = {
    {"0", Conversion::kOk, 0},
    {"7", Conversion::kOk, 7},
    {"+7", Conversion::kOk, 7},
    {"-7", Conversion::kOk, -7},
    {"0005", Conversion::kOk, 5},
    {"2147483647", Conversion::kOk, 2147483647},
    {"-2147483648", Conversion::kOk, -2147483647 - 1},
    {"2147483648", Conversion::kOutOfRange, 0},
    {"-2147483649", Conversion::kOutOfRange, 0},
    {"99999999999999999999999999", Conversion::kOutOfRange, 0},
    {"16#FF", Conversion::kOk, 255},
    {"16#ff", Conversion::kOk, 255},
    {"#1f", Conversion::kOk, 31},
    {"2#101", Conversion::kOk, 5},
    {"8#777", Conversion::kOk, 511},
    {"36#Zz", Conversion::kOk, 35 * 36 + 35},
    {"016#10", Conversion::kOk, 16},
    {"16#7FFFFFFF", Conversion::kOk, 2147483647},
    {"16#80000000", Conversion::kOutOfRange, 0},
    {"2#" + std::string(64, '1'), Conversion::kOutOfRange, 0},
    {"8#8", Conversion::kMalformed, 0},
    {"1#1", Conversion::kMalformed, 0},
    {"37#1", Conversion::kMalformed, 0},
    {"#", Conversion::kMalformed, 0},
    {"16#", Conversion::kMalformed, 0},
    {"#G", Conversion::kMalformed, 0},
    {"-16#F", Conversion::kMalformed, 0},
    {"16#-F", Conversion::kMalformed, 0},
    {"2.0", Conversion::kMalformed, 0},
    {"1e3", Conversion::kMalformed, 0},
    {"1D3", Conversion::kMalformed, 0},
    {"", Conversion::kMalformed, 0},
    {"+", Conversion::kMalformed, 0},
    {"--1", Conversion::kMalformed, 0},
    {"1 ", Conversion::kMalformed, 0},
    {"12a", Conversion::kMalformed, 0},
};

TEST(ParseInteger, EveryFormGivesItsValueOrItsVerdict) {
  for (const IntegerCase& c : kIntegerCases) {
    SCOPED_TRACE("token \"" + c.token + "\"");
    constexpr int kUntouched = 424242;
    int value = kUntouched;
    EXPECT_EQ(parse_integer(c.token, value), c.status);
    EXPECT_EQ(value, c.status == Conversion::kOk ? c.value : kUntouched);
  }
}

}  // namespace
}  // namespace polylsq::text
