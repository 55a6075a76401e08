// The run-time's seam on POSIX systems (Linux with glibc): file descriptors, SIGFPE with
// its si_code for the traps, madvise for the memory advice, a handler of the ending
// signals for the temporary file being written.
#include "recio/platform.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <random>

namespace polylsq::recio::platform {
namespace {

constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;

volatile FpTrapHandler g_trap_handler = nullptr;

bool write_fd(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

FpTrap trap_of(int si_code) {
  switch (si_code) {
    case FPE_FLTDIV:
    case FPE_INTDIV:
      return FpTrap::kDivideByZero;
    case FPE_FLTOVF:
    case FPE_INTOVF:
      return FpTrap::kOverflow;
    case FPE_FLTUND:
      return FpTrap::kUnderflow;
    case FPE_FLTRES:
      return FpTrap::kInexact;
    default:  // FPE_FLTINV, FPE_FLTSUB and anything unclassified
      return FpTrap::kInvalid;
  }
}

void on_floating_point_signal(int, siginfo_t* info, void*) { g_trap_handler(trap_of(info->si_code)); }

// --- The temporary file being written ---

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Its name, in storage reserved before any signal can come; the handler reads it only
// while `g_temporary_armed` is set.
char g_temporary_name[PATH_MAX];
volatile sig_atomic_t g_temporary_armed = 0;

// Removes the temporary file, then ends the process as the signal would have.
void on_ending_signal(int signal) {
  if (g_temporary_armed) ::unlink(g_temporary_name);
  ::signal(signal, SIG_DFL);
  ::raise(signal);  // delivered when the handler returns
}

// Watches each ending signal that still has its default action.
void watch_ending_signals() {
  [[maybe_unused]] static const bool installed = [] {
    for (const int signal : kEndingSignals) {
      struct sigaction current {};
      if (sigaction(signal, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO) != 0 ||
          current.sa_handler != SIG_DFL) {
        continue;
      }
      struct sigaction action {};
      action.sa_handler = on_ending_signal;
      sigemptyset(&action.sa_mask);
      for (const int other : kEndingSignals) sigaddset(&action.sa_mask, other);
      sigaction(signal, &action, nullptr);
    }
    return true;
  }();
}

// Names `name` as the temporary file that an ending signal removes; false when the name
// is too long to be kept.
bool arm_temporary(const std::string& name) {
  if (name.size() >= sizeof g_temporary_name) return false;
  watch_ending_signals();
  g_temporary_armed = 0;
  std::memcpy(g_temporary_name, name.c_str(), name.size() + 1);
  g_temporary_armed = 1;
  return true;
}

void disarm_temporary() { g_temporary_armed = 0; }

// A new, empty temporary file in the folder of `target`, "<folder>/.<name>.<random>.tmp",
// created with the permissions a new file gets; -1 when none can be made (errno says why).
int create_temporary_beside(const std::string& target, std::string& name) {
  const std::size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  std::random_device entropy;
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = folder + "." + base + "." + std::to_string(entropy()) + std::to_string(entropy()) + ".tmp";
    if (!arm_temporary(name)) {
      errno = ENAMETOOLONG;
      return -1;
    }
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) {
      if (fd < 0) disarm_temporary();
      return fd;
    }
  }
  disarm_temporary();
  return -1;
}

enum class Replaced { kYes, kNoTemporary, kFailed };

// replace_file's work, telling a temporary file that could not be made from a failure
// after it was made; `mode`: the permissions to give the new file, or -1 for a new
// file's own. errno says why on failure.
Replaced replace_through_temporary(const std::string& target, std::string_view bytes, int mode) {
  std::string temporary;
  const int fd = create_temporary_beside(target, temporary);
  if (fd < 0) return Replaced::kNoTemporary;
  bool ok = write_fd(fd, bytes) && (mode < 0 || ::fchmod(fd, static_cast<mode_t>(mode)) == 0);
  int error = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) ::unlink(temporary.c_str());
  disarm_temporary();
  errno = error;
  return ok ? Replaced::kYes : Replaced::kFailed;
}

// The permissions of the regular file `target`, -1 when there is none.
int permissions_of(const std::string& target) {
  struct stat info {};
  if (::stat(target.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  return static_cast<int>(info.st_mode & 07777);
}

// Stores a unit's regular file through a temporary file; kNoTemporary when the file is
// not one to replace (another link to it, no name that leads to it) or none can be made.
Replaced replace_unit_file(FileHandle& file, const std::string& name, std::string_view bytes) {
  struct stat info {};
  if (::fstat(file, &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink != 1 ||
      (::fcntl(file, F_GETFL) & O_ACCMODE) == O_RDONLY) {
    return Replaced::kNoTemporary;
  }
  char* const resolved = ::realpath(name.c_str(), nullptr);
  if (resolved == nullptr) return Replaced::kNoTemporary;
  const std::string target(resolved);
  ::free(resolved);
  struct stat at_target {};
  if (::stat(target.c_str(), &at_target) != 0 || at_target.st_dev != info.st_dev ||
      at_target.st_ino != info.st_ino) {
    return Replaced::kNoTemporary;
  }
  const Replaced outcome = replace_through_temporary(target, bytes, static_cast<int>(info.st_mode & 07777));
  if (outcome == Replaced::kYes) {
    const int fresh = ::open(target.c_str(), O_RDWR | O_CLOEXEC);
    if (fresh >= 0) {
      ::close(file);
      file = fresh;
    }
  }
  return outcome;
}

}  // namespace

void use_binary_standard_streams() {}

void ignore_broken_pipes() { ::signal(SIGPIPE, SIG_IGN); }

void reserve_standard_descriptors() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);  // the lowest free number: fd
  }
}

std::vector<std::string> utf8_arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

bool write_all(OutputStream stream, std::string_view bytes) {
  return write_fd(stream == OutputStream::kStandardOutput ? STDOUT_FILENO : STDERR_FILENO, bytes);
}

std::size_t read_standard_input(char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(STDIN_FILENO, buffer, size);
    if (n < 0 && errno == EINTR) continue;
    return n < 0 ? 0 : static_cast<std::size_t>(n);
  }
}

void exit_now(int status) { ::_exit(status); }

FileHandle open_unit_file(const std::string& name, bool* created) {
  struct stat info {};
  const bool missing = ::stat(name.c_str(), &info) != 0 && errno == ENOENT;
  int fd = -1;
  // A named pipe without a writer of its own: its end comes when its writers have gone.
  if (!missing && S_ISFIFO(info.st_mode)) fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (created != nullptr) *created = missing && fd >= 0;
  return fd < 0 ? kNoFile : fd;
}

bool read_unit_file(FileHandle& file, const std::string&, std::string& data) {
  data.clear();
  struct stat info {};
  if (::fstat(file, &info) == 0 && S_ISREG(info.st_mode)) {
    data.reserve(static_cast<std::size_t>(info.st_size));
    if (::lseek(file, 0, SEEK_SET) != 0) return false;
  }
  // A pipe opened without waiting for a writer: wait until bytes come or a writer has
  // come and gone (the system reports a hang-up only then), then read to the end.
  const int flags = ::fcntl(file, F_GETFL);
  if (S_ISFIFO(info.st_mode) && flags != -1 && (flags & O_NONBLOCK) != 0) {
    pollfd ready{file, POLLIN, 0};
    while (::poll(&ready, 1, -1) < 0 && errno == EINTR) {
    }
    if (::fcntl(file, F_SETFL, flags & ~O_NONBLOCK) != 0) return false;
  }
  char chunk[65536];
  for (;;) {
    const ssize_t n = ::read(file, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n == 0;
    data.append(chunk, static_cast<std::size_t>(n));
  }
}

bool rewrite_unit_file(FileHandle& file, const std::string& name, std::string_view bytes) {
  const Replaced replaced = replace_unit_file(file, name, bytes);
  if (replaced != Replaced::kNoTemporary) return replaced == Replaced::kYes;
  struct stat info {};
  const bool known = ::fstat(file, &info) == 0;
  const bool regular = known && S_ISREG(info.st_mode);
  if (known && S_ISFIFO(info.st_mode) && (::fcntl(file, F_GETFL) & O_ACCMODE) == O_RDONLY) {
    const int writer = ::open(name.c_str(), O_WRONLY | O_CLOEXEC);  // the unit's own reader is there
    const bool written = writer >= 0 && write_fd(writer, bytes);
    return writer >= 0 && ::close(writer) == 0 && written;
  }
  if (regular && ::lseek(file, 0, SEEK_SET) != 0) return false;
  if (!write_fd(file, bytes)) return false;
  if (regular && ::ftruncate(file, static_cast<off_t>(bytes.size())) != 0) return false;
  return true;
}

bool remove_file(const std::string& name) {
  char* const resolved = ::realpath(name.c_str(), nullptr);
  const bool removed = ::unlink(resolved != nullptr ? resolved : name.c_str()) == 0;
  ::free(resolved);
  return removed;
}

std::error_code replace_file(const std::string& target, std::string_view bytes) {
  if (replace_through_temporary(target, bytes, permissions_of(target)) == Replaced::kYes) return {};
  return std::error_code(errno, std::generic_category());
}

bool close_unit_file(FileHandle file) { return ::close(file) == 0; }

std::FILE* open_c_file(const std::string& name, const char* mode) {
  return std::fopen(name.c_str(), mode);
}

std::FILE* open_memory_c_file(std::string_view bytes) {
  static char nothing = 0;  // an empty stream still needs a buffer of one byte
  if (bytes.empty()) {
    std::FILE* file = ::fmemopen(&nothing, 1, "rb");
    if (file != nullptr) std::fgetc(file);  // at its end at once
    return file;
  }
  return ::fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
}

void enable_fp_traps(FpTrapHandler handler) {
  g_trap_handler = handler;
  std::fesetround(FE_TONEAREST);
  std::feclearexcept(FE_ALL_EXCEPT);
  feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
  struct sigaction action {};
  action.sa_sigaction = on_floating_point_signal;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  sigaction(SIGFPE, &action, nullptr);
}

void hold_fp_exceptions(std::fenv_t& saved) { std::feholdexcept(&saved); }

void restore_fp_environment(const std::fenv_t& saved) { std::fesetenv(&saved); }

void raise_invalid_operation() { std::feraiseexcept(FE_INVALID); }

void advise_large_pages(void* memory, std::size_t bytes) {
  const auto first = reinterpret_cast<std::uintptr_t>(memory);
  const std::uintptr_t begin = (first + kLargePage - 1) & ~(kLargePage - 1);
  const std::uintptr_t end = (first + bytes) & ~(kLargePage - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

}  // namespace polylsq::recio::platform
