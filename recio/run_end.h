// How a run ends: the stop, and the run-time's error reports with their fixed table.
//
// A report goes to standard error after the owed console line end, and the process ends
// with exit status 1:
//   "\r\nrun-time error F6201: READ(B2F.txt)\r\n- end of file encountered\r\n"
//   "\r\nrun-time error M6101: MATH\r\n- floating-point error: invalid\r\n"
// A failing read on a file says where it stopped, in a third line:
//   "\r\nrun-time error F6204: READ(B2F.txt)\r\n- invalid real\r\n- line 7: \"3.O512\"\r\n"
//   "\r\nrun-time error F6201: READ(B2F.txt)\r\n- end of file encountered\r\n- after line 5\r\n"
// For a unit that has no file the label names the unit: "WRITE(7)"; the console
// connection is named "CON".
//
// Input/output errors (letter F):
//   6101  cannot open file               OPEN   the file can be opened in no mode
//   6102  too many units connected       OPEN   a 62nd file unit
//   6103  invalid unit number            any    a negative number other than '*'
//   6104  unit not connected             READ, WRITE  neither a console unit nor opened
//   6105  close failure                  CLOSE  the file could not be cut or closed
//   6201  end of file encountered        READ   no record left while items need values
//   6202  read failure                   READ   the file could not be read
//   6203  invalid integer                READ   a value that is no integer constant
//   6204  invalid real                   READ   a value that is no real constant
//   6205  integer out of range           READ   outside -2147483648..2147483647
//   6206  real out of range              READ   magnitude beyond the largest float
//   6301  write failure                  WRITE  the records could not be stored
//   6302  invalid format                 WRITE  a format text that does not parse
//   6303  format does not match item     WRITE  an item of the wrong kind for its
//                                               descriptor, or items left over by a
//                                               format without data descriptors
//   6401  insufficient memory            ALLOCATE  a request for memory that cannot be met:
//   "\r\nrun-time error F6401: ALLOCATE\r\n- insufficient memory\r\n"
// Math errors (letter M) are numbered as in fpenv.h: 6101.. for trapped exceptions,
// 6201.. for the math-library functions.
//
// None of the ends returns. A test's hook (testing.h) may leave by throwing; a hook that
// returns leaves the end to go on as without it.
#pragma once

#include <string_view>

#include "recio/exit_status.h"

namespace polylsq::recio {

// Ends the run: the owed console line end, then `text` (or "Stop - Program terminated."
// when empty) and "\r\n" on standard output, every unit closed, exit with `status`.
[[noreturn]] void stop(std::string_view text = {}, int status = polylsq::kExitResults);

}  // namespace polylsq::recio

namespace polylsq::recio::detail {

enum class IoError {
  kOpenFailed,
  kTooManyUnits,
  kBadUnitNumber,
  kUnitNotConnected,
  kCloseFailed,
  kEndOfFile,
  kReadFailed,
  kBadInteger,
  kBadReal,
  kIntegerRange,
  kRealRange,
  kWriteFailed,
  kBadFormat,
  kItemMismatch,
};

enum class Statement { kOpen, kClose, kRead, kWrite };

// Number and message of an input/output error.
int io_error_number(IoError error);
std::string_view io_error_message(IoError error);

// Ends the run with the report of `error` in a statement on the file `name`. A non-empty
// `location` adds a third line, "- " and the location, after the message.
[[noreturn]] void fail_io_on_file(IoError error, Statement statement, std::string_view name,
                                  std::string_view location = {});

// The same for a statement on `unit`, labelled with the unit's file name ("CON" for the
// console, the number for a unit without a file).
[[noreturn]] void fail_io(IoError error, Statement statement, int unit);

// Ends the run with a math report: "M<number>: MATH" and `message`.
[[noreturn]] void fail_math(int number, std::string_view message);

// `line 7: "3.O512"` for a value that cannot be read (quoted as text::quote_value quotes
// it), or `after line 5` when `value` is empty (an end of file).
std::string read_location(std::string_view value, std::size_t line);

// Sets up, once per process, what the run-time needs whatever runs first: the exit handler
// that stores the files and ends the console line, the standard streams in binary mode,
// broken pipes ignored (a console whose reader has gone loses its bytes but does not end
// the run), and the ALLOCATE report when memory runs out.
void ensure_process_handlers();

}  // namespace polylsq::recio::detail
