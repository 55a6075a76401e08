// SVG markup helpers, byte for byte: short locale-independent numbers, XML escaping of any
// caller text (invalid UTF-8 and forbidden characters replaced), cutting text.
#include "plot/svg_writer.h"

#include <gtest/gtest.h>

#include <limits>

namespace polylsq::plot {
namespace {

// clang-format off
TEST(SvgNumber, WritesAtMostTwoDecimalsWithoutTrailingZeros) {
  const std::pair<double, const char*> rows[] = {
      {12.5, "12.5"}, {3.004, "3"}, {2.999, "3"}, {-0.001, "0"}, {-0.0, "0"}, {123.456, "123.46"},
      {-7.125, "-7.12"}, {0.005, "0.01"}, {1e5, "100000"}, {10.1, "10.1"}, {-620, "-620"},
      {std::numeric_limits<double>::quiet_NaN(), "0"}, {std::numeric_limits<double>::infinity(), "0"}};
  for (const auto& [value, text] : rows) {
    std::string out = "<";
    append_number(out, value);
    EXPECT_EQ(out, std::string("<") + text) << value;
  }
}

TEST(SvgEscaping, EscapesMarkupAndReplacesWhatXmlForbids) {
  const std::pair<const char*, const char*> rows[] = {
      {"a<b&c>d", "a&lt;b&amp;c&gt;d"},  {"say \"hi\" 'x'", "say &quot;hi&quot; &apos;x&apos;"},
      {"R\u00b2 \u2212 \U0001F600", "R\u00b2 \u2212 \U0001F600"},  {"tab\tline\ncr\r", "tab line cr "},
      {"bell\x07", "bell\uFFFD"},        {"\xff", "\uFFFD"},
      {"\xe2\x88", "\uFFFD\uFFFD"},      // cut short
      {"\xc0\xaf", "\uFFFD\uFFFD"},      // overlong '/'
      {"\xed\xa0\x80", "\uFFFD"},        // surrogate
      {"\xef\xbf\xbe", "\uFFFD"},        // U+FFFE
      {"\xf4\x90\x80\x80", "\uFFFD\uFFFD\uFFFD\uFFFD"}};  // beyond U+10FFFF: one per byte
  for (const auto& [raw, escaped] : rows) {
    std::string out;
    append_escaped(out, raw);
    EXPECT_EQ(out, escaped) << raw;
  }
}

TEST(SvgShortened, CutsWholeCharactersAndMarksTheCut) {
  struct Row { const char* text; std::size_t max_characters; const char* expected; std::size_t characters; };
  const Row rows[] = {{"abc", 5, "abc", 3}, {"abcdef", 4, "abc\u2026", 6}, {"R\u00b2R\u00b2R\u00b2", 3, "R\u00b2\u2026", 6},
                      {"abc", 0, "", 3},    {"a\xff", 2, "a\xff", 2}};
  for (const Row& row : rows) {
    EXPECT_EQ(shortened(row.text, row.max_characters), row.expected) << row.text;
    EXPECT_EQ(character_count(row.text), row.characters) << row.text;
  }
}
// clang-format on

}  // namespace
}  // namespace polylsq::plot
