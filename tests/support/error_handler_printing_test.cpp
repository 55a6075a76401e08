// When the error handler prints and stops: by type and level, at once or at the pop of the
// routine the user called, with or without traceback; and the unit its records go to.
#include "support/error_handler.h"

#include <gtest/gtest.h>

#include <string>

#include "recio/io.h"
#include "support/error_queries.h"
#include "support/machine.h"
#include "support_lib/aliases.h"
#include "support_lib/files.h"
#include "support_lib/temp_dir.h"
#include "tests/support/handler_records.h"

namespace polylsq {
namespace {

using handler_testing::rcurv_over_r2urv;
using handler_testing::at_level_two;
using handler_testing::kTraceHeader;
using handler_testing::trace_row;

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
