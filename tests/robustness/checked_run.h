// A fixture that runs the real program in a fresh folder of its own and checks every
// promise of robustness/promises.h on what the run left behind.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "robustness/promises.h"
#include "support_lib/child_process.h"
#include "support_lib/console_text.h"
#include "support_lib/files.h"
#include "support_lib/fixtures.h"

namespace polylsq::robustness {

namespace fs = std::filesystem;
using testing::ChildRun;
using testing::ChildSetup;
using testing::Input;
using testing::Output;
using testing::kNoReadOnlyDirectory;
using testing::kSanitized;
using testing::read_file;
using testing::run_program;
using testing::runtime_report;
using testing::write_file;

class ProgramRunTest : public testing::TempDirTest {
 protected:
  // A run with `data` as "B2F.txt" (nullopt: none) and `old_result` as an "F2B.txt" that
  // is there before it (nullopt: none); checks every promise and returns the outcome. A
  // child whose folder could not be made read-only checks nothing: the caller skips.
  ChildRun run_and_check(const std::optional<std::string>& data,
                         const std::optional<std::string>& old_result, const ChildSetup& setup = {}) {
    if (data) write_file(dir_ / "B2F.txt", *data);
    if (old_result) write_file(dir_ / "F2B.txt", *old_result);
    ChildRun run = run_program(dir_, setup);
    if (setup.read_only_directory && run.status == kNoReadOnlyDirectory) return run;
    EXPECT_FALSE(run.timed_out) << "the run did not end within the time limit";
    EXPECT_EQ(run.signal, 0) << "ended by signal " << run.signal;
    RunView view{run.status, run.out, run.err, old_result, read_file(dir_ / "F2B.txt")};
    EXPECT_EQ(check_run(view), "") << "standard output: \"" << run.out << "\"";
    if (data) {
      EXPECT_EQ(read_file(dir_ / "B2F.txt"), data) << "the data file was changed";
    }
    return run;
  }
};

// The run-time's report for an error in a statement on the file `name`.
inline std::string io_report(int number, std::string_view statement, std::string_view name,
                             std::string_view message) {
  return runtime_report('F', number, std::string(statement) + "(" + std::string(name) + ")", message);
}

}  // namespace polylsq::robustness
