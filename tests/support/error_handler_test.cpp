// The error handler's records, compared whole: layout, wrapping, traceback, printing and
// stopping per type and level, parameters, and the handler's own failures. Routines of
// the library are stood in for by small bodies that push the same names.
#include "support/error_handler.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "recio/io.h"
#include "recio/testing.h"
#include "support/error_queries.h"
#include "support/machine.h"
#include "support_lib/aliases.h"
#include "support_lib/child_process.h"
#include "support_lib/files.h"
#include "support_lib/temp_dir.h"

namespace polylsq {
namespace {

constexpr const char* kNobsMessage =
    "The number of observations must be at least 1 while NOBS = %(I1) is given.";

// Stand-in for the entry routine's first check.
void rcurv_checking_nobs(int NOBS) {
  E1PSH("RCURV ");
  if (NOBS < 1) {
    MSG_SET_INT(1, NOBS);
    E1MES(5, 1, kNobsMessage);
  }
  E1POP("RCURV");
}

// RCURV calling R2URV, whose body is `inner`.
void rcurv_over_r2urv(const std::function<void()>& inner) {
  E1PSH("RCURV ");
  E1PSH("R2URV ");
  inner();
  E1POP("R2URV");
  E1POP("RCURV");
}

// A routine called by the user (level 2) named TESTR, whose body is `body`.
CapturedRun at_level_two(const std::function<void()>& body) {
  return run_captured([&] {
    E1PSH("TESTR ");
    body();
    E1POP("TESTR");
  });
}

std::string warning_line(const std::string& text) {
  return " *** WARNING  ERROR 1 from TESTR" + text;
}

const Records kTraceHeader = {
    "     Here is a traceback of subprogram calls in reverse order:",
    "     Routine name                    Error type  Error code",
    "     ------------                    ----------  ----------",
};

std::string trace_row(const std::string& name, int type, int code, bool internal) {
  char row[128];
  std::snprintf(row, sizeof row, "     %-32s%6d      %6d%s", name.c_str(), type, code,
                internal ? "    (Called internally)" : "");
  return row;
}

Records concat(Records a, const Records& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// ---- The worked examples ----

TEST(ErrorHandler, NobsZeroInRcurvGivesTheThreeRecordsThenStops) {
  const Records expected = {
      "",
      " *** TERMINAL ERROR 1 from RCURV.  The number of observations must be at",
      " ***          least 1 while NOBS = 0 is given.",
  };
  CapturedRun r = run_captured([] { rcurv_checking_nobs(0); });
  expect_console(r, expected, true);
}

TEST(ErrorHandler, NobsZeroShowsOnTheConsoleAfterTheBannerWithTheStopLine) {
  CapturedRun r = run_captured([] {
    recio::write_list(recio::kStarUnit, {" Banner"});
    rcurv_checking_nobs(0);
  });
  EXPECT_TRUE(r.stopped);
  EXPECT_EQ(r.console,
            " Banner\r\n"
            "\r\n"
            "*** TERMINAL ERROR 1 from RCURV.  The number of observations must be at\r\n"
            "***          least 1 while NOBS = 0 is given.\r\n"
            "Stop - Program terminated.\r\n");
}

TEST(ErrorHandler, NegativeNobsBreaksTheFirstLineAtTheSameBlank) {
  const Records expected = {
      "",
      " *** TERMINAL ERROR 1 from RCURV.  The number of observations must be at",
      " ***          least 1 while NOBS = -5 is given.",
  };
  CapturedRun r = run_captured([] { rcurv_checking_nobs(-5); });
  expect_console(r, expected, true);
}

TEST(ErrorHandler, AmachNineAtLevelFourPrintsTheTracebackAndStops) {
  const Records expected = {
      "",
      " *** TERMINAL ERROR 5 from AMACH.  The argument must be between 1 and 8",
      " ***          inclusive. N = 9",
      "     Here is a traceback of subprogram calls in reverse order:",
      "     Routine name                    Error type  Error code",
      "     ------------                    ----------  ----------",
      "     AMACH                                5           5    (Called internally)",
      "     R2URV                                0           0    (Called internally)",
      "     RCURV                                0           0",
      "     USER                                 0           0",
  };
  bool returned = false;
  CapturedRun r = run_captured([&] {
    rcurv_over_r2urv([] { AMACH(9); });
    returned = true;
  });
  EXPECT_FALSE(returned);
  expect_console(r, expected, true);
}

TEST(ErrorHandler, FatalErrorOfAnInnerRoutineIsPrintedUnderRcurvAndStops) {
  const Records expected = {
      "",
      " *** FATAL    ERROR 7 from RCURV.  The x values are constant.  At least two",
      " ***          distinct x values are needed.",
  };
  int printed_before_outer_pop = -1;
  CapturedRun r = run_captured([&] {
    E1PSH("RCURV ");
    E1PSH("R2URV ");
    E1MES(4, 7, "The x values are constant.  At least two distinct x values are needed.");
    E1POP("R2URV");
    printed_before_outer_pop = 0;
    E1POP("RCURV");
  });
  EXPECT_EQ(printed_before_outer_pop, 0);
  expect_console(r, expected, true);
}

TEST(ErrorHandler, WarningOfAnInnerRoutineIsPrintedUnderRcurvAndTheRunGoesOn) {
  const Records expected = {
      "",
      " *** WARNING  ERROR 4 from RCURV.  The y values are constant.  A zero order",
      " ***          polynomial is fit.  High order coefficients are set to zero.",
  };
  bool returned = false;
  CapturedRun r = run_captured([&] {
    rcurv_over_r2urv([] {
      E1MES(3, 4,
            "The y values are constant.  A zero order polynomial is fit.  High order "
            "coefficients are set to zero.");
    });
    returned = true;
  });
  EXPECT_TRUE(returned);
  expect_console(r, expected, false);
}

TEST(ErrorHandler, NobsZeroEndsARealProcessWithStatusThreeAndTheStopLine) {
  testing::reset_all();
  const testing::ChildRun child = testing::run_child([] { rcurv_checking_nobs(0); });
  EXPECT_EQ(child.status, 3);  // stopped by a TERMINAL message
  EXPECT_EQ(child.out,
            "\r\n"
            "*** TERMINAL ERROR 1 from RCURV.  The number of observations must be at\r\n"
            "***          least 1 while NOBS = 0 is given.\r\n"
            "Stop - Program terminated.\r\n");
}

// ---- Parameters and message building ----

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

// ---- Layout: first line, forced breaks, continuation lines ----

struct LayoutCase {
  const char* what;
  std::string message;
  Records lines;  // after the empty record
};

TEST(ErrorHandler, MessagesAreLaidOutByTheLineRules) {
  // Prefix " 1 from TESTR" has 13 characters: CAP = 46 characters of text.
  const std::string x38(38, 'x');
  const std::string w42(42, 'w');
  const std::string a60(60, 'a');
  const LayoutCase cases[] = {
      {"exactly CAP characters fit the first line", x38 + " yyyy",
       {warning_line(".  " + x38 + " yyyy")}},
      {"one more moves the last word", x38 + " yyyyy",
       {warning_line(".  " + x38), " ***          yyyyy"}},
      {"forced break on the first line", "First part.%/Second part.",
       {warning_line(".  First part."), " ***          Second part."}},
      {"blank after a forced break is kept", "First.%/ indented",
       {warning_line(".  First."), " ***           indented"}},
      {"forced break at CAP is not taken on the first line", x38 + " yyy%/zz",
       {warning_line(".  " + x38), " ***          yyy", " ***          zz"}},
      {"leading blank of a continuation is skipped", w42 + "  Next.",
       {warning_line(".  " + w42), " ***          Next."}},
      {"continuation ends at the last blank of its window", "Head.%/" + a60 + " bbbbbbbbbb",
       {warning_line(".  Head."), " ***          " + a60 + " ", " ***          bbbbbbbbbb"}},
      {"forced breaks in continuation windows", "Head.%/one%/two",
       {warning_line(".  Head."), " ***          one", " ***          two"}},
      {"message ending with a forced break", "Head.%/",
       {warning_line(".  Head.")}},
  };
  for (const LayoutCase& c : cases) {
    CapturedRun r = at_level_two([&] { E1MES(6, 1, c.message); });
    EXPECT_EQ(r.console, console_view(concat({""}, c.lines), false)) << c.what;
  }
}

TEST(ErrorHandler, ALowerCaseFirstLetterBeforeAnUpperCaseOneIsShownInUpperCase) {
  const Records expected = concat(
      {"", " *** WARNING  ERROR 2 from XYZ.  Shown.", kTraceHeader[0], kTraceHeader[1], kTraceHeader[2],
       trace_row("XYZ", 6, 2, true), trace_row("ABCDE", 0, 0, false), trace_row("USER", 0, 0, false)},
      {"", " *** WARNING  ERROR 3 from ab.  Kept."});
  CapturedRun r = run_captured([] {
    E1PSH("aBCDE ");
    E1PSH("xYZ ");
    E1MES(6, 2, "Shown.");
    E1POP("xYZ");
    E1POP("aBCDE");
    E1PSH("ab ");
    E1MES(6, 3, "Kept.");
    E1POP("ab");
  });
  expect_console(r, expected, false);
}

// ---- Printing and stopping by type and level ----

TEST(ErrorHandler, TypesAtLevelTwoArePrintedAndStoppedByTheirSettings) {
  struct Case {
    int type;
    const char* label;  // nullptr: nothing printed
    bool stops;
  };
  const Case cases[] = {
      {1, nullptr, false},    {2, nullptr, false},   {3, "WARNING ", false}, {4, "FATAL   ", true},
      {5, "TERMINAL", true},  {6, "WARNING ", false}, {7, "FATAL   ", true},
  };
  for (const Case& c : cases) {
    CapturedRun r = at_level_two([&] { E1MES(c.type, 3, "Text."); });
    const Records expected = c.label == nullptr
                                 ? Records{}
                                 : Records{"", std::string(" *** ") + c.label + " ERROR 3 from TESTR.  Text."};
    SCOPED_TRACE("type " + std::to_string(c.type));
    expect_console(r, expected, c.stops);
  }
}

TEST(ErrorHandler, ImmediateTypesArePrintedAtOnceAndOthersAtThePop) {
  for (int type = 1; type <= 7; ++type) {
    std::string before_pop;
    run_captured([&] {
      recio::set_console_sink([&](std::string_view bytes) { before_pop.append(bytes); });
      E1PSH("TESTR ");
      E1MES(type, 1, "Text.");
      recio::set_console_sink([](std::string_view) {});
    });
    EXPECT_EQ(!before_pop.empty(), type >= 5) << "type " << type;
  }
}

TEST(ErrorHandler, InnerImmediateWarningIsPrintedWithTracebackAndTheRunGoesOn) {
  const Records expected = {"", " *** WARNING  ERROR 11 from R3ORP.  Perfect.", kTraceHeader[0], kTraceHeader[1],
                            kTraceHeader[2], trace_row("R3ORP", 6, 11, true), trace_row("R2URV", 0, 0, true),
                            trace_row("RCURV", 0, 0, false), trace_row("USER", 0, 0, false)};
  bool returned = false;
  CapturedRun r = run_captured([&] {
    rcurv_over_r2urv([] {
      E1PSH("R3ORP ");
      E1MES(6, 11, "Perfect.");
      E1POP("R3ORP");
    });
    returned = true;
  });
  EXPECT_TRUE(returned);
  expect_console(r, expected, false);
}

TEST(ErrorHandler, InnerImmediateFatalStopsOnlyWhenTheLevelTwoRoutineReturns) {
  bool after_inner_pop = false;
  CapturedRun r = run_captured([&] {
    E1PSH("RCURV ");
    E1PSH("R2URV ");
    E1MES(7, 2, "Bad.");
    E1POP("R2URV");
    after_inner_pop = true;
    E1POP("RCURV");
  });
  const Records expected = {"", " *** FATAL    ERROR 2 from R2URV.  Bad.", kTraceHeader[0], kTraceHeader[1],
                            kTraceHeader[2], trace_row("R2URV", 7, 2, true), trace_row("RCURV", 0, 0, false),
                            trace_row("USER", 0, 0, false)};
  EXPECT_TRUE(after_inner_pop);
  expect_console(r, expected, true);
}

TEST(ErrorHandler, InnerTerminalStopsWhenTheRaisingRoutineReturns) {
  bool after_inner_pop = false;
  CapturedRun r = run_captured([&] {
    E1PSH("RCURV ");
    E1PSH("R2URV ");
    E1MES(5, 3, "End.");
    E1POP("R2URV");
    after_inner_pop = true;
  });
  EXPECT_FALSE(after_inner_pop);
  EXPECT_TRUE(r.stopped);
}

TEST(ErrorHandler, ClearedImmediateFatalFlagStillStopsALaterImmediateWarning) {
  // The flags are cleared only when a level-2 routine pops with type 6 or 7.
  bool second_call_returned = false;
  CapturedRun r = run_captured([&] {
    E1PSH("RCURV ");
    E1PSH("R2URV ");
    E1MES(7, 2, "Bad.");
    E1POP("R2URV");
    E1MES(0, 0, " ");
    E1POP("RCURV");
    E1PSH("RCURV ");
    E1MES(6, 1, "Mild.");
    E1POP("RCURV");
    second_call_returned = true;
  });
  EXPECT_FALSE(second_call_returned);
  EXPECT_TRUE(r.stopped);
}

TEST(ErrorHandler, AWarningAtLevelTwoIsPrintedAtThePopAndTheRunGoesOn) {
  int calls_after = 0;
  CapturedRun r = run_captured([&] {
    E1PSH("TESTR ");
    E1MES(3, 2, "Careful.");
    E1POP("TESTR");
    E1PSH("TESTR ");
    E1POP("TESTR");
    ++calls_after;
  });
  EXPECT_EQ(calls_after, 1);
  EXPECT_EQ(r.console, console_view({"", " *** WARNING  ERROR 2 from TESTR.  Careful."}, false));
}

// ---- E1MES arguments ----

TEST(ErrorHandler, MinusOneKeepsTheStoredTypeOrCode) {
  CapturedRun keep_type = at_level_two([] {
    E1MES(3, 2, "first");
    E1MES(-1, 5, "second");
    EXPECT_EQ(N1RTY(0), 3);
    EXPECT_EQ(N1RCD(0), 5);
  });
  EXPECT_EQ(keep_type.console, console_view({"", " *** WARNING  ERROR 5 from TESTR.  second"}, false));

  CapturedRun keep_code = at_level_two([] {
    E1MES(1, 4, "first");
    E1MES(3, -1, "second");
    EXPECT_EQ(N1RTY(0), 3);
    EXPECT_EQ(N1RCD(0), 4);
  });
  EXPECT_EQ(keep_code.console, console_view({"", " *** WARNING  ERROR 4 from TESTR.  second"}, false));
}

TEST(ErrorHandler, TypeZeroCodeZeroDropsThePendingMessage) {
  CapturedRun r = at_level_two([] {
    E1MES(3, 4, "pending");
    E1MES(0, 0, " ");
    EXPECT_EQ(N1RTY(0), 0);
  });
  expect_console(r, {}, false);
}

TEST(ErrorHandler, CodeZeroDropsThePendingMessageButKeepsTheType) {
  CapturedRun r = at_level_two([] {
    E1MES(3, 4, "pending");
    E1MES(3, 0, "also dropped");
  });
  EXPECT_EQ(r.console, "");
}

TEST(ErrorHandler, TerminalWithoutTextPrintsThePendingMessageUnderTheNewTypeAndCode) {
  std::string before_pop;
  CapturedRun r = run_captured([&] {
    E1PSH("TESTR ");
    E1MES(3, 2, "pending text");
    E1MES(5, 3, " ");
    before_pop = "reached";
    E1POP("TESTR");
  });
  EXPECT_EQ(before_pop, "reached");
  expect_console(r, {"", " *** TERMINAL ERROR 3 from TESTR.  pending text"}, true);
}

TEST(ErrorHandler, EmptyTextKeepsThePendingMessage) {
  CapturedRun r = at_level_two([] {
    E1MES(3, 2, "pending text");
    E1MES(3, 6, "");
  });
  EXPECT_EQ(r.console, console_view({"", " *** WARNING  ERROR 6 from TESTR.  pending text"}, false));
}

TEST(ErrorHandler, ANoteFromAnotherRoutineReplacesAPendingWarningText) {
  CapturedRun replaced = run_captured([] {
    E1PSH("RCURV ");
    E1PSH("R2URV ");
    E1MES(3, 4, "warning text");
    E1POP("R2URV");
    E1PSH("OTHER ");
    E1MES(1, 9, "note text");
    E1POP("OTHER");
    E1POP("RCURV");
  });
  EXPECT_EQ(replaced.console, console_view({"", " *** WARNING  ERROR 4 from RCURV.  note text"}, false));
}

TEST(ErrorHandler, AnAlertCopiedUpReplacesAPendingWarningTypeSoNothingIsPrinted) {
  CapturedRun r = run_captured([] {
    E1PSH("RCURV ");
    E1PSH("R2URV ");
    E1MES(3, 4, "warning text");
    E1POP("R2URV");
    E1PSH("OTHER ");
    E1MES(2, 6, "alert text");
    E1POP("OTHER");
    EXPECT_EQ(N1RTY(0), 2);
    EXPECT_EQ(N1RCD(0), 6);
    E1POP("RCURV");
  });
  expect_console(r, {}, false);
}

TEST(ErrorHandler, ANoteIsNotCopiedToTheCaller) {
  CapturedRun r = run_captured([] {
    E1PSH("RCURV ");
    E1PSH("R2URV ");
    E1MES(1, 3, "note");
    E1POP("R2URV");
    EXPECT_EQ(N1RTY(0), 0);
    EXPECT_EQ(N1RTY(1), 1);
    EXPECT_EQ(N1RCD(1), 3);
    E1POP("RCURV");
  });
  EXPECT_EQ(r.console, "");
}

// ---- The handler's own failures ----

TEST(ErrorHandler, FortyNinePushesSucceedAndTheFiftiethPrintsFiftyRowsAndStops) {
  auto name = [](int k) {
    char text[8];
    std::snprintf(text, sizeof text, "SUB%02d", k);
    return std::string(text);
  };
  int reached = 0;
  std::string console_after_49;
  CapturedRun r = run_captured([&] {
    for (int k = 1; k <= 49; ++k) E1PSH(name(k) + " ");
    reached = error_level();
    E1PSH("SUB50 ");
  });
  EXPECT_EQ(reached, 50);
  Records expected = {"", " *** TERMINAL ERROR 1 from SUB49.  Error condition in E1PSH.  Push would",
                      " ***          cause stack level to exceed 50. "};
  expected = concat(expected, kTraceHeader);
  expected.push_back(trace_row("SUB49", 5, 1, true));
  for (int k = 48; k >= 2; --k) expected.push_back(trace_row(name(k), 0, 0, true));
  expected.push_back(trace_row("SUB01", 0, 0, false));
  expected.push_back(trace_row("USER", 0, 0, false));
  ASSERT_EQ(expected.size(), 3u + 3u + 50u);
  expect_console(r, expected, true);
}

TEST(ErrorHandler, FortyNinePushesAndPopsLeaveNothingBehind) {
  CapturedRun r = run_captured([] {
    for (int k = 1; k <= 49; ++k) E1PSH("DEEP ");
    for (int k = 1; k <= 49; ++k) E1POP("DEEP");
    EXPECT_EQ(error_level(), 1);
  });
  expect_console(r, {}, false);
}

TEST(ErrorHandler, PopFromAnEmptyStackNamesE1popAndStops) {
  CapturedRun r = run_captured([] {
    E1PSH("RCURV ");
    E1POP("RCURV");
    E1POP("RCURV");
  });
  const Records expected = {"",
                            " *** TERMINAL ERROR 1 from E1POP.  Error condition in E1POP.  Cannot pop from",
                            " ***          RCURV because stack is empty."};
  expect_console(r, expected, true);
}

TEST(ErrorHandler, PopWithTheWrongNameStops) {
  CapturedRun r = run_captured([] {
    E1PSH("RCURV ");
    E1POP("RCURX");
  });
  const Records expected = {"",
                            " *** TERMINAL ERROR 2 from RCURV.  Error condition in E1POP.  RCURX does not",
                            " ***          match the name RCURV in the stack."};
  expect_console(r, expected, true);
}

TEST(ErrorHandler, PopWithTheWrongNameBelowLevelTwoShowsTheTraceback) {
  CapturedRun r = run_captured([] {
    E1PSH("RCURV ");
    E1PSH("R2URV ");
    E1POP("RCURV");
  });
  const Records expected = concat(
      {"", " *** TERMINAL ERROR 2 from R2URV.  Error condition in E1POP.  RCURV does not",
       " ***          match the name R2URV in the stack."},
      concat(kTraceHeader, {trace_row("R2URV", 5, 2, true), trace_row("RCURV", 0, 0, false),
                            trace_row("USER", 0, 0, false)}));
  expect_console(r, expected, true);
}

TEST(ErrorHandler, NamesAreComparedBlankPadded) {
  CapturedRun r = run_captured([] {
    E1PSH("RCURV ");
    E1POP("RCURV   ");
    E1PSH("RCURV");
    E1POP("RCURV ");
  });
  expect_console(r, {}, false);
}

TEST(ErrorHandler, IllegalTypesPrintUnderTheStoredTypeAndStop) {
  struct Case {
    int type;
    int stored_type;  // -1: none recorded
    const char* first_line;
  };
  const Case cases[] = {
      {8, -1, " *** UNKNOWN  ERROR 0 from TESTR.  Error from E1MES.  Illegal error type"},
      {-2, -1, " *** UNKNOWN  ERROR 0 from TESTR.  Error from E1MES.  Illegal error type"},
      {9, 3, " *** WARNING  ERROR 2 from TESTR.  Error from E1MES.  Illegal error type"},
  };
  for (const Case& c : cases) {
    CapturedRun r = at_level_two([&] {
      if (c.stored_type >= 0) E1MES(c.stored_type, 2, "");
      E1MES(c.type, 5, "never built");
    });
    SCOPED_TRACE("type " + std::to_string(c.type));
    expect_console(r, {"", c.first_line, " ***          specified."}, true);
  }
}

TEST(ErrorHandler, IllegalTypeBelowLevelTwoShowsTheTracebackWithUnknownLabel) {
  CapturedRun r = run_captured([] {
    rcurv_over_r2urv([] { E1MES(12, 1, "x"); });
  });
  const Records expected = concat(
      {"", " *** UNKNOWN  ERROR 0 from R2URV.  Error from E1MES.  Illegal error type",
       " ***          specified."},
      concat(kTraceHeader, {trace_row("R2URV", 0, 0, true), trace_row("RCURV", 0, 0, false),
                            trace_row("USER", 0, 0, false)}));
  expect_console(r, expected, true);
}

// ---- Output unit ----

TEST(ErrorHandler, RecordsGoToTheUnitThatUmachGivesForIndexThree) {
  const testing::TempDir dir("polylsq-unit-");
  ASSERT_FALSE(dir.path().empty());
  const std::string path = dir.path() / "messages.txt";
  CapturedRun r = run_captured([&] {
    recio::open_unit(7, path);
    int unit = 7;
    UMACH(-3, unit);
    E1PSH("TESTR ");
    E1MES(6, 1, "To the file.");
    E1POP("TESTR");
    recio::close_unit(7);
  });
  EXPECT_EQ(r.console, "");
  EXPECT_EQ(testing::read_file(path), "\r\n *** WARNING  ERROR 1 from TESTR.  To the file.\r\n");
}

}  // namespace
}  // namespace polylsq
