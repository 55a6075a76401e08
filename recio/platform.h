// The run-time's one seam to the operating system: standard streams, the files of the unit
// table, the command line's arguments, the floating-point environment with its traps, and
// memory advice. platform_posix.cpp and platform_windows.cpp implement it; the build
// compiles one of them. File names are UTF-8 on every platform; files are read and written
// as bytes, never with line-end translation.
#pragma once

#include <cfenv>
#include <cstddef>
#include <cstdio>
#include <string>
#include <system_error>
#include <string_view>
#include <vector>

namespace polylsq::recio::platform {

// --- Process and standard streams ---

enum class OutputStream { kStandardOutput, kStandardError };

// Standard input, output and error pass bytes unchanged ("\r\n" written once, never
// translated again). Idempotent; call before the first byte is read or written.
void use_binary_standard_streams();

// A reader of standard output or of a file that goes away loses the bytes written to it
// but does not end the process.
void ignore_broken_pipes();

// Standard descriptors that are not open are taken by a descriptor on which every read
// (descriptor 0) or write (1 and 2) fails as on a closed one, so that no file opened
// later takes their numbers and receives console bytes. Call first thing in main.
void reserve_standard_descriptors();

// The arguments of main as UTF-8 (on Windows taken from the wide-character command line,
// whatever the code page); argv[0] first.
std::vector<std::string> utf8_arguments(int argc, char** argv);

// Writes all of `bytes` to the stream; false on a write error (the rest is dropped).
// Safe in a signal handler or an exception handler.
bool write_all(OutputStream stream, std::string_view bytes);

// Reads the next bytes of standard input into `buffer`: their count, 0 at the end of
// input or on a read error.
std::size_t read_standard_input(char* buffer, std::size_t size);

// Ends the process at once with `status`: no exit handlers, no unit stored. Safe in a
// signal handler or an exception handler.
[[noreturn]] void exit_now(int status);

// --- Files ---

// An open file of the unit table (a POSIX or C run-time file descriptor).
using FileHandle = int;
constexpr FileHandle kNoFile = -1;

// Opens `name` with the unit table's default status: an existing file unchanged, a missing
// one created empty; read-write, else read-only, else write-only. A named pipe opens for
// reading without waiting for a writer (a rewrite opens its writer). kNoFile on failure.
// `created`, when given, tells whether this open created the file.
FileHandle open_unit_file(const std::string& name, bool* created = nullptr);

// Reads the whole file from its first byte (a pipe or a device from where it is) into
// `data`, replacing its contents; `file` may be replaced by another handle on the same
// file, which the caller then owns. A pipe is read until its writers have closed it: one
// that no writer has opened yet is waited for; one whose writers closed it without
// writing reads as empty. False on a read error.
bool read_unit_file(FileHandle& file, const std::string& name, std::string& data);

// Replaces the contents of the file `name`, open as `file`, by `bytes`; false when they
// could not be stored. A regular file that the handle may write and that has no other
// link is replaced whole or not at all (POSIX): the bytes go into a temporary file in
// its folder (links followed), renamed onto it, and `file` becomes a handle on the new
// file, which the caller then owns; where no temporary file can be made there, and on
// Windows, the file is rewritten in place. A pipe or a device is written.
bool rewrite_unit_file(FileHandle& file, const std::string& name, std::string_view bytes);

// Removes the file that `name` names (a link's target, not the link); false when it could
// not be removed.
bool remove_file(const std::string& name);

// Writes `bytes` into a new temporary file in the folder of `target` (a UTF-8 name whose
// links the caller has followed) and renames it onto `target`, which an existing file's
// permissions carry over to. While the temporary file exists, SIGINT, SIGTERM and SIGHUP
// (on Windows, the console's interrupt and close events) remove it before they end the
// process as they would have; a signal that the process ignores stays ignored. Returns
// the system's error, empty on success; on failure the temporary file is gone and
// `target` is as it was.
std::error_code replace_file(const std::string& target, std::string_view bytes);

// Closes the file; false when the system reports a failure.
bool close_unit_file(FileHandle file);

// std::fopen of a UTF-8 file name; `mode` as for std::fopen ("rb").
std::FILE* open_c_file(const std::string& name, const char* mode);

// A stream that reads `bytes` (which must outlive it), for readers that take a FILE*;
// nullptr when none can be made. Closed with std::fclose.
std::FILE* open_memory_c_file(std::string_view bytes);

// --- Floating-point environment ---

// What a trap reports, by the exception that caused it.
enum class FpTrap { kInvalid, kDivideByZero, kOverflow, kUnderflow, kInexact };

// Called in the signal or exception handler of a trap; must not return.
using FpTrapHandler = void (*)(FpTrap trap);

// Round to nearest, no exception flag raised, the invalid-operation, division-by-zero and
// overflow exceptions trapping into `handler` (integer division by zero and overflow too).
void enable_fp_traps(FpTrapHandler handler);

// Saves the whole environment in `saved`, then masks every exception and clears the flags.
void hold_fp_exceptions(std::fenv_t& saved);

// Restores an environment saved by hold_fp_exceptions, traps and flags included.
void restore_fp_environment(const std::fenv_t& saved);

// Raises the invalid-operation exception as an arithmetic instruction would: traps when
// the trap is enabled, else sets the flag.
void raise_invalid_operation();

// --- Memory ---

// Asks that the whole 2 MiB pages of [memory, memory + bytes) be backed by large pages
// where the system offers that on request. Advice only: nothing changes when refused.
void advise_large_pages(void* memory, std::size_t bytes);

}  // namespace polylsq::recio::platform
