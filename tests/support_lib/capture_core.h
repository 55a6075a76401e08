// The capturing loop shared by run_captured and run_captured_runtime.
#pragma once

#include <functional>

#include "capture.h"

namespace polylsq::testing {

// Runs `body` with the console, the stop and the failure report captured; `reset` runs
// before and after.
Run capture_with(const std::function<void()>& body, void (*reset)());

}  // namespace polylsq::testing
