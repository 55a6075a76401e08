// The error handler's worked examples, records compared whole: a terminal error of the
// entry routine, one of AMACH called under RCURV and R2URV with its traceback, an inner
// fatal error and an inner warning printed under the entry routine, and the stop of a real
// process.
#include "support/error_handler.h"

#include <gtest/gtest.h>

#include "recio/io.h"
#include "recio/testing.h"
#include "support/machine.h"
#include "support_lib/aliases.h"
#include "support_lib/child_process.h"
#include "tests/support/handler_records.h"

namespace polylsq {
namespace {

using handler_testing::rcurv_over_r2urv;

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

}  // namespace
}  // namespace polylsq
