// End-to-end runs of the real polylsq binary against golden files.
//
// Each case is a folder tests/app/golden/<case>/ holding
//   B2F.txt   the data file placed in a fresh working directory (absent: no data file)
//   F2B.old   a result file already there before the run (absent: none)
//   stdin     the bytes on standard input (absent: standard input at its end at once)
//   stdout, stderr, status   the expected bytes and exit status
//   F2B.txt   the expected result file after the run (absent: no result file)
// The expected files were derived by hand from the program's definition: carriage
// control, F editing, the error handler's layout and the fit's arithmetic; never
// captured from a run.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "support_lib/case_name.h"
#include "support_lib/child_process.h"
#include "support_lib/files.h"
#include "support_lib/fixtures.h"

namespace {

namespace fs = std::filesystem;
using polylsq::testing::read_file;
using polylsq::testing::write_file;

const fs::path kGolden = fs::path(POLYLSQ_SOURCE_DIR) / "tests" / "app" / "golden";

// A run gets far less address space than a giant allocation would need, so a count in the
// data file that the file does not back cannot turn into one. (Sanitized builds reserve
// huge shadow mappings and run without the limit.)
constexpr rlim_t kAddressSpaceLimit = rlim_t{2} << 30;

struct Case {
  const char* name;
  const char* what;
};

const Case kCases[] = {
    {"degree2_blank_separated", "degree-2 fit of realistic data; B(4..6) are zero"},
    {"degree2_comma_separated_crlf", "the same data as 'x, y' lines ending in CR LF"},
    {"degree2_values_split_over_lines", "y on the next line, tabs, extra values, unread lines"},
    {"degree5_fit", "degree-5 fit: all six coefficients from the fit"},
    {"first_line_3_7", "first line '3 7': NDEG = 3 and the 7 is skipped"},
    {"more_than_300_observations", "420 observations in shuffled order"},
    {"shipped_example", "the example shipped in example/B2F.txt"},
    {"longer_old_result_replaced", "an older, longer F2B.txt is cut to seven records"},
    {"standard_input_at_end", "end of standard input at the pause counts as Enter"},
    {"degree_with_decimal_point", "'2.0' for NDEG: the READ report, status 1"},
    {"missing_data_file", "no B2F.txt: created empty, end-of-file report"},
    {"fewer_values_than_nobs", "the file ends before NOBS pairs: end-of-file report"},
    {"huge_count_short_file", "NOBS = 2147483647 with three pairs: end of file, no giant block"},
    {"nobs_zero", "NOBS = 0: RCURV's terminal error, no result file"},
    {"negative_degree", "NDEG = -1: RCURV's terminal error"},
    {"degree_six_rejected", "NDEG = 6: rejected before NOBS is read; old F2B.txt kept"},
    {"single_observation", "NOBS = 1: the regression's terminal error with its traceback"},
    {"constant_x", "all x equal: the fatal error under RCURV"},
    {"constant_y_degree2", "all y equal: perfect-fit warning, then the constant-y warning"},
    {"perfect_fit_of_requested_degree", "y exactly quadratic: perfect-fit warning at once"},
    {"perfect_fit_of_lower_degree", "y exactly linear, degree 3: both warnings, I1 and I2"},
    {"two_distinct_x_values", "degree 2 on two distinct x: the regression's own warning"},
    {"zero_slope_note_replaces_warning", "a type-1 note replaces the pending warning's text"},
};

// Shown by name in test listings.
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class GoldenRun : public polylsq::testing::TempDirTest, public ::testing::WithParamInterface<Case> {};

TEST_P(GoldenRun, MatchesTheGoldenFiles) {
  const fs::path golden = kGolden / GetParam().name;
  ASSERT_TRUE(fs::is_directory(golden)) << golden;
  SCOPED_TRACE(GetParam().what);

  const std::optional<std::string> data = read_file(golden / "B2F.txt");
  const std::optional<std::string> old_result = read_file(golden / "F2B.old");
  if (data) write_file(dir_ / "B2F.txt", *data);
  if (old_result) write_file(dir_ / "F2B.txt", *old_result);
  polylsq::testing::ChildSetup setup;
  if (fs::exists(golden / "stdin")) {
    setup.input = polylsq::testing::Input::kFile;
    setup.stdin_file = golden / "stdin";
  }
  if (!polylsq::testing::kSanitized) setup.address_space = kAddressSpaceLimit;

  const polylsq::testing::ChildRun run = polylsq::testing::run_program(dir_, setup);

  EXPECT_FALSE(run.timed_out) << "the run did not end within the time limit";
  EXPECT_EQ(run.signal, 0) << "ended by a signal";
  EXPECT_EQ(std::to_string(run.status) + "\n", read_file(golden / "status").value_or("?"));
  EXPECT_EQ(run.out, read_file(golden / "stdout").value_or("?"));
  EXPECT_EQ(run.err, read_file(golden / "stderr").value_or("?"));

  const std::optional<std::string> expected_result = read_file(golden / "F2B.txt");
  const std::optional<std::string> result = read_file(dir_ / "F2B.txt");
  if (expected_result) {
    EXPECT_EQ(result.value_or("<no F2B.txt>"), *expected_result);
  } else {
    EXPECT_FALSE(result.has_value()) << "F2B.txt was created: " << result.value_or("");
  }
  // The data file is only read; a missing one is left behind empty by the open.
  EXPECT_EQ(read_file(dir_ / "B2F.txt").value_or("<no B2F.txt>"), data.value_or(""));
}

INSTANTIATE_TEST_SUITE_P(Program, GoldenRun, ::testing::ValuesIn(kCases), polylsq::testing::CaseName());

TEST(ShippedExample, IsTheDataOfItsGoldenCase) {
  const auto shipped = read_file(fs::path(POLYLSQ_SOURCE_DIR) / "example" / "B2F.txt");
  ASSERT_TRUE(shipped.has_value());
  EXPECT_EQ(*shipped, read_file(kGolden / "shipped_example" / "B2F.txt").value_or("?"));
}

}  // namespace
