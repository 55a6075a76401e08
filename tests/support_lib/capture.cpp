#include "capture.h"

#include "capture_core.h"
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

}  // namespace polylsq::testing
