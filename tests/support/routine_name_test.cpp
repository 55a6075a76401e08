// The routine-name guard: its name is on the stack for the scope, popped on every normal
// way out (the pop of a level holding a terminal error stops the run), and left in place
// while an exception unwinds, as a test's throwing stop leaves it.
#include "support/routine_name.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "support/error_handler.h"
#include "support_lib/capture.h"

namespace polylsq {
namespace {

struct GuardCase {
  const char* what;
  bool early_return;
  bool throws;
  int level_after;  // USER is level 1
};

// Two nested guards; the inner scope returns early or throws as the case says.
void nested(const GuardCase& c, int& inner_level) {
  const RoutineName outer("RCURV");
  [&] {
    const RoutineName inner("R2URV");
    inner_level = error_level();
    if (c.early_return) return;
    if (c.throws) throw std::runtime_error("unwinding");
  }();
}

TEST(RoutineName, PopsOnEveryNormalWayOutAndNeverWhileUnwinding) {
  const GuardCase cases[] = {
      {"falling off the end pops both names", false, false, 1},
      {"an early return pops both names", true, false, 1},
      {"an exception leaves both names pushed", false, true, 3},
  };
  for (const GuardCase& c : cases) {
    int inner_level = 0;
    int level_after = 0;
    testing::run_captured([&] {
      try {
        nested(c, inner_level);
      } catch (const std::runtime_error&) {
      }
      level_after = error_level();
    });
    EXPECT_EQ(inner_level, 3) << c.what;
    EXPECT_EQ(level_after, c.level_after) << c.what;
  }
}

TEST(RoutineName, ThePopOfALevelHoldingATerminalErrorStopsTheRun) {
  const testing::Run r = testing::run_captured([] {
    const RoutineName routine("TESTR");
    E1MES(5, 4, "Bad.");
  });
  EXPECT_TRUE(r.stopped);
  EXPECT_EQ(r.console,
            "\r\n*** TERMINAL ERROR 4 from TESTR.  Bad.\r\nStop - Program terminated.\r\n");
}

}  // namespace
}  // namespace polylsq
