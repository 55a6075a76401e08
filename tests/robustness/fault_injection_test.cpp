// Faults of the file system and of the console around the real program: data or result
// files that are folders, links or pipes, a result file on a full device, a working
// folder that refuses writes, standard input at its end, closed, failing or one long
// line at the pause, standard output whose reader has gone.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <string>
#include <thread>

#include "robustness/checked_run.h"
#include "support_lib/case_name.h"
#include "support_lib/temp_dir.h"

namespace polylsq::robustness {
namespace {

const std::string kData = "2\n6\n1 2.1\n2 3.9\n3 8.2\n4 15.8\n5 26.1\n6 37.0\n";

const std::string kWriteFailure = io_report(6301, "WRITE", "F2B.txt", "write failure");

// The console up to the end of the fit: everything before the report's first line.
std::string before_report(const std::string& out) {
  return out.substr(0, out.find("\r\n------------------------------------- "));
}

class FaultInjection : public ProgramRunTest {
 protected:
  // The run of kData with nothing in the way: what the other runs are compared with.
  ChildRun reference() {
    const fs::path clean = dir_ / "reference";
    fs::create_directory(clean);
    write_file(clean / "B2F.txt", kData);
    ChildRun run = run_program(clean);
    reference_out_ = run.out;
    reference_result_ = read_file(clean / "F2B.txt");
    fs::remove_all(clean);
    return run;
  }

  // A run of kData that ends with `report` at its result file: the console shows the
  // reference run's fit up to its report, then the owed line end.
  void expect_fails_at_the_result(const ChildRun& run, const std::string& report) const {
    EXPECT_EQ(run.signal, 0);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, report);
    EXPECT_EQ(run.out, before_report(reference_out_) + "\r\n");
  }

  // The reference run, then kData in dir_ without the promise checks.
  ChildRun run_data() {
    reference();
    write_file(dir_ / "B2F.txt", kData);
    return run_program(dir_);
  }

  std::string reference_out_;
  std::optional<std::string> reference_result_;
};

TEST_F(FaultInjection, DataFileThatIsADirectoryFailsTheRead) {
  fs::create_directory(dir_ / "B2F.txt");
  const ChildRun run = run_and_check(std::nullopt, kOldResult);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, io_report(6202, "READ", "B2F.txt", "read failure"));
  EXPECT_TRUE(fs::is_directory(dir_ / "B2F.txt"));
  EXPECT_TRUE(fs::is_empty(dir_ / "B2F.txt"));
}

TEST_F(FaultInjection, DataFileThatIsALinkToItselfFailsTheOpen) {
  fs::create_symlink("B2F.txt", dir_ / "B2F.txt");
  const ChildRun run = run_and_check(std::nullopt, kOldResult);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, io_report(6101, "OPEN", "B2F.txt", "cannot open file"));
  EXPECT_EQ(fs::read_symlink(dir_ / "B2F.txt"), "B2F.txt");
}

TEST_F(FaultInjection, ResultFileThatIsADirectoryFailsTheWrite) {
  fs::create_directory(dir_ / "F2B.txt");
  reference();
  expect_fails_at_the_result(run_and_check(kData, std::nullopt), kWriteFailure);
  EXPECT_TRUE(fs::is_directory(dir_ / "F2B.txt"));
  EXPECT_TRUE(fs::is_empty(dir_ / "F2B.txt"));
}

// A result file linked to a device that is always full: the write fails, the link stays.
TEST_F(FaultInjection, ResultFileOnAFullDeviceFailsTheWrite) {
  if (!testing::make_character_device(dir_ / "full", testing::kFullDevice)) {
    GTEST_SKIP() << "a device node can be made only as root";
  }
  fs::create_symlink("full", dir_ / "F2B.txt");
  expect_fails_at_the_result(run_data(), kWriteFailure);
  EXPECT_EQ(fs::read_symlink(dir_ / "F2B.txt"), "full");
  EXPECT_TRUE(fs::is_character_file(dir_ / "full"));
}

TEST_F(FaultInjection, ResultFileLinkIntoAMissingFolderFailsTheOpen) {
  fs::create_symlink("no-such-folder/F2B.txt", dir_ / "F2B.txt");
  expect_fails_at_the_result(run_data(), io_report(6101, "OPEN", "F2B.txt", "cannot open file"));
  EXPECT_FALSE(fs::exists(dir_ / "no-such-folder"));
}

// A data file that is a named pipe is read to its writer's end, like any file.
TEST_F(FaultInjection, DataFileThatIsANamedPipeIsReadToItsWritersEnd) {
  const ChildRun expected = reference();
  ASSERT_EQ(::mkfifo((dir_ / "B2F.txt").c_str(), 0644), 0);
  ::signal(SIGPIPE, SIG_IGN);
  std::thread writer([path = dir_ / "B2F.txt"] {
    std::ofstream out(path, std::ios::binary);  // waits for the program's open
    out << kData;
  });
  const ChildRun run = run_program(dir_);
  // A writer still waiting for a reader (the program never opened the pipe) is released;
  // what it then writes goes nowhere.
  const int release = ::open((dir_ / "B2F.txt").c_str(), O_RDONLY | O_NONBLOCK);
  writer.join();
  if (release >= 0) ::close(release);
  EXPECT_FALSE(run.timed_out) << "the program kept waiting after the writer had finished";
  EXPECT_EQ(run.signal, 0);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, expected.out);
  EXPECT_EQ(read_file(dir_ / "F2B.txt"), reference_result_);
}

// Read-only working directory: the result file cannot be created or rewritten; an old one
// is left exactly as it was.
class ReadOnlyDirectory : public FaultInjection {
 protected:
  ChildRun run_read_only(const std::optional<std::string>& data,
                         const std::optional<std::string>& old_result) {
    ChildSetup setup;
    setup.read_only_directory = true;
    ChildRun run = run_and_check(data, old_result, setup);
    if (run.status != kNoReadOnlyDirectory) {
      EXPECT_EQ(read_file(dir_ / "F2B.txt"), old_result) << "the result file was changed";
    }
    return run;
  }
};

#define SKIP_WITHOUT_READ_ONLY_DIRECTORY(run)                                            \
  if ((run).status == kNoReadOnlyDirectory) {                                             \
    GTEST_SKIP() << "no way to make the working directory read-only here: neither a "     \
                    "private mount namespace with a read-only bind (needs root) nor a "   \
                    "folder without write permission (needs a user other than root)";     \
  }

TEST_F(ReadOnlyDirectory, MissingResultFileCannotBeCreated) {
  reference();
  const ChildRun run = run_read_only(kData, std::nullopt);
  SKIP_WITHOUT_READ_ONLY_DIRECTORY(run);
  expect_fails_at_the_result(run, io_report(6101, "OPEN", "F2B.txt", "cannot open file"));
}

TEST_F(ReadOnlyDirectory, ExistingResultFileIsLeftAsItWas) {
  reference();
  const ChildRun run = run_read_only(kData, kOldResult);
  SKIP_WITHOUT_READ_ONLY_DIRECTORY(run);
  expect_fails_at_the_result(run, kWriteFailure);
}

TEST_F(ReadOnlyDirectory, MissingDataFileCannotBeCreated) {
  const ChildRun run = run_read_only(std::nullopt, std::nullopt);
  SKIP_WITHOUT_READ_ONLY_DIRECTORY(run);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, io_report(6101, "OPEN", "B2F.txt", "cannot open file"));
  EXPECT_EQ(run.out, std::string(kBanner) + "\r\n");
  EXPECT_FALSE(fs::exists(dir_ / "B2F.txt"));
}

TEST_F(ReadOnlyDirectory, RunThatWritesNothingIsUnaffected) {
  const ChildRun run = run_read_only("6\n", kOldResult);
  SKIP_WITHOUT_READ_ONLY_DIRECTORY(run);
  EXPECT_EQ(run.status, 3);  // NDEG = 6 stops the run by its message
}

// The pause: standard input at its end, closed, failing or holding a line without its
// end; each counts as the Enter key and the run ends through its stop.
struct PauseCase {
  const char* name;
  Input input;
  const char* bytes;
};

void PrintTo(const PauseCase& c, std::ostream* os) { *os << c.name; }

class Pause : public FaultInjection, public ::testing::WithParamInterface<PauseCase> {};

TEST_P(Pause, EndsThroughTheStop) {
  const ChildRun expected = reference();
  ChildSetup setup;
  setup.input = GetParam().input;
  setup.stdin_bytes = GetParam().bytes;
  const ChildRun run = run_and_check(kData, kOldResult, setup);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, expected.out);
  EXPECT_EQ(read_file(dir_ / "F2B.txt"), reference_result_);
}

const PauseCase kPauseCases[] = {
    {"AtItsEnd", Input::kDevNull, ""},
    {"Closed", Input::kClosed, ""},
    {"FailingEveryRead", Input::kDirectory, ""},
    {"LineWithoutItsEnd", Input::kFile, "no line end"},
    {"BinaryBytes", Input::kFile, "\x01\xff\r\r\r"},
};

INSTANTIATE_TEST_SUITE_P(StandardInput, Pause, ::testing::ValuesIn(kPauseCases), testing::CaseName());

// A line of any length at the pause is read and discarded as it comes: time linear in
// its length, no memory held for it.
TEST_F(FaultInjection, LongLineAtThePauseCostsNeitherMemoryNorQuadraticTime) {
  constexpr std::size_t kLineLength = 64u << 20;
  const ChildRun expected = reference();
  ChildSetup setup;
  setup.input = Input::kFile;
  const testing::TempDir line_dir("polylsq-line-");
  setup.stdin_file = line_dir.path() / "line";
  {
    std::ofstream line(*setup.stdin_file, std::ios::binary);
    const std::string block(1u << 20, 'x');
    for (std::size_t written = 0; written < kLineLength; written += block.size()) line << block;
  }
  const ChildRun run = run_and_check(kData, std::nullopt, setup);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, expected.out);
  // The program's own pages and the run-time's buffers; the line alone is 64 MiB. The
  // sanitizers' shadow memory and allocator caches add their own tens of megabytes.
  EXPECT_LT(run.peak_rss_kb, kSanitized ? 192 * 1024 : 32 * 1024);
  EXPECT_LT(run.seconds, kSanitized ? 30.0 : 5.0);
}

// Memory that runs out while the data are read ends the run with the run-time's ALLOCATE
// report, not with an uncaught exception. A 64 MiB data file cannot be held in an address
// space of 48 MiB (the program's own mappings take about 10 MiB of it).
TEST_F(FaultInjection, DataFileBeyondTheMemoryOfTheProcessEndsWithTheAllocateReport) {
  if (kSanitized) {
    GTEST_SKIP() << "the sanitizers reserve terabytes of address space and report an "
                    "allocation failure themselves";
  }
  {
    std::ofstream data(dir_ / "B2F.txt", std::ios::binary);
    data << "2\n";
    const std::string block(1u << 20, ' ');
    for (int i = 0; i < 64; ++i) data << block;
    data << "\n3\n1 1\n2 2\n3 4\n";
  }
  ChildSetup setup;
  setup.address_space = rlim_t{48} << 20;
  const ChildRun run = run_program(dir_, setup);
  EXPECT_EQ(run.signal, 0) << "ended by signal " << run.signal;
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "\r\nrun-time error F6401: ALLOCATE\r\n- insufficient memory\r\n");
  EXPECT_EQ(run.out, std::string(kBanner) + "\r\n");
  EXPECT_FALSE(fs::exists(dir_ / "F2B.txt"));
}

// A console whose reader has gone (a front end closed its end of the pipe) must not end
// the run by a signal: the console bytes are lost, the result file is still written.
TEST_F(FaultInjection, ConsoleWithoutAReaderDoesNotEndTheRunBySignal) {
  const ChildRun expected = reference();
  write_file(dir_ / "B2F.txt", kData);
  ChildSetup setup;
  setup.output = Output::kBrokenPipe;
  const ChildRun run = run_program(dir_, setup);
  EXPECT_EQ(run.signal, 0) << "ended by signal " << run.signal;
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(read_file(dir_ / "F2B.txt"), reference_result_);
}

}  // namespace
}  // namespace polylsq::robustness
