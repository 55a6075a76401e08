// The unit table, the console connection and the statements on units: open, close,
// list-directed read and write, single records, the stop and the run-time's reports.
//
// A file's bytes are loaded once, on its first read, and scanned in memory. Records
// written to a file are collected in memory and stored in one go when the unit is closed
// (at close_unit, at the stop, or at the end of the process). The console is written
// record by record through the sink, with first-character carriage control.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <new>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "recio/hooks.h"
#include "recio/io.h"
#include "recio/list_input.h"
#include "recio/runtime.h"
#include "recio/runtime_error.h"

namespace polylsq::recio {
namespace detail {

volatile std::sig_atomic_t g_console_line_owed = 0;

}  // namespace detail

namespace {

using detail::IoError;
using detail::Statement;

constexpr int kMaxFileUnits = 61;
constexpr std::string_view kConsoleName = "CON";
constexpr std::string_view kStopText = "Stop - Program terminated.";

struct FileUnit {
  int number = 0;
  std::string name;
  int fd = -1;
  bool loaded = false;   // `data` holds the file's bytes
  std::string data;
  std::size_t next = 0;  // offset in `data` of the next record to read
  std::size_t records_read = 0;  // records taken so far: the number of the last line read
  // First '\n' and first '\r' at or after an earlier `next` (data.size(): none; npos: not
  // searched yet), so that reading record by record searches the bytes once.
  std::size_t next_lf = std::string::npos;
  std::size_t next_cr = std::string::npos;
  bool written = false;  // records were written: the file is rewritten at close
  std::string out;       // records written, "\r\n" after each
};

// Bytes of standard input not yet taken as records.
struct ConsoleInput {
  std::string buffer;
  std::size_t next = 0;
  bool at_eof = false;
};

struct Runtime {
  std::vector<FileUnit> files;
  ConsoleInput input;
  ConsoleSink sink;
  StopHook stop_hook;
  FailureHook failure_hook;
};

void at_process_exit();
void on_out_of_memory();

Runtime& runtime() {
  static Runtime* state = [] {
    std::atexit(at_process_exit);
    // A console whose reader has gone must not end the run by a signal: its writes fail
    // and are dropped, the files are still stored and the run ends as designed.
    ::signal(SIGPIPE, SIG_IGN);
    std::set_new_handler(on_out_of_memory);
    return new Runtime;  // never destroyed: used at exit
  }();
  return *state;
}

bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

void close_all_units(bool store);

// The end of the process without a stop: the owed line end and the files' records.
void at_process_exit() { close_all_units(true); }

void console_bytes(std::string_view bytes) {
  Runtime& rt = runtime();
  if (rt.sink) {
    rt.sink(bytes);
  } else {
    write_all(STDOUT_FILENO, bytes);
  }
}

// The owed line end, before a console read, at a stop and at the end of the process.
void end_console_line() {
  if (detail::g_console_line_owed) {
    detail::g_console_line_owed = 0;
    console_bytes("\r\n");
  }
}

// One console record: the advance selected by its first character, then the rest.
void console_record(std::string_view record) {
  const char control = record.empty() ? ' ' : record[0];
  const bool owed = detail::g_console_line_owed != 0;
  std::string bytes;
  bytes.reserve(record.size() + 8);
  switch (control) {
    case '0':
      bytes = owed ? "\r\n\r\n" : "\r\n";  // one blank line
      break;
    case '+':
      bytes = "\r";  // overprint the current line
      break;
    case '1':
      bytes = "\r\n\f\r \r";  // new page
      break;
    default:
      if (owed) bytes = "\r\n";  // blank and unlisted characters: a new line
      break;
  }
  if (!record.empty()) bytes.append(record.substr(1));
  detail::g_console_line_owed = 1;
  console_bytes(bytes);
}

bool is_console_number(int unit) { return unit == kStarUnit || unit == 0 || unit == 5 || unit == 6; }

FileUnit* find_file(int unit) {
  for (FileUnit& f : runtime().files) {
    if (f.number == unit) return &f;
  }
  return nullptr;
}

// Stores a written file: its records after what was read before them, the file cut
// after the last record. False when the bytes could not be stored.
bool store_file(FileUnit& f) {
  std::string content;
  if (f.loaded) content.assign(f.data, 0, f.next);
  content += f.out;
  struct stat info {};
  const bool regular = ::fstat(f.fd, &info) == 0 && S_ISREG(info.st_mode);
  if (regular && ::lseek(f.fd, 0, SEEK_SET) != 0) return false;
  if (!write_all(f.fd, content)) return false;
  if (regular && ::ftruncate(f.fd, static_cast<off_t>(content.size())) != 0) return false;
  return true;
}

// Disconnects a file unit; with `store`, its written records are stored first. A failure
// is reported after the unit is gone, so that the end of the process does not meet it again.
void disconnect(std::size_t index, bool store) {
  Runtime& rt = runtime();
  FileUnit f = std::move(rt.files[index]);
  rt.files.erase(rt.files.begin() + static_cast<std::ptrdiff_t>(index));
  const bool stored = !store || !f.written || store_file(f);
  const bool closed = ::close(f.fd) == 0;
  if (!stored) {
    detail::fail_io_on_file(IoError::kWriteFailed, Statement::kWrite, f.name);
  } else if (!closed && store) {
    detail::fail_io_on_file(IoError::kCloseFailed, Statement::kClose, f.name);
  }
}

void close_all_units(bool store) {
  end_console_line();
  auto& files = runtime().files;
  while (!files.empty()) disconnect(files.size() - 1, store);
}

// Position of the first `c` in `data` at or after `from` (data.size() when there is none).
// `found` remembers the last answer: still valid while it lies at or after `from`.
std::size_t first_at_or_after(const std::string& data, char c, std::size_t from, std::size_t& found) {
  if (found == std::string::npos || found < from) {
    const void* at = std::memchr(data.data() + from, c, data.size() - from);
    found = at == nullptr ? data.size() : static_cast<std::size_t>(static_cast<const char*>(at) - data.data());
  }
  return found;
}

// Records of a file unit, loaded on the first read.
class FileRecords final : public detail::RecordSource {
 public:
  explicit FileRecords(FileUnit& f) : f_(f) {}
  bool next_record(std::string_view& record) override {
    const std::string& data = f_.data;
    std::size_t i = f_.next;
    if (i >= data.size()) return false;
    const std::size_t start = i;
    i = std::min(first_at_or_after(data, '\n', start, f_.next_lf),
                 first_at_or_after(data, '\r', start, f_.next_cr));
    record = std::string_view(data).substr(start, i - start);
    if (i < data.size()) {
      if (data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n') ++i;  // "\r\n": one end
      ++i;
    }
    f_.next = i;
    ++f_.records_read;
    return true;
  }

 private:
  FileUnit& f_;
};

// Lines of standard input; a last line without its end is a record.
class ConsoleRecords final : public detail::RecordSource {
 public:
  bool next_record(std::string_view& record) override {
    ConsoleInput& in = runtime().input;
    if (in.next > 0) {
      in.buffer.erase(0, in.next);
      in.next = 0;
    }
    std::size_t end = in.buffer.find('\n');
    while (end == std::string::npos && !in.at_eof) {
      const std::size_t scanned = in.buffer.size();
      if (!read_more(in)) break;
      end = in.buffer.find('\n', scanned);  // only the new bytes: linear in the line's length
    }
    if (end == std::string::npos) {
      if (in.buffer.empty()) return false;
      end = in.buffer.size();
    }
    in.next = end < in.buffer.size() ? end + 1 : end;
    std::size_t length = end;
    if (length > 0 && in.buffer[length - 1] == '\r') --length;
    record = std::string_view(in.buffer).substr(0, length);
    return true;
  }

  // The pause: one line read and discarded as it comes, so that a line of any length
  // costs no memory. End of standard input counts as the Enter key.
  void skip_record() {
    ConsoleInput& in = runtime().input;
    in.buffer.erase(0, in.next);
    std::size_t end = in.buffer.find('\n');
    while (end == std::string::npos && !in.at_eof) {
      in.buffer.clear();
      if (!read_more(in)) break;
      end = in.buffer.find('\n');
    }
    in.next = end == std::string::npos ? in.buffer.size() : end + 1;
  }

 private:
  // Appends the next bytes of standard input; false (and at_eof) at its end or on an error.
  static bool read_more(ConsoleInput& in) {
    char chunk[4096];
    for (;;) {
      const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        in.at_eof = true;
        return false;
      }
      in.buffer.append(chunk, static_cast<std::size_t>(n));
      return true;
    }
  }
};

// Reads the whole file from its first byte; a pipe or device is read from where it is.
bool load_file(FileUnit& f) {
  f.loaded = true;
  f.records_read = 0;
  f.data.clear();
  f.next_lf = f.next_cr = std::string::npos;
  struct stat info {};
  if (::fstat(f.fd, &info) == 0 && S_ISREG(info.st_mode)) {
    f.data.reserve(static_cast<std::size_t>(info.st_size));
    if (::lseek(f.fd, 0, SEEK_SET) != 0) return false;
  }
  // A named pipe: the unit's read-write descriptor is itself a writer, so the pipe's end
  // would never come. Read through a descriptor that only reads (it opens at once: the
  // unit is a writer) and keep the unit's own writer until the first bytes have come,
  // since a pipe without writers reads as ended and one closed by every process loses
  // its bytes. Then the pipe ends when its other writers close.
  int own_writer = -1;
  if (S_ISFIFO(info.st_mode) && (::fcntl(f.fd, F_GETFL) & O_ACCMODE) == O_RDWR) {
    const int reader = ::open(f.name.c_str(), O_RDONLY | O_CLOEXEC);
    if (reader < 0) return false;
    own_writer = f.fd;
    f.fd = reader;
  }
  bool ok = true;
  char chunk[65536];
  for (;;) {
    const ssize_t n = ::read(f.fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    f.data.append(chunk, static_cast<std::size_t>(n));
    if (own_writer >= 0) {
      ::close(own_writer);
      own_writer = -1;
    }
  }
  if (own_writer >= 0) ::close(own_writer);
  return ok;
}

std::string report_text(char letter, int number, std::string_view label, std::string_view name,
                        std::string_view message, std::string_view location = {}) {
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

// Longest part of a failing value that the report quotes, in bytes.
constexpr std::size_t kQuotedValueLength = 40;

// Length of the valid UTF-8 sequence of two to four bytes at the start of `text`; 0 when
// there is none.
std::size_t utf8_sequence_length(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  const std::size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (length == 0 || text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 0;
  }
  return length;
}

// `text` between double quotes: printable ASCII and valid UTF-8 as they are; quotes and
// backslashes after a backslash; every other byte as \xNN.
std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (text[i] == '"' || text[i] == '\\') {
      out += '\\';
      out += text[i];
    } else if (byte >= 0x20 && byte < 0x7F) {
      out += text[i];
    } else if (const std::size_t length = byte >= 0x80 ? utf8_sequence_length(text.substr(i)) : 0) {
      out.append(text.substr(i, length));
      i += length - 1;
    } else {
      constexpr char kHex[] = "0123456789abcdef";
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    }
  }
  out += '"';
  return out;
}

// Where a failing read on a file stopped: `after line 5` for an end of file, `line 7:
// "3.O512"` for a value that cannot be read, quoted as written and cut after
// kQuotedValueLength bytes (never inside a UTF-8 sequence) with "..." after the quote.
std::string read_location(const detail::ReadFailure& failure, std::size_t line) {
  if (failure.error == IoError::kEndOfFile) return "after line " + std::to_string(line);
  std::string_view shown = failure.value.substr(0, kQuotedValueLength);
  if (shown.size() < failure.value.size()) {
    while (!shown.empty() &&
           (static_cast<unsigned char>(failure.value[shown.size()]) & 0xC0) == 0x80) {
      shown.remove_suffix(1);
    }
  }
  std::string text = "line " + std::to_string(line) + ": " + quoted(shown);
  if (shown.size() < failure.value.size()) text += "...";
  return text;
}

void fail_with(std::string_view report) {
  end_console_line();
  const FailureHook& hook = runtime().failure_hook;
  if (hook) {
    hook(report);
    return;
  }
  write_all(STDERR_FILENO, report);
  ::_exit(kExitRuntimeError);  // files not yet stored stay as they were
}

// A request for memory that cannot be met (a data file or observations beyond the memory
// of the process) ends the run with the ALLOCATE report instead of an uncaught exception.
// The report is a fixed text: nothing more is allocated on the way out.
void on_out_of_memory() {
  fail_with("\r\nrun-time error F6401: ALLOCATE\r\n- insufficient memory\r\n");
  ::_exit(kExitRuntimeError);  // a test's failure hook that returns: the request still cannot be met
}

}  // namespace

namespace detail {

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
  if (const FileUnit* f = find_file(unit)) {
    fail_io_on_file(error, statement, f->name);
  } else if (is_console_number(unit)) {
    fail_io_on_file(error, statement, kConsoleName);
  } else {
    fail_io_on_file(error, statement, std::to_string(unit));
  }
}

void fail_math(int number, std::string_view message) {
  fail_with(report_text('M', number, ": MATH", {}, message));
}

bool check_output_unit(int unit) {
  if (find_file(unit) != nullptr || is_console_number(unit)) return true;
  fail_io(unit < 0 ? IoError::kBadUnitNumber : IoError::kUnitNotConnected, Statement::kWrite,
          unit);
  return false;
}

void put_record(int unit, std::string_view record) {
  if (FileUnit* f = find_file(unit)) {
    f->written = true;
    f->out.append(record);
    f->out.append("\r\n");
  } else {
    console_record(record);
  }
}

}  // namespace detail

void set_console_sink(ConsoleSink sink) { runtime().sink = std::move(sink); }
void set_stop_hook(StopHook hook) { runtime().stop_hook = std::move(hook); }
void set_failure_hook(FailureHook hook) { runtime().failure_hook = std::move(hook); }

void reset_runtime_for_tests() {
  Runtime& rt = runtime();
  for (FileUnit& f : rt.files) ::close(f.fd);
  rt.files.clear();
  rt.input = ConsoleInput{};
  detail::g_console_line_owed = 0;
  rt.sink = nullptr;
  rt.stop_hook = nullptr;
  rt.failure_hook = nullptr;
}

void open_unit(int unit, std::string_view name) {
  if (unit < 0) {
    detail::fail_io(IoError::kBadUnitNumber, Statement::kOpen, unit);
    return;
  }
  if (find_file(unit) != nullptr) close_unit(unit);
  Runtime& rt = runtime();
  if (rt.files.size() >= kMaxFileUnits) {
    detail::fail_io_on_file(IoError::kTooManyUnits, Statement::kOpen, name);
    return;
  }
  const std::string path(name);
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    detail::fail_io_on_file(IoError::kOpenFailed, Statement::kOpen, name);
    return;
  }
  FileUnit& f = rt.files.emplace_back();
  f.number = unit;
  f.name = path;
  f.fd = fd;
}

void close_unit(int unit) {
  auto& files = runtime().files;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (files[i].number == unit) {
      disconnect(i, true);
      return;
    }
  }
  // closing a console unit or an unconnected number does nothing
}

void read_list(int unit, std::initializer_list<InItem> items) {
  if (FileUnit* f = find_file(unit)) {
    if (!f->loaded && !load_file(*f)) {
      detail::fail_io(IoError::kReadFailed, Statement::kRead, unit);
      return;
    }
    FileRecords records(*f);
    if (const auto failure = detail::read_list_items(records, items)) {
      detail::fail_io_on_file(failure->error, Statement::kRead, f->name,
                              read_location(*failure, f->records_read));
    }
  } else if (is_console_number(unit)) {
    end_console_line();
    ConsoleRecords records;
    if (items.size() == 0) {
      records.skip_record();
    } else if (const auto failure = detail::read_list_items(records, items)) {
      detail::fail_io(failure->error, Statement::kRead, unit);
    }
  } else {
    detail::fail_io(unit < 0 ? IoError::kBadUnitNumber : IoError::kUnitNotConnected,
                    Statement::kRead, unit);
  }
}

void write_list(int unit, std::initializer_list<std::string_view> items) {
  constexpr std::size_t kRecordLength = 79;
  if (!detail::check_output_unit(unit)) return;
  std::string record = " ";
  for (std::string_view item : items) {
    if (record.size() + item.size() > kRecordLength && record.size() > 1) {
      detail::put_record(unit, record);  // the item goes on in a new record
      record = " ";
    }
    while (record.size() + item.size() > kRecordLength) {
      const std::size_t room = kRecordLength - record.size();
      record.append(item.substr(0, room));
      item.remove_prefix(room);
      detail::put_record(unit, record);
      record = " ";
    }
    record.append(item);
  }
  detail::put_record(unit, record);
}

void write_record(int unit, std::string_view text) {
  if (!detail::check_output_unit(unit)) return;
  detail::put_record(unit, text);
}

void stop(std::string_view text, int status) {
  end_console_line();
  std::string line(text.empty() ? kStopText : text);
  line += "\r\n";
  console_bytes(line);
  close_all_units(true);
  Runtime& rt = runtime();
  if (rt.stop_hook) {
    rt.stop_hook(status);
    return;
  }
  std::exit(status);
}

}  // namespace polylsq::recio
