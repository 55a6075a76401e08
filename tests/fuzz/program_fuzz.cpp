// Fuzz target: the whole program, from the bytes of "B2F.txt" to the console, the result
// file and the end of the run, in-process. The designed ends of a run are normal
// outcomes here: the stop, a run-time report (the failure hook), and a trapped
// floating-point exception (the trap hook leaves the SIGFPE handler with siglongjmp and
// the report is then made as the run-time makes it). Each run is checked against every
// promise of robustness/promises.h, with an older, longer "F2B.txt" planted before it;
// a broken promise aborts, as does any real crash or sanitizer report.
//
// A trapped run leaves run_program without unwinding, so its blocks are never released:
// run this target with -detect_leaks=0 (tests/fuzz/run.sh does).
#include <fcntl.h>
#include <fenv.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/program.h"
#include "recio/exit_status.h"
#include "recio/testing.h"
#include "recio/run_end.h"
#include "fuzz/work_dir.h"
#include "robustness/promises.h"
#include "support/error_handler.h"
#include "support/machine.h"
#include "support/testing.h"
#include "support_lib/files.h"

namespace {

namespace recio = polylsq::recio;

struct Stopped {};
struct Failed {};

// The outcome of the current run. Globals, so that they keep their values across
// siglongjmp.
std::string g_console;
std::string g_report;
bool g_stopped = false;
int g_stop_status = 0;
sigjmp_buf g_trap_exit;
volatile int g_trap_number = 0;
const char* volatile g_trap_message = nullptr;

[[noreturn]] void violation(const std::string& what) {
  std::fprintf(stderr, "PROMISE BROKEN: %s\nconsole: \"%s\"\nreport: \"%s\"\n", what.c_str(),
               g_console.c_str(), g_report.c_str());
  std::abort();
}

void take_trap(int number, const char* message) {
  g_trap_number = number;
  g_trap_message = message;
  siglongjmp(g_trap_exit, 1);
}

// A fresh run-time, error handler and unit table, with the three ends captured.
void fresh_run() {
  recio::reset_runtime_for_tests();
  polylsq::error_handler_reset_for_tests();
  polylsq::machine_reset_for_tests();
  g_console.clear();
  g_report.clear();
  g_stopped = false;
  g_stop_status = 0;
  recio::set_console_sink([](std::string_view bytes) { g_console.append(bytes); });
  recio::set_stop_hook([](int status) {
    if (status != polylsq::kExitResults && status != polylsq::kExitStoppedByMessage) {
      violation("stop with status " + std::to_string(status));
    }
    g_stopped = true;
    g_stop_status = status;
    throw Stopped{};
  });
  recio::set_failure_hook([](std::string_view report) {
    if (!g_report.empty()) violation("a second run-time report");
    g_report = std::string(report);
    throw Failed{};
  });
}

// The traps stay off between runs: the fuzzing engine computes in floating point too.
void traps_off() {
  fedisableexcept(FE_ALL_EXCEPT);
  feclearexcept(FE_ALL_EXCEPT);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (!polylsq::fuzz::enter_private_work_dir("polylsq-fuzz-program-")) violation("no working directory");
  const int null = ::open("/dev/null", O_RDONLY);  // the pause meets the end of its input
  if (null < 0 || ::dup2(null, STDIN_FILENO) < 0) violation("no /dev/null");
  ::close(null);
  recio::set_trap_hook(take_trap);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!polylsq::testing::write_file("B2F.txt", std::string_view(reinterpret_cast<const char*>(data), size)) ||
      !polylsq::testing::write_file("F2B.txt", polylsq::robustness::kOldResult)) {
    violation("cannot write the data or the old result file");
  }
  fresh_run();
  volatile bool returned = false;
  if (sigsetjmp(g_trap_exit, 1) == 0) {
    try {
      polylsq::app::run_program();
      returned = true;
    } catch (const Stopped&) {
    } catch (const Failed&) {
    }
  } else {
    traps_off();  // the report is made outside the handler, as the run-time makes it
    try {
      recio::detail::fail_math(g_trap_number, g_trap_message);
    } catch (const Failed&) {
    }
  }
  traps_off();
  if (returned) violation("run_program returned without ending the run");
  if (!g_stopped && g_report.empty()) violation("the run ended without the stop or a report");
  const polylsq::robustness::RunView view{g_report.empty() ? g_stop_status : 1, g_console, g_report,
                                          polylsq::robustness::kOldResult, polylsq::testing::read_file("F2B.txt")};
  if (const std::string broken = polylsq::robustness::check_run(view); !broken.empty()) {
    violation(broken);
  }
  recio::reset_runtime_for_tests();
  std::string().swap(g_console);  // every block of a run is released by its end
  std::string().swap(g_report);
  return 0;
}
