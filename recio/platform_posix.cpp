// The run-time's seam on POSIX systems (Linux with glibc): file descriptors, SIGFPE with
// its si_code for the traps, madvise for the memory advice.
#include "recio/platform.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

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

}  // namespace

void use_binary_standard_streams() {}

void ignore_broken_pipes() { ::signal(SIGPIPE, SIG_IGN); }

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

FileHandle open_unit_file(const std::string& name) {
  int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  return fd < 0 ? kNoFile : fd;
}

bool read_unit_file(FileHandle& file, const std::string& name, std::string& data) {
  data.clear();
  struct stat info {};
  if (::fstat(file, &info) == 0 && S_ISREG(info.st_mode)) {
    data.reserve(static_cast<std::size_t>(info.st_size));
    if (::lseek(file, 0, SEEK_SET) != 0) return false;
  }
  // A named pipe: the unit's read-write descriptor is itself a writer, so the pipe's end
  // would never come. Read through a descriptor that only reads (it opens at once: the
  // unit is a writer) and keep the unit's own writer until the first bytes have come,
  // since a pipe without writers reads as ended and one closed by every process loses
  // its bytes. Then the pipe ends when its other writers close.
  int own_writer = -1;
  if (S_ISFIFO(info.st_mode) && (::fcntl(file, F_GETFL) & O_ACCMODE) == O_RDWR) {
    const int reader = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (reader < 0) return false;
    own_writer = file;
    file = reader;
  }
  bool ok = true;
  char chunk[65536];
  for (;;) {
    const ssize_t n = ::read(file, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    data.append(chunk, static_cast<std::size_t>(n));
    if (own_writer >= 0) {
      ::close(own_writer);
      own_writer = -1;
    }
  }
  if (own_writer >= 0) ::close(own_writer);
  return ok;
}

bool rewrite_unit_file(FileHandle file, std::string_view bytes) {
  struct stat info {};
  const bool regular = ::fstat(file, &info) == 0 && S_ISREG(info.st_mode);
  if (regular && ::lseek(file, 0, SEEK_SET) != 0) return false;
  if (!write_fd(file, bytes)) return false;
  if (regular && ::ftruncate(file, static_cast<off_t>(bytes.size())) != 0) return false;
  return true;
}

bool close_unit_file(FileHandle file) { return ::close(file) == 0; }

std::FILE* open_c_file(const std::string& name, const char* mode) {
  return std::fopen(name.c_str(), mode);
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
