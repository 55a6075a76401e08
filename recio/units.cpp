// The unit table, the files connected to it, and the statements on units.
#include "recio/units.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "recio/console.h"
#include "recio/io.h"
#include "recio/list_input.h"
#include "recio/platform.h"
#include "recio/run_end.h"
#include "recio/testing.h"
#include "text/line_ends.h"

namespace polylsq::recio {
namespace {

using detail::IoError;
using detail::Statement;

constexpr int kMaxFileUnits = 61;

struct FileUnit {
  int number = 0;
  std::string name;
  platform::FileHandle file = platform::kNoFile;  // none for a unit on given contents
  bool created = false;  // the open created the file: a failed store removes it
  bool loaded = false;   // `data` (or `given`) holds the file's bytes
  std::string data;
  std::optional<std::string_view> given;  // contents read by the caller, not owned
  std::size_t next = 0;  // offset in `data` of the next record to read
  std::size_t records_read = 0;  // records taken so far: the number of the last line read
  text::LineEndSearch line_ends;  // over `data`, from `next` on
  bool written = false;  // records were written: the file is rewritten at close
  std::string out;       // records written, "\r\n" after each

  std::string_view contents() const { return given ? *given : std::string_view(data); }
};

std::vector<FileUnit>& files() {
  detail::ensure_process_handlers();
  static auto* const table = new std::vector<FileUnit>;  // never destroyed: used at exit
  return *table;
}

FileUnit* find_file(int unit) {
  for (FileUnit& f : files()) {
    if (f.number == unit) return &f;
  }
  return nullptr;
}

// Stores a written file: its records after what was read before them, the file cut
// after the last record. False when the bytes could not be stored.
bool store_file(FileUnit& f) {
  if (f.file == platform::kNoFile) return false;
  std::string content;
  if (f.loaded) content.assign(f.contents().substr(0, f.next));
  content += f.out;
  return platform::rewrite_unit_file(f.file, f.name, content);
}

// Disconnects a file unit; with `store`, its written records are stored first. A failure
// is reported after the unit is gone, so that the end of the process does not meet it again;
// a file that the unit's open created and that could not be stored is removed.
void disconnect(std::size_t index, bool store) {
  std::vector<FileUnit>& table = files();
  FileUnit f = std::move(table[index]);
  table.erase(table.begin() + static_cast<std::ptrdiff_t>(index));
  const bool stored = !store || !f.written || store_file(f);
  const bool closed = f.file == platform::kNoFile || platform::close_unit_file(f.file);
  if (!stored && f.created) platform::remove_file(f.name);
  if (!stored) {
    detail::fail_io_on_file(IoError::kWriteFailed, Statement::kWrite, f.name);
  } else if (!closed && store) {
    detail::fail_io_on_file(IoError::kCloseFailed, Statement::kClose, f.name);
  }
}

// Records of a file unit, loaded on the first read.
class FileRecords final : public text::RecordSource {
 public:
  explicit FileRecords(FileUnit& f) : f_(f) {}
  bool next_record(std::string_view& record) override {
    const std::string_view data = f_.contents();
    if (f_.next >= data.size()) return false;
    const std::size_t end = f_.line_ends.next_end(data, f_.next);
    record = data.substr(f_.next, end - f_.next);
    f_.next = end + text::line_end_length(data.data() + end, data.data() + data.size(), true);
    ++f_.records_read;
    return true;
  }

 private:
  FileUnit& f_;
};

// Reads the whole file from its first byte; a pipe or device is read from where it is.
bool load_file(FileUnit& f) {
  f.loaded = true;
  f.records_read = 0;
  f.line_ends = text::LineEndSearch();
  return platform::read_unit_file(f.file, f.name, f.data);
}

}  // namespace

namespace detail {

void check_output_unit(int unit) {
  if (find_file(unit) != nullptr || is_console_number(unit)) return;
  fail_io(unit < 0 ? IoError::kBadUnitNumber : IoError::kUnitNotConnected, Statement::kWrite, unit);
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

std::string_view file_name_of(int unit) {
  const FileUnit* f = find_file(unit);
  return f == nullptr ? std::string_view() : std::string_view(f->name);
}

void close_all_units(bool store) {
  end_console_line();
  std::vector<FileUnit>& table = files();
  while (!table.empty()) disconnect(table.size() - 1, store);
}

}  // namespace detail

void reset_runtime_for_tests() {
  for (FileUnit& f : files()) {
    if (f.file != platform::kNoFile) platform::close_unit_file(f.file);
  }
  files().clear();
  detail::reset_console();
  set_stop_hook(nullptr);
  set_failure_hook(nullptr);
}

void open_unit(int unit, std::string_view name) {
  if (unit < 0) detail::fail_io(IoError::kBadUnitNumber, Statement::kOpen, unit);
  if (find_file(unit) != nullptr) close_unit(unit);
  if (files().size() >= kMaxFileUnits) {
    detail::fail_io_on_file(IoError::kTooManyUnits, Statement::kOpen, name);
  }
  const std::string path(name);
  bool created = false;
  const platform::FileHandle file = platform::open_unit_file(path, &created);
  if (file == platform::kNoFile) detail::fail_io_on_file(IoError::kOpenFailed, Statement::kOpen, name);
  FileUnit& f = files().emplace_back();
  f.number = unit;
  f.name = path;
  f.file = file;
  f.created = created;
}

void open_unit_on_contents(int unit, std::string_view name, std::string_view contents) {
  if (unit < 0) detail::fail_io(IoError::kBadUnitNumber, Statement::kOpen, unit);
  if (find_file(unit) != nullptr) close_unit(unit);
  if (files().size() >= kMaxFileUnits) {
    detail::fail_io_on_file(IoError::kTooManyUnits, Statement::kOpen, name);
  }
  FileUnit& f = files().emplace_back();
  f.number = unit;
  f.name = std::string(name);
  f.loaded = true;
  f.given = contents;
}

void close_unit(int unit) {
  std::vector<FileUnit>& table = files();
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].number == unit) {
      disconnect(i, true);
      return;
    }
  }
  // closing a console unit or an unconnected number does nothing
}

void read_list(int unit, std::initializer_list<InItem> items) {
  if (FileUnit* f = find_file(unit)) {
    if (!f->loaded && !load_file(*f)) detail::fail_io(IoError::kReadFailed, Statement::kRead, unit);
    FileRecords records(*f);
    if (const auto failure = detail::read_list_items(records, items)) {
      detail::fail_io_on_file(failure->error, Statement::kRead, f->name,
                              detail::read_location(failure->value, f->records_read));
    }
  } else if (detail::is_console_number(unit)) {
    if (const auto failure = detail::read_console(items)) {
      detail::fail_io(failure->error, Statement::kRead, unit);
    }
  } else {
    detail::fail_io(unit < 0 ? IoError::kBadUnitNumber : IoError::kUnitNotConnected,
                    Statement::kRead, unit);
  }
}

void write_list(int unit, std::initializer_list<std::string_view> items) {
  constexpr std::size_t kRecordLength = 79;
  detail::check_output_unit(unit);
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
  detail::check_output_unit(unit);
  detail::put_record(unit, text);
}

}  // namespace polylsq::recio
