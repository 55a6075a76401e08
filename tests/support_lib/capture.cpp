#include "capture.h"

#include <string_view>

#include "recio/hooks.h"
#include "support/error_handler.h"
#include "support/machine.h"

namespace polylsq::testing {
namespace {

struct StopSignal {};
struct FailureSignal {};

}  // namespace

void reset_all() {
  recio::reset_runtime_for_tests();
  error_handler_reset_for_tests();
  machine_reset_for_tests();
}

Run run_captured(const std::function<void()>& body) {
  reset_all();
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
  reset_all();
  return run;
}

}  // namespace polylsq::testing
