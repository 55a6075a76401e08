// Capturing that needs only the run-time, so that the run-time's own tests link without
// the layers above it.
#include <string_view>

#include "capture_core.h"
#include "recio/testing.h"

namespace polylsq::testing {
namespace {

struct StopSignal {};
struct FailureSignal {};

}  // namespace

Run capture_with(const std::function<void()>& body, void (*reset)()) {
  reset();
  Run run;
  recio::set_console_sink([&run](std::string_view bytes) { run.console.append(bytes); });
  recio::set_stop_hook([&run](int) {
    run.stopped = true;
    throw StopSignal{};
  });
  recio::set_failure_hook([&run](std::string_view report) {
    run.failure = std::string(report);
    throw FailureSignal{};
  });
  try {
    body();
  } catch (const StopSignal&) {
  } catch (const FailureSignal&) {
  }
  recio::set_console_sink(nullptr);
  recio::set_stop_hook(nullptr);
  recio::set_failure_hook(nullptr);
  reset();
  return run;
}

Run run_captured_runtime(const std::function<void()>& body) {
  return capture_with(body, recio::reset_runtime_for_tests);
}

}  // namespace polylsq::testing
