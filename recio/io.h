// Record input and output statements on numbered units.
//
// The console connection (standard output, standard input) is shared by the default
// unit kStarUnit and by units 0, 5 and 6 while they are not opened on a file. Console
// output applies first-character carriage control and ends lines with "\r\n"; files
// opened by name get no carriage control and "\r\n" record ends. At most 61 file units
// are connected at once. A failing statement ends the run with the run-time's report
// (run_end.h); nothing here returns an error code. The stop is in run_end.h.
#pragma once

#include <functional>
#include <initializer_list>
#include <string_view>
#include <variant>

namespace polylsq::recio {

constexpr int kStarUnit = -1;  // the default unit, written '*' in the statements

// An item of a formatted write: an integer or a single-precision real, by value, or a
// character item for the A descriptor (not owned: it must outlive the statement).
using OutItem = std::variant<int, float, std::string_view>;
// An item of a list-directed read: the address of an integer or of a real.
using InItem = std::variant<int*, float*>;

// Connects `unit` to the file `name` in the working directory with the default status:
// an existing file is connected unchanged, a missing one is created empty; read-write,
// else read-only, else write-only. Failure: the OPEN report.
void open_unit(int unit, std::string_view name);

// Connects `unit`, under the file name `name`, to `contents` that the caller has read from
// that file (to give the same bytes to another reader too; they must outlive the
// connection): reads take them as the file's. Nothing written to the unit is stored: its
// close reports the WRITE failure.
void open_unit_on_contents(int unit, std::string_view name, std::string_view contents);

// Ends the unit's last record and cuts the file after the last record written.
void close_unit(int unit);

// One list-directed read statement: starts at the next record of the unit, reads as many
// records as the items need, skips the rest of the last record read. With no items on
// the console: writes the owed line end, reads one line and discards it (end of
// standard input counts as the Enter key).
void read_list(int unit, std::initializer_list<InItem> items);

// One list-directed write of character items: records begin with a blank and hold at
// most 79 characters.
void write_list(int unit, std::initializer_list<std::string_view> items);

// One formatted write: `format` is a parenthesised list of edit descriptors (quoted
// literals, Iw, Fw.d, Ew.d, kP, A, "/", repeat counts and groups) interpreted at run time.
void write_formatted(int unit, std::string_view format, std::initializer_list<OutItem> items);

// Where the console connection's output bytes go, in order: standard output (write(2) on
// fd 1) unless a sink is set; nullptr restores standard output. `polylsq check --json`
// sends them to standard error and keeps a copy; tests capture them.
using ConsoleSink = std::function<void(std::string_view bytes)>;
void set_console_sink(ConsoleSink sink);

// Writes the line end that the last console record still owes, if any (the run-time does
// so itself before a console read, at the stop, at a report and at the end of the process).
void end_console_line();

// One formatted record holding `text` as written (the effect of format "(A)" with one
// character item): used by the error handler and the machine routines for their records.
void write_record(int unit, std::string_view text);

}  // namespace polylsq::recio
