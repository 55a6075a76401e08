// The ends of a run: the stop, the run-time's error reports, the end of the process.
#include "recio/run_end.h"

#include <cstdlib>
#include <new>
#include <string>
#include <utility>

#include "recio/console.h"
#include "recio/platform.h"
#include "recio/testing.h"
#include "recio/units.h"
#include "text/message_text.h"

namespace polylsq::recio {
namespace detail {
namespace {

constexpr std::string_view kStopText = "Stop - Program terminated.";
constexpr std::string_view kConsoleName = "CON";

struct Ends {
  StopHook stop_hook;
  FailureHook failure_hook;
};

Ends& ends() {
  static auto* const state = new Ends;  // never destroyed: a report may come at exit
  return *state;
}

[[noreturn]] void fail_with(std::string_view report) {
  end_console_line();
  if (const FailureHook& hook = ends().failure_hook) hook(report);
  platform::write_all(platform::OutputStream::kStandardError, report);
  platform::exit_now(kExitRuntimeError);  // files not yet stored stay as they were
}

std::string report_text(char letter, int number, std::string_view label, std::string_view name,
                        std::string_view message, std::string_view location) {
  std::string text = "\r\nrun-time error ";
  text.push_back(letter);
  text += std::to_string(number);
  text += label;
  if (!name.empty()) {
    text += name;
    text += ")";
  }
  text += "\r\n- ";
  text += message;
  text += "\r\n";
  if (!location.empty()) {
    text += "- ";
    text += location;
    text += "\r\n";
  }
  return text;
}

// The end of the process without a stop: the owed line end and the files' records.
void at_process_exit() { close_all_units(true); }

// A request for memory that cannot be met (a data file or observations beyond the memory
// of the process) ends the run with the ALLOCATE report instead of an uncaught exception.
// The report is a fixed text: nothing more is allocated on the way out.
void on_out_of_memory() { fail_with("\r\nrun-time error F6401: ALLOCATE\r\n- insufficient memory\r\n"); }

}  // namespace

void ensure_process_handlers() {
  [[maybe_unused]] static const bool installed = [] {
    std::atexit(at_process_exit);
    platform::use_binary_standard_streams();
    platform::ignore_broken_pipes();
    std::set_new_handler(on_out_of_memory);
    return true;
  }();
}

int io_error_number(IoError error) {
  switch (error) {
    case IoError::kOpenFailed: return 6101;
    case IoError::kTooManyUnits: return 6102;
    case IoError::kBadUnitNumber: return 6103;
    case IoError::kUnitNotConnected: return 6104;
    case IoError::kCloseFailed: return 6105;
    case IoError::kEndOfFile: return 6201;
    case IoError::kReadFailed: return 6202;
    case IoError::kBadInteger: return 6203;
    case IoError::kBadReal: return 6204;
    case IoError::kIntegerRange: return 6205;
    case IoError::kRealRange: return 6206;
    case IoError::kWriteFailed: return 6301;
    case IoError::kBadFormat: return 6302;
    case IoError::kItemMismatch: return 6303;
  }
  return 6000;
}

std::string_view io_error_message(IoError error) {
  switch (error) {
    case IoError::kOpenFailed: return "cannot open file";
    case IoError::kTooManyUnits: return "too many units connected";
    case IoError::kBadUnitNumber: return "invalid unit number";
    case IoError::kUnitNotConnected: return "unit not connected";
    case IoError::kCloseFailed: return "close failure";
    case IoError::kEndOfFile: return "end of file encountered";
    case IoError::kReadFailed: return "read failure";
    case IoError::kBadInteger: return "invalid integer";
    case IoError::kBadReal: return "invalid real";
    case IoError::kIntegerRange: return "integer out of range";
    case IoError::kRealRange: return "real out of range";
    case IoError::kWriteFailed: return "write failure";
    case IoError::kBadFormat: return "invalid format";
    case IoError::kItemMismatch: return "format does not match item";
  }
  return "input/output error";
}

std::string read_location(std::string_view value, std::size_t line) {
  if (value.empty()) return "after line " + std::to_string(line);
  return text::at_line(line, text::quote_value(value));
}

void fail_io_on_file(IoError error, Statement statement, std::string_view name,
                     std::string_view location) {
  std::string_view label;
  switch (statement) {
    case Statement::kOpen: label = ": OPEN("; break;
    case Statement::kClose: label = ": CLOSE("; break;
    case Statement::kRead: label = ": READ("; break;
    case Statement::kWrite: label = ": WRITE("; break;
  }
  fail_with(report_text('F', io_error_number(error), label, name, io_error_message(error), location));
}

void fail_io(IoError error, Statement statement, int unit) {
  if (const std::string_view name = file_name_of(unit); !name.empty()) {
    fail_io_on_file(error, statement, name);
  } else if (is_console_number(unit)) {
    fail_io_on_file(error, statement, kConsoleName);
  } else {
    fail_io_on_file(error, statement, std::to_string(unit));
  }
}

void fail_math(int number, std::string_view message) {
  fail_with(report_text('M', number, ": MATH", {}, message, {}));
}

}  // namespace detail

void stop(std::string_view text, int status) {
  end_console_line();
  std::string line(text.empty() ? detail::kStopText : text);
  line += "\r\n";
  detail::console_bytes(line);
  detail::close_all_units(true);
  if (const StopHook& hook = detail::ends().stop_hook) hook(status);
  std::exit(status);
}

void set_stop_hook(StopHook hook) { detail::ends().stop_hook = std::move(hook); }
void set_failure_hook(FailureHook hook) { detail::ends().failure_hook = std::move(hook); }

}  // namespace polylsq::recio
