// File units: opening with the default status, storing and cutting at close, the stop
// and the end of the process, the unit limit and the reports of failing statements.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "recio/io.h"
#include "recio/run_end.h"
#include "recio/testing.h"
#include "support_lib/aliases.h"
#include "support_lib/child_process.h"
#include "support_lib/files.h"
#include "support_lib/fixtures.h"

namespace polylsq::recio {
namespace {

using polylsq::testing::ChildSetup;
using polylsq::testing::Input;
using polylsq::testing::read_file;
using polylsq::testing::run_child;
using polylsq::testing::write_file;

class Units : public polylsq::testing::WorkingDirTest {};

TEST_F(Units, AMissingFileIsCreatedEmptyAndItsFirstReadMeetsEndOfFile) {
  int degree = 0;
  const auto run = run_captured_runtime([&] {
    write_list(kStarUnit, {" "});
    open_unit(1, "B2F.txt");
    read_list(1, {&degree});
  });
  EXPECT_EQ(run.failure,
            runtime_report('F', 6201, "READ(B2F.txt)", "end of file encountered") + "- after line 0\r\n");
  EXPECT_EQ(run.console, " \r\n");  // the owed line end before the report
  EXPECT_TRUE(std::filesystem::exists("B2F.txt"));
  EXPECT_EQ(std::filesystem::file_size("B2F.txt"), 0u);
}

TEST_F(Units, AnExistingFileIsConnectedUnchanged) {
  write_file("B2F.txt", "2\n3\n");
  int first = 0;
  const auto run = run_captured_runtime([&] {
    open_unit(1, "B2F.txt");
    read_list(1, {&first});
    close_unit(1);
  });
  EXPECT_FALSE(run.failure.has_value());
  EXPECT_EQ(first, 2);
  EXPECT_EQ(read_file("B2F.txt"), "2\n3\n");  // read, never written: not cut
}

TEST_F(Units, CloseCutsALongerOldFileAfterTheRecordsWritten) {
  write_file("F2B.txt", std::string(500, 'x') + "\r\nold line\r\n");
  const auto run = run_captured_runtime([] {
    open_unit(1, "F2B.txt");
    write_formatted(1, "(F10.3)", {0.5f});
    write_formatted(1, "(F12.4)", {99.87654f});
    close_unit(1);
  });
  EXPECT_FALSE(run.failure.has_value());
  EXPECT_EQ(read_file("F2B.txt"), "      .500\r\n     99.8765\r\n");
}

TEST_F(Units, RecordsAreStoredOnlyWhenTheUnitIsClosed) {
  const auto run = run_captured_runtime([this] {
    open_unit(1, "F2B.txt");
    write_record(1, "abc");
    EXPECT_EQ(read_file("F2B.txt"), "");
    close_unit(1);
    EXPECT_EQ(read_file("F2B.txt"), "abc\r\n");
  });
  EXPECT_FALSE(run.failure.has_value());
}

TEST_F(Units, ReopeningAUnitClosesItsFormerFileFirst) {
  const auto run = run_captured_runtime([] {
    open_unit(1, "a.txt");
    write_record(1, "in a");
    open_unit(1, "b.txt");
    write_record(1, "in b");
    close_unit(1);
  });
  EXPECT_FALSE(run.failure.has_value());
  EXPECT_EQ(read_file("a.txt"), "in a\r\n");
  EXPECT_EQ(read_file("b.txt"), "in b\r\n");
}

TEST_F(Units, ConsoleUnitsOpenedOnAFileWriteThereUntilClosed) {
  const auto run = run_captured_runtime([] {
    open_unit(6, "six.txt");
    write_record(6, " to file");
    close_unit(6);
    write_record(6, " to console");
    close_unit(6);  // closing a console unit does nothing
    write_record(6, " again");
  });
  EXPECT_FALSE(run.failure.has_value());
  EXPECT_EQ(read_file("six.txt"), " to file\r\n");
  EXPECT_EQ(run.console, "to console\r\nagain");
}

TEST_F(Units, TheStopStoresEveryFileAfterTheStopLine) {
  const auto run = run_captured_runtime([] {
    open_unit(1, "F2B.txt");
    write_record(1, "kept");
    write_list(kStarUnit, {"shown"});
    stop();
  });
  EXPECT_TRUE(run.stopped);
  EXPECT_EQ(run.console, "shown\r\nStop - Program terminated.\r\n");
  EXPECT_EQ(read_file("F2B.txt"), "kept\r\n");
}

TEST_F(Units, ResetClosesWithoutStoring) {
  write_file("F2B.txt", "old\r\n");
  run_captured_runtime([] {
    open_unit(1, "F2B.txt");
    write_record(1, "new");
  });
  EXPECT_EQ(read_file("F2B.txt"), "old\r\n");
}

TEST_F(Units, AnUnwritableFileGivesTheWriteReportAtClose) {
  if (!polylsq::testing::make_character_device("full", polylsq::testing::kFullDevice)) {
    GTEST_SKIP() << "a device node can be made only as root";
  }
  std::filesystem::create_symlink("full", "F2B.txt");
  const auto run = run_captured_runtime([] {
    open_unit(1, "F2B.txt");
    write_formatted(1, "(F10.3)", {1.0f});
    close_unit(1);
  });
  EXPECT_EQ(run.failure, runtime_report('F', 6301, "WRITE(F2B.txt)", "write failure"));
}

TEST_F(Units, AFileThatCannotBeOpenedGivesTheOpenReport) {
  const auto run = run_captured_runtime([] { open_unit(1, "no/such/dir/F2B.txt"); });
  EXPECT_EQ(run.failure, runtime_report('F', 6101, "OPEN(no/such/dir/F2B.txt)", "cannot open file"));
}

TEST_F(Units, AFileThatCannotBeReadGivesTheReadReport) {
  std::filesystem::create_directory("B2F.txt");  // opens read-only, reading fails
  int value = 0;
  const auto run = run_captured_runtime([&] {
    open_unit(1, "B2F.txt");
    read_list(1, {&value});
  });
  EXPECT_EQ(run.failure, runtime_report('F', 6202, "READ(B2F.txt)", "read failure"));
}

TEST_F(Units, AtMost61FileUnitsAreConnected) {
  const auto run = run_captured_runtime([] {
    for (int unit = 10; unit < 10 + 61; ++unit) open_unit(unit, "u" + std::to_string(unit));
    open_unit(100, "one-too-many");
  });
  EXPECT_EQ(run.failure, runtime_report('F', 6102, "OPEN(one-too-many)", "too many units connected"));
  EXPECT_TRUE(std::filesystem::exists("u70"));
  EXPECT_FALSE(std::filesystem::exists("one-too-many"));
}

TEST_F(Units, StatementsOnUnitsWithoutAConnectionAreReported) {
  int value = 0;
  const auto read = run_captured_runtime([&] { read_list(9, {&value}); });
  EXPECT_EQ(read.failure, runtime_report('F', 6104, "READ(9)", "unit not connected"));
  const auto write = run_captured_runtime([] { write_formatted(9, "(I1)", {1}); });
  EXPECT_EQ(write.failure, runtime_report('F', 6104, "WRITE(9)", "unit not connected"));
  const auto list = run_captured_runtime([] { write_list(9, {"x"}); });
  EXPECT_EQ(list.failure, runtime_report('F', 6104, "WRITE(9)", "unit not connected"));
  const auto negative = run_captured_runtime([] { open_unit(-5, "x.txt"); });
  EXPECT_EQ(negative.failure, runtime_report('F', 6103, "OPEN(-5)", "invalid unit number"));
  const auto star = run_captured_runtime([] { open_unit(kStarUnit, "x.txt"); });
  EXPECT_EQ(star.failure, runtime_report('F', 6103, "OPEN(CON)", "invalid unit number"));
}

TEST_F(Units, AFailedReadEndsARealRunWithStatusOneAndTheOwedLineEnd) {
  write_file("B2F.txt", "2.0\n");
  const auto child = run_child([] {
    write_list(kStarUnit, {" "});
    write_list(kStarUnit, {"  --- Least Squares Approximation ---"});
    open_unit(1, "B2F.txt");
    int degree = 0;
    read_list(1, {&degree});
    write_list(kStarUnit, {"not reached"});
  });
  EXPECT_EQ(child.status, 1);
  EXPECT_EQ(child.out, " \r\n  --- Least Squares Approximation ---\r\n");
  EXPECT_EQ(child.err, runtime_report('F', 6203, "READ(B2F.txt)", "invalid integer") + "- line 1: \"2.0\"\r\n");
}

TEST_F(Units, ARunEndingAfterAReportLeavesUnstoredFilesUnchanged) {
  write_file("F2B.txt", "old\r\n");
  const auto child = run_child([] {
    open_unit(2, "F2B.txt");
    write_record(2, "new");
    write_record(7, "x");  // unit 7 is not connected
  });
  EXPECT_EQ(child.status, 1);
  EXPECT_EQ(read_file("F2B.txt"), "old\r\n");
}

TEST_F(Units, TheEndOfTheProcessWritesTheOwedLineEndAndStoresFiles) {
  const auto child = run_child([] {
    open_unit(1, "F2B.txt");
    write_record(1, "stored at exit");
    write_list(kStarUnit, {"last"});
  });
  EXPECT_EQ(child.status, 0);
  EXPECT_EQ(child.out, "last\r\n");
  EXPECT_EQ(read_file("F2B.txt"), "stored at exit\r\n");
  const auto quiet = run_child([] {
    open_unit(1, "quiet.txt");
    write_record(1, "no console output");
  });
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.out, "");
  EXPECT_EQ(read_file("quiet.txt"), "no console output\r\n");
}

TEST_F(Units, ARealStopExitsWithStatusZero) {
  ChildSetup enter;
  enter.input = Input::kFile;
  enter.stdin_bytes = "\n";
  const auto child = run_child(
      [] {
        write_list(kStarUnit, {"   -------  Push Enter key  -------"});
        read_list(kStarUnit, {});
        stop();
        write_list(kStarUnit, {"not reached"});
      },
      enter);
  EXPECT_EQ(child.status, 0);
  EXPECT_EQ(child.out, "   -------  Push Enter key  -------\r\nStop - Program terminated.\r\n");
  EXPECT_EQ(child.err, "");
}

}  // namespace
}  // namespace polylsq::recio
