// Runs the real program in a working directory of its own, with standard input and
// output arranged as a test needs, a time limit, and the child's own resource usage.
#pragma once

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "robustness/promises.h"

namespace polylsq::robustness {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif
#else
inline constexpr bool kSanitized = false;
#endif

// A run that has not ended by then is a hang. Every case here ends in well under a
// second, the million-observation case in a few seconds (longer under the sanitizers).
inline constexpr auto kRunTimeout = std::chrono::seconds(kSanitized ? 120 : 30);

// Exit status of a child whose working directory could not be made read-only.
inline constexpr int kNoReadOnlyDirectory = 125;

inline std::optional<std::string> read_file(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void write_file(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

enum class Input {
  kDevNull,   // at its end at once
  kFile,      // the bytes of RunSetup::stdin_bytes, or the file RunSetup::stdin_file
  kClosed,    // file descriptor 0 not open at all
  kDirectory, // a descriptor on which every read fails
  kNeverEnds  // a pipe whose writer stays open for the whole run and writes nothing
};

enum class Output {
  kFile,        // captured
  kBrokenPipe,  // a pipe whose reading end is already closed
};

struct RunSetup {
  std::vector<std::string> args;  // command-line arguments after the program name
  Input input = Input::kDevNull;
  std::string stdin_bytes;
  std::optional<fs::path> stdin_file;  // for input too large to hold: the child's peak
                                       // resident set starts from the parent's at fork
  Output output = Output::kFile;
  bool read_only_directory = false;
  std::optional<rlim_t> address_space;  // RLIMIT_AS of the child, in bytes
};

struct Outcome {
  int status = -1;   // exit status; -1 when the process did not exit
  int signal = 0;    // the signal that ended it, if any
  bool timed_out = false;
  std::string out;
  std::string err;
  long peak_rss_kb = 0;  // the child's peak resident set
  double seconds = 0;
};

namespace detail {

// Makes `dir` read-only for this process only: a private mount namespace with a read-only
// bind of the folder onto itself. Without the privilege for that, a folder and files
// without write permission stop a process that is not root.
inline bool make_read_only(const fs::path& dir) {
  if (::geteuid() != 0) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
      if (::chmod(entry.path().c_str(), 0444) != 0) return false;
    }
    return !ec && ::chmod(dir.c_str(), 0555) == 0;
  }
  if (::unshare(CLONE_NEWNS) != 0) return false;
  if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
  if (::mount(dir.c_str(), dir.c_str(), nullptr, MS_BIND, nullptr) != 0) return false;
  return ::mount(nullptr, dir.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

}  // namespace detail

// Runs polylsq in `dir`. Standard output and error go to files next to `dir`.
inline Outcome run_program_in(const fs::path& dir, const RunSetup& setup = {}) {
  const fs::path out_path = dir.parent_path() / (dir.filename().string() + ".out");
  const fs::path err_path = dir.parent_path() / (dir.filename().string() + ".err");
  const fs::path in_path = dir.parent_path() / (dir.filename().string() + ".in");
  if (setup.input == Input::kFile && !setup.stdin_file) write_file(in_path, setup.stdin_bytes);
  const fs::path input_path = setup.stdin_file.value_or(in_path);
  int broken[2] = {-1, -1};
  if (setup.output == Output::kBrokenPipe) {
    EXPECT_EQ(::pipe(broken), 0);
    ::close(broken[0]);
  }
  int silent[2] = {-1, -1};  // standard input that never ends: the parent keeps the writer
  if (setup.input == Input::kNeverEnds) EXPECT_EQ(::pipe(silent), 0);
  std::vector<const char*> argv{"polylsq"};
  for (const std::string& arg : setup.args) argv.push_back(arg.c_str());
  argv.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::signal(SIGPIPE, SIG_DFL);  // as a shell would start it
    if (setup.read_only_directory && !detail::make_read_only(dir)) ::_exit(kNoReadOnlyDirectory);
    if (setup.address_space) {
      const rlimit limit{*setup.address_space, *setup.address_space};
      ::setrlimit(RLIMIT_AS, &limit);
    }
    int in = -1;
    switch (setup.input) {
      case Input::kDevNull: in = ::open("/dev/null", O_RDONLY); break;
      case Input::kFile: in = ::open(input_path.c_str(), O_RDONLY); break;
      case Input::kClosed: break;
      case Input::kDirectory: in = ::open("/", O_RDONLY | O_DIRECTORY); break;
      case Input::kNeverEnds:
        in = silent[0];
        ::close(silent[1]);
        break;
    }
    const int out = setup.output == Output::kBrokenPipe
                        ? broken[1]
                        : ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if ((setup.input != Input::kClosed && in < 0) || out < 0 || err < 0 || ::chdir(dir.c_str()) != 0) {
      ::_exit(127);
    }
    if (setup.input == Input::kClosed) {
      ::close(STDIN_FILENO);
    } else {
      ::dup2(in, STDIN_FILENO);
    }
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    ::execv(POLYLSQ_BINARY, const_cast<char* const*>(argv.data()));
    ::_exit(127);
  }
  if (broken[1] >= 0) ::close(broken[1]);
  if (silent[0] >= 0) ::close(silent[0]);
  Outcome outcome;
  int status = 0;
  rusage usage{};
  const auto deadline = start + kRunTimeout;
  while (::wait4(pid, &status, WNOHANG, &usage) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::wait4(pid, &status, 0, &usage);
      outcome.timed_out = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (silent[1] >= 0) ::close(silent[1]);
  outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  outcome.peak_rss_kb = usage.ru_maxrss;
  if (WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
  outcome.out = read_file(out_path).value_or("");
  outcome.err = read_file(err_path).value_or("");
  std::error_code ec;
  fs::remove(out_path, ec);
  fs::remove(err_path, ec);
  fs::remove(in_path, ec);
  return outcome;
}

// A fresh working directory per test, removed afterwards.
class ProgramRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "polylsq-robust-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
  }

  // A run with `data` as "B2F.txt" (nullopt: none) and `old_result` as an "F2B.txt" that
  // is there before it (nullopt: none); checks every promise and returns the outcome.
  Outcome run_and_check(const std::optional<std::string>& data,
                        const std::optional<std::string>& old_result, const RunSetup& setup = {}) {
    if (data) write_file(dir_ / "B2F.txt", *data);
    if (old_result) write_file(dir_ / "F2B.txt", *old_result);
    Outcome run = run_program_in(dir_, setup);
    EXPECT_FALSE(run.timed_out) << "the run did not end within the time limit";
    EXPECT_EQ(run.signal, 0) << "ended by signal " << run.signal;
    RunView view{run.status, run.out, run.err, old_result, read_file(dir_ / "F2B.txt")};
    EXPECT_EQ(check_run(view), "") << "standard output: \"" << run.out << "\"";
    if (data) {
      EXPECT_EQ(read_file(dir_ / "B2F.txt"), data) << "the data file was changed";
    }
    return run;
  }

  fs::path dir_;
};

// The run-time's report for an error in a statement on the file `name`.
inline std::string io_report(std::string_view number, std::string_view statement,
                             std::string_view name, std::string_view message) {
  return "\r\nrun-time error F" + std::string(number) + ": " + std::string(statement) + "(" +
         std::string(name) + ")\r\n- " + std::string(message) + "\r\n";
}

// A result file of another run, longer than seven records, planted before a run.
inline const std::string kOldResult =
    "    99.000\r\n    98.000\r\n    97.000\r\n    96.000\r\n    95.000\r\n    94.000\r\n"
    "     93.0000\r\n  an older, longer result file\r\n";

}  // namespace polylsq::robustness
