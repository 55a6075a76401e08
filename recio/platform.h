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
// one created empty; read-write, else read-only, else write-only. kNoFile on failure.
FileHandle open_unit_file(const std::string& name);

// Reads the whole file from its first byte (a pipe or a device from where it is) into
// `data`, replacing its contents; `file` may be replaced by another handle on the same
// file, which the caller then owns. False on a read error.
bool read_unit_file(FileHandle& file, const std::string& name, std::string& data);

// Replaces the file's contents by `bytes` (a pipe or a device: writes them); false when
// they could not be stored.
bool rewrite_unit_file(FileHandle file, std::string_view bytes);

// Closes the file; false when the system reports a failure.
bool close_unit_file(FileHandle file);

// std::fopen of a UTF-8 file name; `mode` as for std::fopen ("rb").
std::FILE* open_c_file(const std::string& name, const char* mode);

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
