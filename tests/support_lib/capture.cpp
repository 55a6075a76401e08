#include "capture.h"

#include <gtest/gtest.h>

#include "capture_core.h"
#include "console_text.h"
#include "recio/testing.h"
#include "support/error_handler.h"
#include "support/machine.h"
#include "support/testing.h"

namespace polylsq::testing {

void reset_all() {
  recio::reset_runtime_for_tests();
  error_handler_reset_for_tests();
  machine_reset_for_tests();
}

Run run_captured(const std::function<void()>& body) { return capture_with(body, reset_all); }

void expect_console(const Run& run, const std::vector<std::string>& records, bool stopped) {
  EXPECT_EQ(run.stopped, stopped);
  EXPECT_EQ(run.console, console_view(records, stopped));
}

}  // namespace polylsq::testing
