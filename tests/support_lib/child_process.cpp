// Child processes of the tests: the arrangement of their standard streams and limits in
// the child, the wait with a time limit, and the capture of what they wrote.
#include "support_lib/child_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <thread>

namespace polylsq::testing {
namespace {

namespace fs = std::filesystem;

// A file without a name: its bytes go when the last descriptor on it is closed.
int anonymous_file() {
  std::string pattern = (fs::temp_directory_path() / "polylsq-child-XXXXXX").string();
  const int fd = ::mkstemp(pattern.data());
  if (fd >= 0) ::unlink(pattern.c_str());
  return fd;
}

bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Everything written to `fd` since it was made; closes it.
std::string take_contents(int fd) {
  std::string bytes;
  char buffer[1 << 16];
  ssize_t n = 0;
  for (off_t at = 0; (n = ::pread(fd, buffer, sizeof buffer, at)) > 0; at += n) {
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return bytes;
}

// Makes `dir` read-only for this process only: a private mount namespace with a read-only
// bind of the folder onto itself. Without the privilege for that, a folder and files
// without write permission stop a process that is not root.
bool make_read_only(const fs::path& dir) {
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

// The descriptors a child gets, opened by the parent before the fork.
struct Streams {
  int input = -1;           // the bytes of the kFile input
  int silent[2] = {-1, -1}; // kNeverEnds: the parent keeps the writer
  int broken[2] = {-1, -1}; // kBrokenPipe: the reader is closed at once
  int out = -1;
  int err = -1;
};

Streams open_streams(const ChildSetup& setup) {
  Streams s;
  s.out = anonymous_file();
  s.err = anonymous_file();
  EXPECT_GE(s.out, 0);
  EXPECT_GE(s.err, 0);
  if (setup.input == Input::kFile && !setup.stdin_file) {
    s.input = anonymous_file();
    EXPECT_TRUE(s.input >= 0 && write_all(s.input, setup.stdin_bytes) && ::lseek(s.input, 0, SEEK_SET) == 0);
  }
  if (setup.input == Input::kNeverEnds || setup.input == Input::kPipe) {
    EXPECT_EQ(::pipe(s.silent), 0);
  }
  if (setup.input == Input::kPipe) {
    EXPECT_TRUE(write_all(s.silent[1], setup.stdin_bytes));
    ::close(s.silent[1]);
    s.silent[1] = -1;
  }
  if (setup.output == Output::kBrokenPipe || setup.output == Output::kBrokenPipeSignalIgnored) {
    EXPECT_EQ(::pipe(s.broken), 0);
    ::close(s.broken[0]);
  }
  return s;
}

// In the child: limits, working folder and standard streams as `setup` asks, then `body`.
[[noreturn]] void become_child(const ChildSetup& setup, const Streams& s, const fs::path& dir,
                               const std::function<void()>& body) {
  ::signal(SIGPIPE, setup.output == Output::kBrokenPipeSignalIgnored ? SIG_IGN : SIG_DFL);
  if (setup.read_only_directory && !make_read_only(dir.empty() ? fs::current_path() : dir)) {
    ::_exit(kNoReadOnlyDirectory);
  }
  if (setup.address_space) {
    const rlimit limit{*setup.address_space, *setup.address_space};
    ::setrlimit(RLIMIT_AS, &limit);
  }
  if (setup.file_size) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{*setup.file_size, *setup.file_size};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  int in = -1;
  switch (setup.input) {
    case Input::kDevNull: in = ::open("/dev/null", O_RDONLY); break;
    case Input::kFile: in = setup.stdin_file ? ::open(setup.stdin_file->c_str(), O_RDONLY) : s.input; break;
    case Input::kClosed: break;
    case Input::kDirectory: in = ::open("/", O_RDONLY | O_DIRECTORY); break;
    case Input::kNeverEnds:
    case Input::kPipe:
      in = s.silent[0];
      if (s.silent[1] >= 0) ::close(s.silent[1]);
      break;
  }
  const bool broken = setup.output == Output::kBrokenPipe || setup.output == Output::kBrokenPipeSignalIgnored;
  const int out = broken ? s.broken[1] : s.out;
  if ((setup.input != Input::kClosed && in < 0) || out < 0 || s.err < 0 ||
      (!dir.empty() && ::chdir(dir.c_str()) != 0)) {
    ::_exit(127);
  }
  if (setup.input == Input::kClosed) {
    ::close(STDIN_FILENO);
  } else {
    ::dup2(in, STDIN_FILENO);
  }
  if (setup.output == Output::kClosed) {
    ::close(STDOUT_FILENO);
  } else {
    ::dup2(out, STDOUT_FILENO);
  }
  ::dup2(s.err, STDERR_FILENO);
  body();
  std::exit(0);
}

ChildRun run_in(const fs::path& dir, const ChildSetup& setup, const std::function<void()>& body) {
  Streams s = open_streams(setup);
  std::fflush(nullptr);  // nothing buffered in this process may reach the child's output
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) become_child(setup, s, dir, body);
  for (int fd : {s.input, s.silent[0], s.broken[1]}) {
    if (fd >= 0) ::close(fd);
  }
  ChildRun run;
  int status = 0;
  rusage usage{};
  const auto deadline = start + setup.timeout;
  while (pid > 0 && ::wait4(pid, &status, WNOHANG, &usage) == 0) {
    if (setup.while_running) setup.while_running(pid);
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::wait4(pid, &status, 0, &usage);
      run.timed_out = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (s.silent[1] >= 0) ::close(s.silent[1]);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.peak_rss_kb = usage.ru_maxrss;
  if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
  run.out = s.out >= 0 ? take_contents(s.out) : "";
  run.err = s.err >= 0 ? take_contents(s.err) : "";
  EXPECT_GT(pid, 0) << "fork failed";
  return run;
}

}  // namespace

ChildRun run_child(const std::function<void()>& body, const ChildSetup& setup) {
  return run_in({}, setup, body);
}

ChildRun run_program(const fs::path& dir, const ChildSetup& setup) {
  std::vector<const char*> argv{"polylsq"};
  for (const std::string& arg : setup.args) argv.push_back(arg.c_str());
  argv.push_back(nullptr);
  return run_in(dir, setup, [&argv] {
    ::execv(POLYLSQ_BINARY, const_cast<char* const*>(argv.data()));
    ::_exit(127);
  });
}

}  // namespace polylsq::testing
