// The run-time's seam on 64-bit Windows (MinGW-w64, C run-time file descriptors): UTF-8
// names converted to UTF-16 for the wide-character file calls, standard streams in binary
// mode, the traps unmasked in MXCSR and caught by a vectored exception handler, a console
// control handler for the temporary file being written.
#include "recio/platform.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#include <shellapi.h>
#include <xmmintrin.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>

namespace polylsq::recio::platform {
namespace {

// MXCSR: exception flags in bits 0-5 (invalid, denormal, divide by zero, overflow,
// underflow, inexact), their masks in bits 7-12, in the same order.
constexpr unsigned kMxcsrFlags = 0x3F;
constexpr unsigned kMxcsrMasks = kMxcsrFlags << 7;
constexpr unsigned kInvalidFlag = 0x01;
constexpr unsigned kDenormalFlag = 0x02;
constexpr unsigned kDivideByZeroFlag = 0x04;
constexpr unsigned kOverflowFlag = 0x08;
constexpr unsigned kUnderflowFlag = 0x10;
constexpr unsigned kTrappingMasks = (kInvalidFlag | kDivideByZeroFlag | kOverflowFlag) << 7;

// Largest byte count handed to one _read or _write call.
constexpr std::size_t kMaxTransfer = INT_MAX;

volatile FpTrapHandler g_trap_handler = nullptr;

std::wstring utf16_of(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

std::string utf8_of(const wchar_t* wide) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return {};
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), length, nullptr, nullptr);
  utf8.pop_back();  // the terminating zero
  return utf8;
}

bool write_fd(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const int n = _write(fd, bytes.data(), static_cast<unsigned>(std::min(bytes.size(), kMaxTransfer)));
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool is_regular(int fd) {
  struct _stat64 info {};
  return _fstat64(fd, &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFREG;
}

// The exception that an unmasked MXCSR flag stands for, in the order in which the Linux
// kernel names the cause of a SIMD floating-point trap.
FpTrap trap_of_mxcsr(unsigned mxcsr) {
  const unsigned raised = mxcsr & kMxcsrFlags & ~((mxcsr & kMxcsrMasks) >> 7);
  if (raised & kInvalidFlag) return FpTrap::kInvalid;
  if (raised & kDivideByZeroFlag) return FpTrap::kDivideByZero;
  if (raised & kOverflowFlag) return FpTrap::kOverflow;
  if (raised & (kUnderflowFlag | kDenormalFlag)) return FpTrap::kUnderflow;
  if (raised != 0) return FpTrap::kInexact;
  return FpTrap::kInvalid;
}

std::optional<FpTrap> trap_of(DWORD code, unsigned mxcsr) {
  switch (code) {
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_STACK_CHECK:
      return FpTrap::kInvalid;
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
      return FpTrap::kDivideByZero;
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_INT_OVERFLOW:
      return FpTrap::kOverflow;
    case EXCEPTION_FLT_UNDERFLOW:
      return FpTrap::kUnderflow;
    case EXCEPTION_FLT_INEXACT_RESULT:
      return FpTrap::kInexact;
    case STATUS_FLOAT_MULTIPLE_TRAPS:
    case STATUS_FLOAT_MULTIPLE_FAULTS:
      return trap_of_mxcsr(mxcsr);
    default:
      return std::nullopt;
  }
}

LONG CALLBACK on_exception(EXCEPTION_POINTERS* exception) {
  const std::optional<FpTrap> trap =
      trap_of(exception->ExceptionRecord->ExceptionCode, exception->ContextRecord->MxCsr);
  if (!trap || g_trap_handler == nullptr) return EXCEPTION_CONTINUE_SEARCH;
  g_trap_handler(*trap);
  return EXCEPTION_CONTINUE_SEARCH;  // not reached: the handler does not return
}

// A folder opens read-only, as on POSIX systems, so that a read from it or a store into it
// fails with the same report there and here; -1 when `path` names no folder.
int open_folder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return -1;
  const HANDLE folder = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return -1;
  const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(folder), _O_RDONLY);
  if (fd < 0) CloseHandle(folder);
  return fd;
}

// --- The temporary file being written ---

// Its name, in storage reserved before any console event can come; the handler reads it
// only while `g_temporary_armed` is set.
wchar_t g_temporary_name[32768];
volatile LONG g_temporary_armed = 0;

// Runs on a thread of its own: removes the temporary file (opened with delete sharing, so
// that it goes when the process closes it), then lets the event end the process.
BOOL WINAPI on_console_event(DWORD) {
  if (g_temporary_armed) DeleteFileW(g_temporary_name);
  return FALSE;
}

bool arm_temporary(const std::wstring& name) {
  if (name.size() >= sizeof g_temporary_name / sizeof g_temporary_name[0]) return false;
  [[maybe_unused]] static const BOOL installed = SetConsoleCtrlHandler(on_console_event, TRUE);
  g_temporary_armed = 0;
  std::copy(name.c_str(), name.c_str() + name.size() + 1, g_temporary_name);
  g_temporary_armed = 1;
  return true;
}

// A new temporary file in the folder of `target`, "<folder>\\.<name>.<random>.tmp";
// INVALID_HANDLE_VALUE when none can be made (GetLastError says why).
HANDLE create_temporary_beside(const std::wstring& target, std::wstring& name) {
  const std::size_t separator = target.find_last_of(L"\\/");
  const std::wstring folder = separator == std::wstring::npos ? L"" : target.substr(0, separator + 1);
  const std::wstring base = separator == std::wstring::npos ? target : target.substr(separator + 1);
  std::random_device entropy;
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = folder + L"." + base + L"." + std::to_wstring(entropy()) + std::to_wstring(entropy()) + L".tmp";
    if (!arm_temporary(name)) {
      SetLastError(ERROR_FILENAME_EXCED_RANGE);
      return INVALID_HANDLE_VALUE;
    }
    const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
      if (file == INVALID_HANDLE_VALUE) g_temporary_armed = 0;
      return file;
    }
  }
  g_temporary_armed = 0;
  return INVALID_HANDLE_VALUE;
}

bool write_handle(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(std::min(bytes.size(), kMaxTransfer));
    if (!WriteFile(file, bytes.data(), size, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

void use_binary_standard_streams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

void ignore_broken_pipes() {}  // no such signal: a write to a closed pipe fails

// The C run-time keeps descriptors 0 to 2 for the standard streams whether or not a handle
// stands behind them: a file opened later never takes their numbers.
void reserve_standard_descriptors() {}

std::vector<std::string> utf8_arguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  arguments.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) arguments.push_back(utf8_of(wide[i]));
  LocalFree(wide);
  return arguments;
}

bool write_all(OutputStream stream, std::string_view bytes) {
  return write_fd(stream == OutputStream::kStandardOutput ? 1 : 2, bytes);
}

std::size_t read_standard_input(char* buffer, std::size_t size) {
  const int n = _read(0, buffer, static_cast<unsigned>(std::min(size, kMaxTransfer)));
  return n < 0 ? 0 : static_cast<std::size_t>(n);
}

void exit_now(int status) { _exit(status); }

FileHandle open_unit_file(const std::string& name, bool* created) {
  const std::wstring path = utf16_of(name);
  const bool missing = GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
                       (GetLastError() == ERROR_FILE_NOT_FOUND);
  constexpr int kBinary = _O_BINARY | _O_NOINHERIT;
  int fd = _wopen(path.c_str(), _O_RDWR | _O_CREAT | kBinary, _S_IREAD | _S_IWRITE);
  if (fd < 0) fd = _wopen(path.c_str(), _O_RDONLY | kBinary);
  if (fd < 0) fd = _wopen(path.c_str(), _O_WRONLY | _O_CREAT | kBinary, _S_IREAD | _S_IWRITE);
  if (fd < 0) fd = open_folder(path);
  if (created != nullptr) *created = missing && fd >= 0;
  return fd < 0 ? kNoFile : fd;
}

bool read_unit_file(FileHandle& file, const std::string&, std::string& data) {
  data.clear();
  if (is_regular(file)) {
    struct _stat64 info {};
    if (_fstat64(file, &info) == 0) data.reserve(static_cast<std::size_t>(info.st_size));
    if (_lseeki64(file, 0, SEEK_SET) != 0) return false;
  }
  char chunk[65536];
  for (;;) {
    const int n = _read(file, chunk, sizeof chunk);
    if (n <= 0) return n == 0;
    data.append(chunk, static_cast<std::size_t>(n));
  }
}

// In place: the unit's own handle does not share deletion, so no file can be renamed
// onto it while it is open.
bool rewrite_unit_file(FileHandle& file, const std::string&, std::string_view bytes) {
  const bool regular = is_regular(file);
  if (regular && _lseeki64(file, 0, SEEK_SET) != 0) return false;
  if (!write_fd(file, bytes)) return false;
  if (regular && _chsize_s(file, static_cast<__int64>(bytes.size())) != 0) return false;
  return true;
}

bool remove_file(const std::string& name) { return DeleteFileW(utf16_of(name).c_str()) != 0; }

std::error_code replace_file(const std::string& target, std::string_view bytes) {
  const std::wstring path = utf16_of(target);
  std::wstring temporary;
  const HANDLE file = create_temporary_beside(path, temporary);
  if (file == INVALID_HANDLE_VALUE) return std::error_code(static_cast<int>(GetLastError()), std::system_category());
  bool ok = write_handle(file, bytes);
  DWORD error = GetLastError();
  if (!CloseHandle(file) && ok) {
    ok = false;
    error = GetLastError();
  }
  if (ok && !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    ok = false;
    error = GetLastError();
  }
  if (!ok) DeleteFileW(temporary.c_str());
  g_temporary_armed = 0;
  return ok ? std::error_code() : std::error_code(static_cast<int>(error), std::system_category());
}

bool close_unit_file(FileHandle file) { return _close(file) == 0; }

std::FILE* open_c_file(const std::string& name, const char* mode) {
  return _wfopen(utf16_of(name).c_str(), utf16_of(mode).c_str());
}

// No streams on memory here: a temporary file that goes when it is closed.
std::FILE* open_memory_c_file(std::string_view bytes) {
  wchar_t folder[MAX_PATH + 1];
  wchar_t name[MAX_PATH + 1];
  if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"pls", 0, name) == 0) return nullptr;
  std::FILE* file = _wfopen(name, L"w+bTD");
  if (file == nullptr) {
    DeleteFileW(name);
    return nullptr;
  }
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fseek(file, 0, SEEK_SET) != 0) {
    std::fclose(file);
    return nullptr;
  }
  return file;
}

void enable_fp_traps(FpTrapHandler handler) {
  g_trap_handler = handler;
  [[maybe_unused]] static void* const installed = AddVectoredExceptionHandler(1, on_exception);
  std::fesetround(FE_TONEAREST);
  std::feclearexcept(FE_ALL_EXCEPT);
  _mm_setcsr(_mm_getcsr() & ~kTrappingMasks);
}

// The C library's environment calls of MinGW-w64 neither mask nor restore the MXCSR traps:
// MXCSR is saved in the environment's own field and set here.
void hold_fp_exceptions(std::fenv_t& saved) {
  const unsigned mxcsr = _mm_getcsr();
  std::feholdexcept(&saved);
  saved.__mxcsr = mxcsr;
  _mm_setcsr((mxcsr | kMxcsrMasks) & ~kMxcsrFlags);
}

void restore_fp_environment(const std::fenv_t& saved) {
  std::fesetenv(&saved);
  _mm_setcsr(saved.__mxcsr);
}

// The C library's feraiseexcept raises in the x87 unit only, whose traps stay masked.
void raise_invalid_operation() {
  volatile double zero = 0.0;
  volatile double quotient = zero / zero;
  (void)quotient;
}

void advise_large_pages(void*, std::size_t) {}  // large pages need a privilege: no advice

}  // namespace polylsq::recio::platform
