// The promises about files and standard output, end to end on the real binary: no output
// replaces an input, another output or a file polylsq did not write; devices, pipes and
// descriptors are written through and links followed; a refused run reads, shows and
// changes nothing; standard output that cannot be written is a failure; pipes end; a full
// disk leaves no result file behind; no run leaves a temporary file.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <regex>
#include <thread>

#include "support_lib/case_name.h"
#include "support_lib/child_process.h"
#include "support_lib/files.h"
#include "support_lib/fixtures.h"

namespace polylsq::testing {
namespace {

namespace fs = std::filesystem;

const std::string kData = "2\n6\n1 2.1\n2 3.9\n3 8.2\n4 15.8\n5 26.1\n6 37.0\n";
const std::string kOldResult = "old result file, longer than the size limit of a full disk\r\n";
const std::string kForeign = "notes of another program\n";
const std::string kOwnPicture = "<?xml version=\"1.0\"?>\n<!-- Generator: polylsq -->\n<svg/>\n";
constexpr std::chrono::seconds kPipeTimeout{10};
// Bytes a file may hold on a "full disk": room for a run-time report on standard error,
// not for the 86 bytes of a result file.
constexpr rlim_t kFullDisk = 80;
constexpr rlim_t kFullOutput = 64;  // the one line on standard error fits

// What a row plants in the run's folder; false to skip the row (with the reason printed).
using Setup = std::function<bool(const fs::path&)>;

Setup files(std::map<std::string, std::string> contents, std::map<std::string, std::string> links = {}) {
  return [=](const fs::path& dir) {
    for (const auto& [name, bytes] : contents) {
      if (name.ends_with("/")) {
        fs::create_directories(dir / name);
      } else {
        write_file(dir / name, bytes);
      }
    }
    for (const auto& [name, target] : links) fs::create_symlink(target, dir / name);
    return true;
  };
}

// A character device node of the test's own that discards what is written (needs root).
Setup with_null_device(const std::string& name) {
  return [name](const fs::path& dir) {
    write_file(dir / "B2F.txt", kData);
    if (make_character_device(dir / name, kNullDevice)) return true;
    std::cout << "skipped: a device node can be made only as root\n";
    return false;
  };
}

using Check = std::function<void(const fs::path&, const ChildRun&)>;

// The run's standard streams and limits, and further checks of what it left.
struct Conditions {
  Input input;
  std::string stdin_bytes;
  Output output;
  std::optional<rlim_t> file_size;
  Check then;
};

Conditions plain(Check then = {}) { return {Input::kDevNull, "", Output::kCaptured, std::nullopt, then}; }
Conditions closed_output(Check then = {}) { return {Input::kDevNull, "", Output::kClosed, std::nullopt, then}; }
Conditions broken_pipe() { return {Input::kDevNull, "", Output::kBrokenPipeSignalIgnored, std::nullopt, {}}; }
Conditions full_disk(Check then = {}) { return {Input::kDevNull, "", Output::kCaptured, kFullDisk, then}; }
// Standard output in a file that cannot grow beyond a few bytes (a full disk).
Conditions full_output() { return {Input::kDevNull, "", Output::kCaptured, kFullOutput, {}}; }
Conditions piped(std::string bytes, Check then = {}) {
  return {Input::kPipe, std::move(bytes), Output::kCaptured, std::nullopt, then};
}

struct Promise {
  const char* name;
  Setup setup;
  std::vector<std::string> args;
  int status;
  std::vector<std::string> unchanged;  // files whose bytes the run leaves as they were
  std::string err;                     // a pattern that standard error matches
  Conditions how;
};

void PrintTo(const Promise& p, std::ostream* os) { *os << p.name; }

bool starts_with_mark(const fs::path& file) {
  return read_file(file).value_or("").find("<!-- Generator: polylsq -->") != std::string::npos;
}

// The temporary files of writes (".<name>.<random>.tmp") anywhere in `dir`.
std::vector<std::string> temporary_files(const fs::path& dir) {
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(".") && name.ends_with(".tmp")) found.push_back(name);
  }
  return found;
}

std::string many_x() {
  std::string list = "0";
  for (int i = 1; i < 2000; ++i) list += "," + std::to_string(i);
  return list;
}

const Check kLinkKept = [](const fs::path& dir, const ChildRun&) {
  EXPECT_EQ(fs::read_symlink(dir / "link.svg"), "sub/target.svg");
  EXPECT_TRUE(starts_with_mark(dir / "sub" / "target.svg"));
};
const auto kMarked = [](const char* file) -> Check {
  return [file](const fs::path& dir, const ChildRun&) { EXPECT_TRUE(starts_with_mark(dir / file)); };
};
const auto kAbsent = [](const char* file) -> Check {
  return [file](const fs::path& dir, const ChildRun&) { EXPECT_FALSE(fs::exists(fs::symlink_status(dir / file))); };
};
const std::string kStdout = "^polylsq: standard output could not be written\n$";

const Promise kPromises[] = {
    // Outputs and inputs.
    {"PlotThroughALinkToTheDataFile", files({{"B2F.txt", kData}}, {{"evil.svg", "B2F.txt"}}),
     {"check", "--plot", "evil.svg"}, 2, {"B2F.txt"}, "is the data file", plain()},
    {"TwoOutputsThroughALinkToANewFile", files({{"B2F.txt", kData}}, {{"r.csv", "out.svg"}}),
     {"fit", "--plot", "out.svg", "--residuals", "r.csv"}, 2, {"B2F.txt"}, "is also the --plot file",
     plain(kAbsent("out.svg"))},
    {"LegacyDataAndResultThroughALink", files({{"s.txt", kData}}, {{"r.txt", "s.txt"}}),
     {"--no-pause", "s.txt", "r.txt"}, 2, {"s.txt"}, "are the same file", plain()},
    {"PlotOntoASpreadsheet", files({{"B2F.txt", kData}, {"sheet.csv", "a;b\n1;2\n"}}),
     {"fit", "--plot", "sheet.csv"}, 2, {"B2F.txt", "sheet.csv"}, "sheet.csv: the file exists .* --force", plain()},
    {"ResidualsOntoAnotherDataFile", files({{"B2F.txt", kData}, {"data.csv", "x,y\n1,2\n"}}),
     {"fit", "--degree", "1", "--residuals", "data.csv"}, 2, {"data.csv"}, "not a table written by polylsq",
     plain()},
    {"LinkToAFileOfAnotherProgram", files({{"B2F.txt", kData}, {"notes.txt", kForeign}}, {{"link.svg", "notes.txt"}}),
     {"fit", "--plot", "link.svg"}, 2, {"notes.txt"}, "--force replaces it", plain()},
    {"OutputIsAFolder", files({{"B2F.txt", kData}, {"folder.svg/", ""}}), {"fit", "--plot", "folder.svg"}, 2, {},
     "is a folder", plain()},
    // What may be replaced.
    {"ForceReplacesAFileOfAnotherProgram", files({{"B2F.txt", kData}, {"notes.svg", kForeign}}),
     {"fit", "--force", "--plot", "notes.svg"}, 0, {"B2F.txt"}, "^$", plain(kMarked("notes.svg"))},
    {"OwnPictureReplaced", files({{"B2F.txt", kData}, {"FIT.SVG", kOwnPicture}}), {"fit", "--plot", "FIT.SVG"}, 0,
     {"B2F.txt"}, "^$",
     plain([](const fs::path& dir, const ChildRun&) { EXPECT_NE(read_file(dir / "FIT.SVG"), kOwnPicture); })},
    {"OwnTablesAndEmptyFilesReplaced",
     files({{"B2F.txt", kData}, {"r.csv", "x,y,fitted,residual,weight\r\n1,2,3,-1,1\r\n"}, {"e.svg", ""}}),
     {"fit", "--residuals", "r.csv", "--plot", "e.svg"}, 0, {"B2F.txt"}, "^$",
     plain([](const fs::path& dir, const ChildRun&) {
       EXPECT_TRUE(read_file(dir / "r.csv").value_or("").starts_with("x,y,fitted,residual,line\n"));
       EXPECT_TRUE(starts_with_mark(dir / "e.svg"));
     })},
    {"DegreesPlotOntoAFileOfAnotherProgram", files({{"B2F.txt", kData}, {"notes.svg", kForeign}}),
     {"degrees", "--plot", "notes.svg"}, 2, {"B2F.txt", "notes.svg"}, "--force replaces it", plain()},
    {"DegreesPlotThroughALinkToTheDataFile", files({{"B2F.txt", kData}}, {{"evil.svg", "B2F.txt"}}),
     {"degrees", "--force", "--plot", "evil.svg"}, 2, {"B2F.txt"}, "is the data file", plain()},
    {"DegreesOwnPictureReplaced", files({{"B2F.txt", kData}, {"d.svg", kOwnPicture}}), {"degrees", "--plot", "d.svg"},
     0, {"B2F.txt"}, "^$", plain([](const fs::path& dir, const ChildRun&) {
       EXPECT_NE(read_file(dir / "d.svg"), kOwnPicture);
       EXPECT_TRUE(starts_with_mark(dir / "d.svg"));
     })},
    // Links, devices, descriptors.
    {"LinkFollowedAndItsTargetReplaced", files({{"B2F.txt", kData}, {"sub/", ""}}, {{"link.svg", "sub/target.svg"}}),
     {"fit", "--plot", "link.svg"}, 0, {"B2F.txt"}, "^$", plain(kLinkKept)},
    {"CharacterDeviceWrittenThrough", with_null_device("null"), {"fit", "--degree", "1", "--residuals", "null"}, 0,
     {"B2F.txt"}, "^$",
     plain([](const fs::path& dir, const ChildRun&) { EXPECT_TRUE(fs::is_character_file(dir / "null")); })},
    {"PictureOnStandardOutputsDescriptor", files({{"B2F.txt", kData}}), {"fit", "--plot", "/proc/self/fd/1"}, 0,
     {"B2F.txt"}, "^$", plain([](const fs::path&, const ChildRun& run) {
       EXPECT_NE(run.out.find("Polynomial fit"), std::string::npos);
       EXPECT_GT(run.out.find("<!-- Generator: polylsq -->"), run.out.find("Polynomial fit"));
     })},
    // Standard output that cannot be written; the legacy console keeps its own status.
    {"FitOnClosedOutput", files({{"B2F.txt", kData}}), {"fit", "--json"}, 1, {"B2F.txt"}, kStdout, closed_output()},
    {"CheckOnClosedOutput", files({{"B2F.txt", kData}}), {"check"}, 1, {"B2F.txt"}, kStdout, closed_output()},
    {"CheckJsonOnFullOutput", files({{"B2F.txt", kData}}), {"check", "--json"}, 1, {}, kStdout, full_output()},
    {"FitOnFullOutput", files({{"B2F.txt", kData}}), {"fit"}, 1, {}, kStdout, full_output()},
    {"DegreesOnClosedOutput", files({{"B2F.txt", kData}}), {"degrees", "--json"}, 1, {"B2F.txt"}, kStdout,
     closed_output()},
    {"DegreesReadsStandardInput", files({}), {"degrees", "-"}, 0, {}, "^$", piped(kData)},
    {"HelpOnClosedOutput", files({}), {"--help"}, 1, {}, kStdout, closed_output()},
    {"FitHelpOnFullOutput", files({}), {"fit", "--help"}, 1, {}, kStdout, full_output()},
    {"CheckHelpOnClosedOutput", files({}), {"check", "--help"}, 1, {}, kStdout, closed_output()},
    {"VersionOnClosedOutput", files({}), {"fit", "--version"}, 1, {}, kStdout, closed_output()},
    {"LongReportIntoAPipeThatWasClosed", files({{"B2F.txt", kData}}), {"fit", "--at", many_x()}, 1, {}, kStdout,
     broken_pipe()},
    {"StopKeepsItsStatusOnClosedOutput", files({{"B2F.txt", "1\n1\n1 2\n"}}), {"check"}, 3, {"B2F.txt"}, "",
     closed_output()},
    {"LegacyOnClosedOutputLeavesItsDataAlone", files({{"bad.txt", "2\n6\n1 2.1\n2 3.O512\n"}}),
     {"--no-pause", "bad.txt", "out.txt"}, 1, {"bad.txt"}, "F6204: READ\\(bad.txt\\)",
     closed_output(kAbsent("out.txt"))},
    {"LegacyOnClosedOutputStillWritesItsResult", files({{"B2F.txt", kData}}), {"--no-pause"}, 0, {"B2F.txt"}, "^$",
     closed_output([](const fs::path& dir, const ChildRun&) { EXPECT_TRUE(fs::exists(dir / "F2B.txt")); })},
    // Pipes end; data read once.
    {"LegacyPipeClosedWithoutBytes", files({}), {"--no-pause", "/dev/stdin", "out.txt"}, 1, {},
     "F6201: READ\\(/dev/stdin\\)\r\n- end of file encountered\r\n- after line 0", piped("", kAbsent("out.txt"))},
    {"CheckPipeClosedWithoutBytes", files({}), {"check", "/dev/stdin"}, 1, {}, "after line 0", piped("")},
    {"CheckReadsAPipeOnce", files({}), {"check", "/dev/stdin"}, 0, {}, "^$", piped(kData)},
    {"CheckReadsStandardInput", files({}), {"check", "-"}, 0, {}, "^$", piped(kData)},
    {"FitDataFolder", files({{"dd/", ""}}), {"fit", "dd"}, 1, {}, "^polylsq: dd: is a folder\n$", plain()},
    {"CheckDataFolder", files({{"dd/", ""}}), {"check", "dd"}, 1, {}, "^polylsq: dd: is a folder\n$", plain()},
    // A full disk: the result file as it was, or none.
    {"LegacyFullDiskCreatesNoResultFile", files({{"B2F.txt", kData}}), {"--no-pause"}, 1, {"B2F.txt"},
     "F6301: WRITE\\(F2B.txt\\)", full_disk(kAbsent("F2B.txt"))},
    {"LegacyFullDiskKeepsTheOldResultFile", files({{"B2F.txt", kData}, {"F2B.txt", kOldResult}}), {"--no-pause"},
     1, {"F2B.txt"}, "F6301: WRITE\\(F2B.txt\\)", full_disk()},
    // No band where it is undefined: as many observations as coefficients.
    {"BandWithoutDegreesOfFreedom", files({{"three.txt", "1 1\n2 4\n3 10\n"}}),
     {"fit", "--degree", "2", "--band", "--plot", "b.svg", "three.txt"}, 0, {"three.txt"}, "^$",
     plain([](const fs::path& dir, const ChildRun& run) {
       EXPECT_NE(run.out.find("--band: no confidence band is drawn"), std::string::npos) << run.out;
       EXPECT_EQ(read_file(dir / "b.svg").value_or("band").find("confidence band"), std::string::npos);
     })},
};

class OutputSafety : public TempDirTest, public ::testing::WithParamInterface<Promise> {};

TEST_P(OutputSafety, KeepsItsPromise) {
  const Promise& p = GetParam();
  if (!p.setup(dir_)) GTEST_SKIP();
  std::map<std::string, std::optional<std::string>> before;
  for (const std::string& name : p.unchanged) before[name] = read_file(dir_ / name);
  ChildSetup setup;
  setup.args = p.args;
  setup.input = p.how.input;
  setup.stdin_bytes = p.how.stdin_bytes;
  setup.output = p.how.output;
  setup.file_size = p.how.file_size;
  setup.timeout = kPipeTimeout;
  const ChildRun run = run_program(dir_, setup);

  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.signal, 0);
  EXPECT_EQ(run.status, p.status) << run.err;
  EXPECT_TRUE(std::regex_search(run.err, std::regex(p.err))) << "standard error: " << run.err;
  if (p.status == 2) {
    EXPECT_EQ(run.out, "");  // a refused run shows nothing
  }
  for (const auto& [name, bytes] : before) EXPECT_EQ(read_file(dir_ / name), bytes) << name << " was changed";
  EXPECT_EQ(temporary_files(dir_), std::vector<std::string>{});
  if (p.how.then) p.how.then(dir_, run);
}

INSTANTIATE_TEST_SUITE_P(Runs, OutputSafety, ::testing::ValuesIn(kPromises), CaseName());

// check of a named pipe that a writer fills after the run has started: read once, to the end.
TEST(OutputSafetyPipes, CheckReadsANamedPipeOnce) {
  const TempDir dir("polylsq-fifo-");
  ASSERT_EQ(::mkfifo((dir.path() / "f").c_str(), 0644), 0);
  write_file(dir.path() / "B2F.txt", kData);
  ChildSetup setup;
  setup.args = {"check", "B2F.txt"};
  const ChildRun reference = run_program(dir.path(), setup);
  std::thread writer([path = dir.path() / "f"] { std::ofstream(path, std::ios::binary) << kData; });
  setup.args = {"check", "f"};
  setup.timeout = kPipeTimeout;
  const ChildRun run = run_program(dir.path(), setup);
  const int release = ::open((dir.path() / "f").c_str(), O_RDONLY | O_NONBLOCK);  // a writer still waiting
  writer.join();
  ::close(release);
  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.status, reference.status);
  EXPECT_EQ(run.out, reference.out);
}

// A picture given a named pipe is written into it, not renamed onto it.
TEST(OutputSafetyPipes, FitWritesThroughANamedPipe) {
  const TempDir dir("polylsq-fifo-");
  ASSERT_EQ(::mkfifo((dir.path() / "pic").c_str(), 0644), 0);
  write_file(dir.path() / "B2F.txt", kData);
  std::string received;
  std::thread reader([&received, path = dir.path() / "pic"] {
    std::ifstream in(path, std::ios::binary);  // waits for the program's open
    received.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  });
  ChildSetup setup;
  setup.args = {"fit", "--plot", "pic"};
  setup.timeout = kPipeTimeout;
  const ChildRun run = run_program(dir.path(), setup);
  // A reader still waiting for a writer (the program never opened the pipe) is released;
  // closed before the join, since a reader ends only when every writer has gone.
  const int release = ::open((dir.path() / "pic").c_str(), O_WRONLY | O_NONBLOCK);
  if (release >= 0) ::close(release);
  reader.join();
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(received.find("<!-- Generator: polylsq -->"), std::string::npos);
  EXPECT_TRUE(fs::is_fifo(dir.path() / "pic"));
}

// A write interrupted by SIGINT, SIGTERM or SIGHUP leaves no temporary file, the old file
// as it was, and ends the process by that signal.
TEST(OutputSafetySignals, InterruptedWriteLeavesNoTemporaryFile) {
  std::string rows;
  for (int i = 0; i < 1000000; ++i) rows += std::to_string(i) + " " + std::to_string(i % 7) + "\n";
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    const TempDir dir("polylsq-signal-");
    write_file(dir.path() / "rows.txt", rows);
    write_file(dir.path() / "r.csv", "x,y,fitted,residual\nold\n");
    bool seen = false;
    ChildSetup setup;
    setup.args = {"fit", "--degree", "1", "--residuals", "r.csv", "rows.txt"};
    setup.while_running = [&](pid_t pid) {
      if (!seen && !temporary_files(dir.path()).empty()) {
        seen = true;
        ::kill(pid, signal);
      }
    };
    const ChildRun run = run_program(dir.path(), setup);
    ASSERT_TRUE(seen) << "no temporary file was ever seen: the run ended with status " << run.status;
    EXPECT_EQ(run.signal, signal);
    EXPECT_EQ(temporary_files(dir.path()), std::vector<std::string>{});
    EXPECT_EQ(read_file(dir.path() / "r.csv"), "x,y,fitted,residual\nold\n");
  }
}

}  // namespace
}  // namespace polylsq::testing
