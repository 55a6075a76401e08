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

#include "robustness/child_run.h"

namespace polylsq::robustness {
namespace {

const std::string kData = "2\n6\n1 2.1\n2 3.9\n3 8.2\n4 15.8\n5 26.1\n6 37.0\n";

const std::string kWriteFailure = io_report("6301", "WRITE", "F2B.txt", "write failure");

class FaultInjection : public ProgramRunTest {
 protected:
  // The run of kData with nothing in the way: what the other runs are compared with.
  Outcome reference() {
    const fs::path clean = dir_ / "reference";
    fs::create_directory(clean);
    write_file(clean / "B2F.txt", kData);
    Outcome run = run_program_in(clean);
    reference_result_ = read_file(clean / "F2B.txt");
    fs::remove_all(clean);
    return run;
  }

  std::optional<std::string> reference_result_;
};

// The console up to the end of the fit: everything before the report's first line.
std::string before_report(const std::string& out) {
  return out.substr(0, out.find("\r\n------------------------------------- "));
}

TEST_F(FaultInjection, DataFileThatIsADirectoryFailsTheRead) {
  fs::create_directory(dir_ / "B2F.txt");
  const Outcome run = run_and_check(std::nullopt, kOldResult);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, io_report("6202", "READ", "B2F.txt", "read failure"));
  EXPECT_TRUE(fs::is_directory(dir_ / "B2F.txt"));
  EXPECT_TRUE(fs::is_empty(dir_ / "B2F.txt"));
}

TEST_F(FaultInjection, DataFileThatIsALinkToItselfFailsTheOpen) {
  fs::create_symlink("B2F.txt", dir_ / "B2F.txt");
  const Outcome run = run_and_check(std::nullopt, kOldResult);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, io_report("6101", "OPEN", "B2F.txt", "cannot open file"));
  EXPECT_EQ(fs::read_symlink(dir_ / "B2F.txt"), "B2F.txt");
}

TEST_F(FaultInjection, ResultFileThatIsADirectoryFailsTheWrite) {
  fs::create_directory(dir_ / "F2B.txt");
  const Outcome expected = reference();
  const Outcome run = run_and_check(kData, std::nullopt);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, kWriteFailure);
  EXPECT_EQ(run.out, before_report(expected.out) + "\r\n");
  EXPECT_TRUE(fs::is_directory(dir_ / "F2B.txt"));
  EXPECT_TRUE(fs::is_empty(dir_ / "F2B.txt"));
}

TEST_F(FaultInjection, ResultFileOnAFullDeviceFailsTheWrite) {
  fs::create_symlink("/dev/full", dir_ / "F2B.txt");
  const Outcome expected = reference();
  write_file(dir_ / "B2F.txt", kData);
  const Outcome run = run_program_in(dir_);
  EXPECT_EQ(run.signal, 0);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, kWriteFailure);
  EXPECT_EQ(run.out, before_report(expected.out) + "\r\n");
  EXPECT_TRUE(fs::is_symlink(dir_ / "F2B.txt"));
  EXPECT_EQ(fs::read_symlink(dir_ / "F2B.txt"), "/dev/full");
}

TEST_F(FaultInjection, ResultFileLinkIntoAMissingFolderFailsTheOpen) {
  fs::create_symlink("no-such-folder/F2B.txt", dir_ / "F2B.txt");
  const Outcome expected = reference();
  write_file(dir_ / "B2F.txt", kData);
  const Outcome run = run_program_in(dir_);
  EXPECT_EQ(run.signal, 0);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, io_report("6101", "OPEN", "F2B.txt", "cannot open file"));
  EXPECT_EQ(run.out, before_report(expected.out) + "\r\n");
  EXPECT_FALSE(fs::exists(dir_ / "no-such-folder"));
}

// A data file that is a named pipe is read to its writer's end, like any file.
TEST_F(FaultInjection, DataFileThatIsANamedPipeIsReadToItsWritersEnd) {
  const Outcome expected = reference();
  ASSERT_EQ(::mkfifo((dir_ / "B2F.txt").c_str(), 0644), 0);
  ::signal(SIGPIPE, SIG_IGN);
  std::thread writer([path = dir_ / "B2F.txt"] {
    std::ofstream out(path, std::ios::binary);  // waits for the program's open
    out << kData;
  });
  const Outcome run = run_program_in(dir_);
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
  Outcome run_read_only(const std::optional<std::string>& data,
                        const std::optional<std::string>& old_result) {
    RunSetup setup;
    setup.read_only_directory = true;
    if (data) write_file(dir_ / "B2F.txt", *data);
    if (old_result) write_file(dir_ / "F2B.txt", *old_result);
    Outcome run = run_program_in(dir_, setup);
    if (run.status == kNoReadOnlyDirectory) return run;
    EXPECT_FALSE(run.timed_out);
    EXPECT_EQ(run.signal, 0);
    RunView view{run.status, run.out, run.err, old_result, read_file(dir_ / "F2B.txt")};
    EXPECT_EQ(check_run(view), "");
    EXPECT_EQ(read_file(dir_ / "F2B.txt"), old_result) << "the result file was changed";
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
  const Outcome expected = reference();
  const Outcome run = run_read_only(kData, std::nullopt);
  SKIP_WITHOUT_READ_ONLY_DIRECTORY(run);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, io_report("6101", "OPEN", "F2B.txt", "cannot open file"));
  EXPECT_EQ(run.out, before_report(expected.out) + "\r\n");
}

TEST_F(ReadOnlyDirectory, ExistingResultFileIsLeftAsItWas) {
  const Outcome expected = reference();
  const Outcome run = run_read_only(kData, kOldResult);
  SKIP_WITHOUT_READ_ONLY_DIRECTORY(run);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, kWriteFailure);
  EXPECT_EQ(run.out, before_report(expected.out) + "\r\n");
}

TEST_F(ReadOnlyDirectory, MissingDataFileCannotBeCreated) {
  const Outcome run = run_read_only(std::nullopt, std::nullopt);
  SKIP_WITHOUT_READ_ONLY_DIRECTORY(run);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, io_report("6101", "OPEN", "B2F.txt", "cannot open file"));
  EXPECT_EQ(run.out, std::string(kBanner) + "\r\n");
  EXPECT_FALSE(fs::exists(dir_ / "B2F.txt"));
}

TEST_F(ReadOnlyDirectory, RunThatWritesNothingIsUnaffected) {
  const Outcome run = run_read_only("6\n", kOldResult);
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
  const Outcome expected = reference();
  RunSetup setup;
  setup.input = GetParam().input;
  setup.stdin_bytes = GetParam().bytes;
  const Outcome run = run_and_check(kData, kOldResult, setup);
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

INSTANTIATE_TEST_SUITE_P(StandardInput, Pause, ::testing::ValuesIn(kPauseCases),
                         [](const ::testing::TestParamInfo<PauseCase>& info) {
                           return std::string(info.param.name);
                         });

// A line of any length at the pause is read and discarded as it comes: time linear in
// its length, no memory held for it.
TEST_F(FaultInjection, LongLineAtThePauseCostsNeitherMemoryNorQuadraticTime) {
  constexpr std::size_t kLineLength = 64u << 20;
  const Outcome expected = reference();
  RunSetup setup;
  setup.input = Input::kFile;
  setup.stdin_file = dir_.parent_path() / (dir_.filename().string() + ".line");
  {
    std::ofstream line(*setup.stdin_file, std::ios::binary);
    const std::string block(1u << 20, 'x');
    for (std::size_t written = 0; written < kLineLength; written += block.size()) line << block;
  }
  const Outcome run = run_and_check(kData, std::nullopt, setup);
  fs::remove(*setup.stdin_file);
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
  RunSetup setup;
  setup.address_space = rlim_t{48} << 20;
  const Outcome run = run_program_in(dir_, setup);
  EXPECT_EQ(run.signal, 0) << "ended by signal " << run.signal;
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "\r\nrun-time error F6401: ALLOCATE\r\n- insufficient memory\r\n");
  EXPECT_EQ(run.out, std::string(kBanner) + "\r\n");
  EXPECT_FALSE(fs::exists(dir_ / "F2B.txt"));
}

// A console whose reader has gone (a front end closed its end of the pipe) must not end
// the run by a signal: the console bytes are lost, the result file is still written.
TEST_F(FaultInjection, ConsoleWithoutAReaderDoesNotEndTheRunBySignal) {
  const Outcome expected = reference();
  write_file(dir_ / "B2F.txt", kData);
  RunSetup setup;
  setup.output = Output::kBrokenPipe;
  const Outcome run = run_program_in(dir_, setup);
  EXPECT_EQ(run.signal, 0) << "ended by signal " << run.signal;
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(read_file(dir_ / "F2B.txt"), reference_result_);
}

}  // namespace
}  // namespace polylsq::robustness
