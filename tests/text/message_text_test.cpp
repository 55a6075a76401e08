// The quoting of a bad value, which the legacy run's read reports and the accurate face's
// messages share: escapes, UTF-8 kept whole, the cut after 40 bytes.
#include "text/message_text.h"

#include <string>

#include <gtest/gtest.h>

namespace polylsq::text {
namespace {

std::string times(int count, const std::string& piece) {
  std::string out;
  for (int i = 0; i < count; ++i) out += piece;
  return out;
}

TEST(QuoteValue, EscapesKeepsUtf8WholeAndCutsAfterFortyBytes) {
  const struct {
    std::string value;
    std::string quoted;
  } cases[] = {
      {"3.O512", R"("3.O512")"},
      {"", R"("")"},
      {"a\"b\\", R"("a\"b\\")"},
      {"\x01\t\x7f\xff", R"("\x01\x09\x7f\xff")"},
      {"\xc3\xa9\xf0\x9f\x98\x80", "\"\xc3\xa9\xf0\x9f\x98\x80\""},  // é and a 4-byte character
      {"\xc0\x80\xe2\x82", R"("\xc0\x80\xe2\x82")"},  // an overlong form, a sequence cut short
      {times(40, "x"), "\"" + times(40, "x") + "\""},
      {times(41, "x"), "\"" + times(40, "x") + "\"..."},
      {times(38, "x") + "\xc3\xa9y", "\"" + times(38, "x") + "\xc3\xa9\"..."},
      {times(39, "x") + "\xc3\xa9y", "\"" + times(39, "x") + "\"..."},
      {times(37, "x") + "\xf0\x9f\x98\x80", "\"" + times(37, "x") + "\"..."},
      {times(42, "\xb4"), "\"" + times(40, R"(\xb4)") + "\"..."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(quote_value(c.value), c.quoted) << ::testing::PrintToString(c.value);
  }
}

}  // namespace
}  // namespace polylsq::text
