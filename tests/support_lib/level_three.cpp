// A function called at level 3 under a stand-in caller.
#include "support_lib/level_three.h"

#include <gtest/gtest.h>

#include "support/error_handler.h"
#include "support/error_queries.h"
#include "support_lib/capture.h"

namespace polylsq::testing {

LevelThreeOutcome outcome_of(const std::function<float()>& body) {
  LevelThreeOutcome outcome;
  const Run run = run_captured([&] {
    E1PSH("TEST  ");
    outcome.value = body();
    outcome.type = N1RTY(1);
    outcome.code = N1RCD(1);
    E1POP("TEST");
  });
  EXPECT_FALSE(run.stopped);
  outcome.console = run.console;
  return outcome;
}

}  // namespace polylsq::testing
