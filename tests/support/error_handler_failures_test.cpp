// The error handler's own failures, records compared whole: a push beyond 50 levels, a pop
// from an empty stack or with the wrong name, an illegal error type.
#include "support/error_handler.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/error_queries.h"
#include "support_lib/aliases.h"
#include "tests/support/handler_records.h"

namespace polylsq {
namespace {

using handler_testing::rcurv_over_r2urv;
using handler_testing::at_level_two;
using handler_testing::kTraceHeader;
using handler_testing::trace_row;
using handler_testing::concat;

TEST(ErrorHandler, FortyNinePushesSucceedAndTheFiftiethPrintsFiftyRowsAndStops) {
  auto name = [](int k) {
    char text[16];  // room for any int, though k stays below 100
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

}  // namespace
}  // namespace polylsq
