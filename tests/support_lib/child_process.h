// Runs code in a child process as a real run would run: the program itself, or a piece of
// library code with the default console, stop and failure report and the floating-point
// traps of the test process. Standard input and output are arranged as the test asks;
// what the child wrote, how it ended, its peak memory and its time are captured.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace polylsq::testing {

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

// A run that has not ended by then is a hang. Every run of the tests ends in well under a
// second, the million-observation case in a few seconds (longer under the sanitizers).
inline constexpr std::chrono::seconds kRunTimeout{kSanitized ? 120 : 30};

// Exit status of a child whose working folder could not be made read-only.
inline constexpr int kNoReadOnlyDirectory = 125;

enum class Input {
  kDevNull,    // at its end at once
  kFile,       // the bytes of ChildSetup::stdin_bytes, or the file ChildSetup::stdin_file
  kClosed,     // file descriptor 0 not open at all
  kDirectory,  // a descriptor on which every read fails
  kNeverEnds,  // a pipe whose writer stays open for the whole run and writes nothing
  kPipe,       // a pipe holding ChildSetup::stdin_bytes (at most 64 KiB), its writer closed
};

enum class Output {
  kCaptured,    // kept in ChildRun::out
  kBrokenPipe,  // a pipe whose reading end is already closed
  kBrokenPipeSignalIgnored,  // the same, with SIGPIPE ignored: writes fail instead
  kClosed,      // file descriptor 1 not open at all
};

struct ChildSetup {
  std::vector<std::string> args;  // run_program: the arguments after the program name
  Input input = Input::kDevNull;
  std::string stdin_bytes;
  std::optional<std::filesystem::path> stdin_file;  // for input too large to hold: the
                                                    // child's peak resident set starts
                                                    // from the parent's at fork
  Output output = Output::kCaptured;
  bool read_only_directory = false;     // the child's working folder refuses writes
  std::optional<rlim_t> address_space;  // RLIMIT_AS of the child, in bytes
  std::optional<rlim_t> file_size;      // RLIMIT_FSIZE of the child, in bytes (SIGXFSZ
                                        // ignored: a write beyond it fails)
  std::function<void(pid_t)> while_running;  // called every few milliseconds until the end
  std::chrono::seconds timeout = kRunTimeout;
};

struct ChildRun {
  int status = -1;  // exit status; -1 when the process did not exit
  int signal = 0;   // the signal that ended it, if any
  bool timed_out = false;
  std::string out;
  std::string err;
  long peak_rss_kb = 0;  // the child's peak resident set
  double seconds = 0;
};

// Runs `body` in a forked child in the current working folder; a body that returns ends
// the child through std::exit(0), the normal end of the process. The outcome is what the
// child left behind; a child still running after setup.timeout is killed (timed_out).
ChildRun run_child(const std::function<void()>& body, const ChildSetup& setup = {});

// Runs the polylsq binary with setup.args in the folder `dir`.
ChildRun run_program(const std::filesystem::path& dir, const ChildSetup& setup = {});

}  // namespace polylsq::testing
