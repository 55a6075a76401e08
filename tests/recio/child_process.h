// Runs a piece of code in a forked child, as a real process of the program would run:
// with the default console, stop and failure report, and the floating-point traps of the
// test process. Captures its standard output, standard error and exit status.
#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

namespace polylsq::testing {

struct ChildResult {
  int exit_status = -1;  // -1 when the child did not exit normally (a signal)
  std::string out;
  std::string err;
};

inline ChildResult run_child(const std::function<void()>& body, const std::string& input = "") {
  int out[2], err[2], in[2];
  EXPECT_EQ(::pipe(out), 0);
  EXPECT_EQ(::pipe(err), 0);
  EXPECT_EQ(::pipe(in), 0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(in[0], STDIN_FILENO);
    ::dup2(out[1], STDOUT_FILENO);
    ::dup2(err[1], STDERR_FILENO);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) ::close(fd);
    body();
    std::exit(0);  // a body that ends without a stop: the normal end of the process
  }
  ::close(in[0]);
  if (!input.empty()) {
    EXPECT_GT(::write(in[1], input.data(), input.size()), 0);
  }
  ::close(in[1]);
  ::close(out[1]);
  ::close(err[1]);
  ChildResult result;
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  int open_streams = 2;
  while (open_streams > 0 && ::poll(fds, 2, 10000) > 0) {
    for (pollfd& p : fds) {
      if (p.fd < 0 || p.revents == 0) continue;
      char buf[4096];
      const ssize_t n = ::read(p.fd, buf, sizeof buf);
      if (n <= 0) {
        ::close(p.fd);
        p.fd = -1;
        --open_streams;
      } else {
        (p.fd == out[0] ? result.out : result.err).append(buf, static_cast<std::size_t>(n));
      }
    }
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  return result;
}

}  // namespace polylsq::testing
