// E1MES's arguments and the pending message: -1 keeping the stored type or code, zeros
// dropping the pending message, an empty text keeping it, and what a note or an alert from
// another routine does to a pending warning.
#include "support/error_handler.h"

#include <gtest/gtest.h>

#include "support/error_queries.h"
#include "support_lib/aliases.h"
#include "tests/support/handler_records.h"

namespace polylsq {
namespace {

using handler_testing::at_level_two;

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

}  // namespace
}  // namespace polylsq
