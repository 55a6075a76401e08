// The console connection, shared by the default unit and units 0, 5 and 6 while they are
// not opened on a file: standard output written record by record with first-character
// carriage control and "\r\n" line ends, standard input read line by line.
//
// Carriage control, by the record's first character (not shown):
//   ' ' and any unlisted character: "\r\n" first when a line end is owed;
//   '0': "\r\n" (a blank line: "\r\n\r\n" when a line end is owed);
//   '+': "\r" (the next text overprints the line);  '1': "\r\n\f\r \r" (a new page).
// The line end owed by the last record is written before a console read, at the stop, at
// a run-time report and at the end of the process.
#pragma once

#include <csignal>
#include <initializer_list>
#include <optional>
#include <string_view>

#include "recio/io.h"
#include "recio/list_input.h"

namespace polylsq::recio::detail {

// Set while a record has been shown on the current console line and its line end is
// still owed. Read by the trap report, which runs in a signal handler.
extern volatile std::sig_atomic_t g_console_line_owed;

bool is_console_number(int unit);

// Bytes to standard output, as they are (or to a test's sink).
void console_bytes(std::string_view bytes);

// One output record, with its carriage control.
void console_record(std::string_view record);

// One list-directed read statement on standard input, after the owed line end; with no
// items, the pause: one line read and discarded as it comes (end of input counts as Enter).
std::optional<ReadFailure> read_console(std::initializer_list<InItem> items);

// Standard input's buffer emptied, no line end owed, the default sink: for a fresh
// run-time between tests.
void reset_console();

}  // namespace polylsq::recio::detail
