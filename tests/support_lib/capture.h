// Test support: run library code with the console, the stop and the run-time error
// report captured instead of ending the test process.
//
//   polylsq::testing::Run r = polylsq::testing::run_captured([] { RCURV(...); });
//   EXPECT_EQ(r.console, "\r\n*** TERMINAL ...");  EXPECT_TRUE(r.stopped);
//
// A stop or a failure report unwinds out of the library (the hooks throw), as the real
// process would end there. Every run starts from a fresh run-time, error handler and unit
// table.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace polylsq::testing {

struct Run {
  std::string console;                // bytes written to standard output
  bool stopped = false;               // the run ended through the stop
  std::optional<std::string> failure; // the run-time error report, when one ended the run
};

Run run_captured(const std::function<void()>& body);

// The same with only the run-time reset: for the run-time's own tests, which do not link
// the error handler.
Run run_captured_runtime(const std::function<void()>& body);

// Resets the run-time, the error handler and the unit table.
void reset_all();

// The run stopped, or went on, as `stopped` says, and its console shows exactly the handler
// records `records` (console_view).
void expect_console(const Run& run, const std::vector<std::string>& records, bool stopped);

}  // namespace polylsq::testing
