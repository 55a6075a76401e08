// The error handler's message parameters: substitution as stored, tags inside values, the
// parameters dropped by the next message, and the limits of the parameter buffer, of a
// text value and of the message.
#include "support/error_handler.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>

#include "support/machine.h"
#include "support_lib/aliases.h"
#include "tests/support/handler_records.h"

namespace polylsq {
namespace {

using handler_testing::at_level_two;
using handler_testing::warning_line;

struct ParamCase {
  const char* what;
  std::function<void()> store;
  const char* message;
  const char* shown;  // the pending text as printed after the prefix
};

// Each case's parameters stored, then its message raised as a type-6 warning at level 2.
void expect_messages_shown(std::initializer_list<ParamCase> cases) {
  for (const ParamCase& c : cases) {
    CapturedRun r = at_level_two([&] {
      c.store();
      E1MES(6, 1, c.message);
    });
    EXPECT_EQ(r.console, console_view({"", warning_line(c.shown)}, false)) << c.what;
  }
}

// A warning whose text after the prefix is ".  " and then `rest` without a blank: the
// first line breaks at the blank in position 3, then windows of 64.
Records unbroken_warning(const std::string& rest) {
  Records records = {"", warning_line(". ")};
  for (std::size_t i = 0; i < rest.size(); i += 64) records.push_back(" ***          " + rest.substr(i, 64));
  return records;
}

TEST(ErrorHandler, ParametersAreSubstitutedAsStored) {
  expect_messages_shown({
      {"integer", [] { MSG_SET_INT(1, 50); }, "N = %(I1)", ".  N = 50"},
      {"negative integer", [] { MSG_SET_INT(2, -2147483647 - 1); }, "N = %(I2)", ".  N = -2147483648"},
      {"first of two stores", [] { MSG_SET_INT(1, 7); MSG_SET_INT(1, 8); }, "N = %(I1)", ".  N = 7"},
      {"number 0 ignored", [] { MSG_SET_INT(0, 3); }, "N = %(I1)", ".  N = %(I1)"},
      {"number 10 ignored", [] { MSG_SET_INT(10, 3); }, "N = %(I1)", ".  N = %(I1)"},
      {"real number -1 ignored", [] { MSG_SET_REAL(-1, 2.0f); }, "X = %(R1)", ".  X = %(R1)"},
      {"missing parameter", [] { MSG_SET_INT(1, 4); }, "%(I1) %(I2)", ".  4 %(I2)"},
      {"lower-case letter", [] { MSG_SET_INT(3, 9); }, "N = %(i3)", ".  N = 9"},
      {"kinds without a setter", [] { MSG_SET_TEXT(1, "T"); },
       "%(A1)%(C1)%(D1)%(K1)%(S1)%(Z1)", ".  %(A1)%(C1)%(D1)%(K1)%(S1)%(Z1)"},
      {"unknown letter", [] { MSG_SET_INT(1, 4); }, "%(B1)%(I1)", ".  %(B1)4"},
      {"digit 0", [] { MSG_SET_INT(1, 4); }, "%(I0)", ".  %(I0)"},
      {"placeholder last", [] { MSG_SET_INT(1, 4); }, "N=%(I1)", ".  N=4"},
      {"cut placeholder", [] { MSG_SET_INT(1, 4); }, "N=%(I1", ".  N=%(I1"},
      {"kind must match", [] { MSG_SET_INT(1, 4); }, "%(R1)", ".  %(R1)"},
      {"text", [] { MSG_SET_TEXT(1, "NOBS"); }, "[%(L1)]", ".  [NOBS]"},
      {"text trailing blanks cut", [] { MSG_SET_TEXT(1, "AB  "); }, "[%(L1)]", ".  [AB]"},
      {"text trailing blanks kept", [] { MSG_SET_TEXT(-1, "AB  "); }, "[%(L1)]", ".  [AB  ]"},
      {"all-blank text", [] { MSG_SET_TEXT(2, "    "); }, "[%(L2)]", ".  [ ]"},
      {"text number 0 ignored", [] { MSG_SET_TEXT(0, "AB"); }, "[%(L1)]", ".  [%(L1)]"},
      {"text number -10 ignored", [] { MSG_SET_TEXT(-10, "AB"); }, "[%(L1)]", ".  [%(L1)]"},
      {"real 1.0", [] { MSG_SET_REAL(1, 1.0f); }, "%(R1)", ".  1.000000E+00"},
      {"real -2.5", [] { MSG_SET_REAL(1, -2.5f); }, "%(R1)", ".  -2.500000E+00"},
      {"real zero", [] { MSG_SET_REAL(1, 0.0f); }, "%(R1)", ".  .000000E+00"},
      {"real 123.456", [] { MSG_SET_REAL(1, 123.456f); }, "%(R1)", ".  1.234560E+02"},
      {"real -0.5", [] { MSG_SET_REAL(1, -0.5f); }, "%(R1)", ".  -5.000000E-01"},
      {"real NaN", [] { MSG_SET_REAL(1, AMACH(6)); }, "[%(R1)]", ".  [1#QNAN........]"},
      {"three kinds", [] { MSG_SET_INT(1, 1); MSG_SET_REAL(1, 2.0f); MSG_SET_TEXT(1, "X"); },
       "%(L1)%(I1)%(R1)", ".  X12.000000E+00"},
  });
}

// The tag is searched in the whole buffer, so a text value may hold one; it counts only
// when a length of one to three digits, the "%" and the whole value follow it inside the
// stored records. Buffer: "*L1*" + length + "%" + value, then the next record.
TEST(ErrorHandler, ATagInsideATextValueCountsOnlyWhenAWholeRecordFollows) {
  expect_messages_shown({
      {"well-formed tag in a value", [] { MSG_SET_TEXT(1, "x*I1*2%ab"); }, "[%(I1)]", ".  [ab]"},
      {"length runs past the records", [] { MSG_SET_TEXT(1, "*I1*999"); }, "[%(I1)]", ".  [%(I1)]"},
      {"no percent sign after the length", [] { MSG_SET_TEXT(1, "*I1*12345678901234"); }, "[%(I1)]",
       ".  [%(I1)]"},
      {"length that is no number", [] { MSG_SET_TEXT(1, "*I1*x%"); }, "[%(I1)]", ".  [%(I1)]"},
      {"a real record after a broken tag", [] { MSG_SET_TEXT(1, "*I1*9"); MSG_SET_INT(1, 4); }, "[%(I1)]",
       ".  [4]"},
  });
}

TEST(ErrorHandler, ParametersAreDroppedByTheNextMessage) {
  CapturedRun r = at_level_two([] {
    MSG_SET_INT(1, 4);
    E1MES(1, 1, "note");
    E1MES(6, 1, "N = %(I1)");
  });
  EXPECT_EQ(r.console, console_view({"", warning_line(".  N = %(I1)")}, false));
}

TEST(ErrorHandler, AParameterThatMightNotFitTheBufferIsIgnored) {
  // 255 + 8 characters, then the test position + LEN + 8 > 300 on the raw length.
  const std::string fill(255, 'f');
  const std::string x29 = std::string(29, 'x');
  CapturedRun r = at_level_two([&] {
    MSG_SET_TEXT(1, fill);                            // record "*L1*255%..." ends at 263
    MSG_SET_TEXT(2, "y" + std::string(29, ' '));      // 263 + 30 + 8 = 301: ignored
    MSG_SET_TEXT(3, x29);                             // 263 + 29 + 8 = 300: stored
    E1MES(6, 1, "%(L2)|%(L3)");
  });
  EXPECT_EQ(r.console, console_view({"", warning_line(".  %(L2)|" + x29)}, false));
}

TEST(ErrorHandler, TextParametersAreCutTo255Characters) {
  const std::string long_text = std::string(255, 'a') + "b";
  CapturedRun r = at_level_two([&] {
    MSG_SET_TEXT(1, long_text);
    E1MES(6, 1, "%(L1)");
  });
  EXPECT_EQ(r.console, console_view(unbroken_warning(std::string(255, 'a')), false));
}

TEST(ErrorHandler, TheMessageIsCutAt1024CharactersInsideAParameterValue) {
  const std::string letters(1015, 'a');
  CapturedRun r = at_level_two([&] {
    MSG_SET_TEXT(1, "0123456789");
    E1MES(6, 1, letters + "%(L1)zz");
  });
  // 3 + 1015 + 6 = 1024
  EXPECT_EQ(r.console, console_view(unbroken_warning(letters + "012345"), false));
}

TEST(ErrorHandler, TheInputIsCutAt1024CharactersBeforeBuilding) {
  const std::string letters(1100, 'q');
  CapturedRun r = at_level_two([&] { E1MES(6, 1, letters); });
  EXPECT_EQ(r.console, console_view(unbroken_warning(std::string(1021, 'q')), false));
}

}  // namespace
}  // namespace polylsq
