// Texts copied into caller buffers: the whole length returned, a NUL always written, and a
// cut never inside a UTF-8 character.
#include "capi/text_copy.h"

#include <gtest/gtest.h>

#include <string>

namespace polylsq::capi {
namespace {

TEST(CopyText, CutsBeforeACharacterThatDoesNotFitWhole) {
  // "é" is C3 A9, "€" E2 82 AC, "𝑥" F0 9D 91 A5.
  const struct {
    const char* text;
    std::size_t capacity;
    const char* written;
  } cases[] = {
      {"abc", 4, "abc"},
      {"abc", 10, "abc"},
      {"abc", 3, "ab"},
      {"abc", 1, ""},
      {"x\xC3\xA9y", 3, "x"},  // room for x and C3 only
      {"x\xC3\xA9y", 4, "x\xC3\xA9"},
      {"\xE2\x82\xAC!", 3, ""},  // the euro sign needs 3 bytes and the NUL
      {"\xE2\x82\xAC!", 4, "\xE2\x82\xAC"},
      {"a\xF0\x9D\x91\xA5", 5, "a"},
      {"a\xF0\x9D\x91\xA5", 6, "a\xF0\x9D\x91\xA5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " in " + std::to_string(c.capacity));
    char out[16];
    std::string(sizeof out, '#').copy(out, sizeof out);
    EXPECT_EQ(copy_text(c.text, out, c.capacity), std::string(c.text).size());
    EXPECT_STREQ(out, c.written);
    EXPECT_EQ(out[c.capacity], '#');  // nothing written past the buffer
  }
}

TEST(CopyText, AnEmptyBufferGetsNothingAndTheLengthIsStillTold) {
  char untouched = '#';
  EXPECT_EQ(copy_text("four", &untouched, 0), 4u);
  EXPECT_EQ(untouched, '#');
  EXPECT_EQ(copy_text("four", nullptr, 0), 4u);
}

}  // namespace
}  // namespace polylsq::capi
