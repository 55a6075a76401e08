// The names the suites of the legacy layers share, brought into namespace polylsq so that
// a test file needs no using-declarations of its own.
#pragma once

#include <string>
#include <vector>

#include "support_lib/capture.h"
#include "support_lib/console_text.h"

namespace polylsq {

using CapturedRun = testing::Run;
using Records = std::vector<std::string>;  // handler records, as console_view takes them
using testing::console_view;
using testing::expect_console;
using testing::run_captured;
using testing::run_captured_runtime;
using testing::runtime_report;

}  // namespace polylsq
