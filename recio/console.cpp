// The console connection: carriage control on standard output, lines of standard input.
#include "recio/console.h"

#include <string>
#include <utility>

#include "recio/platform.h"
#include "recio/run_end.h"
#include "recio/testing.h"

namespace polylsq::recio::detail {

volatile std::sig_atomic_t g_console_line_owed = 0;

namespace {

// Bytes of standard input not yet taken as records.
struct ConsoleInput {
  std::string buffer;
  std::size_t next = 0;
  bool at_eof = false;
};

struct Console {
  ConsoleInput input;
  ConsoleSink sink;
};

Console& console() {
  ensure_process_handlers();
  static Console* const state = new Console;  // never destroyed: the exit handler uses it
  return *state;
}

// Appends the next bytes of standard input; false (and at_eof) at its end or on an error.
bool read_more(ConsoleInput& in) {
  char chunk[4096];
  const std::size_t n = platform::read_standard_input(chunk, sizeof chunk);
  if (n == 0) {
    in.at_eof = true;
    return false;
  }
  in.buffer.append(chunk, n);
  return true;
}

// Lines of standard input; a last line without its end is a record.
class ConsoleRecords final : public text::RecordSource {
 public:
  bool next_record(std::string_view& record) override {
    ConsoleInput& in = console().input;
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
};

// The pause: one line read and discarded as it comes, so that a line of any length costs
// no memory. End of standard input counts as the Enter key.
void skip_console_line() {
  ConsoleInput& in = console().input;
  in.buffer.erase(0, in.next);
  std::size_t end = in.buffer.find('\n');
  while (end == std::string::npos && !in.at_eof) {
    in.buffer.clear();
    if (!read_more(in)) break;
    end = in.buffer.find('\n');
  }
  in.next = end == std::string::npos ? in.buffer.size() : end + 1;
}

}  // namespace

bool is_console_number(int unit) { return unit == kStarUnit || unit == 0 || unit == 5 || unit == 6; }

void console_bytes(std::string_view bytes) {
  Console& c = console();
  if (c.sink) {
    c.sink(bytes);
  } else {
    // a console whose reader has gone drops its bytes
    platform::write_all(platform::OutputStream::kStandardOutput, bytes);
  }
}

void console_record(std::string_view record) {
  const char control = record.empty() ? ' ' : record[0];
  const bool owed = g_console_line_owed != 0;
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
  g_console_line_owed = 1;
  console_bytes(bytes);
}

std::optional<ReadFailure> read_console(std::initializer_list<InItem> items) {
  end_console_line();
  if (items.size() == 0) {
    skip_console_line();
    return std::nullopt;
  }
  ConsoleRecords records;
  return read_list_items(records, items);
}

void reset_console() {
  Console& c = console();
  c.input = ConsoleInput{};
  c.sink = nullptr;
  g_console_line_owed = 0;
}

}  // namespace polylsq::recio::detail

namespace polylsq::recio {

void set_console_sink(ConsoleSink sink) { detail::console().sink = std::move(sink); }

void end_console_line() {
  if (detail::g_console_line_owed) {
    detail::g_console_line_owed = 0;
    detail::console_bytes("\r\n");
  }
}

}  // namespace polylsq::recio
