// The unit table: file units connected by name, their records, and where an output record
// goes. The statements of io.h on file units are built on these.
//
// A file's bytes are loaded once, on its first read, and scanned in memory; records end at
// "\r\n", a lone "\r" or a lone "\n", and a last line without its end is a record. Records
// written to a file are collected in memory and stored in one go when the unit is closed
// (at close_unit, at the stop, or at the end of the process), the file cut after them.
#pragma once

#include <string_view>

namespace polylsq::recio::detail {

// Ends the run with the run-time's report unless `unit` can take an output record (a
// console unit or a connected file).
void check_output_unit(int unit);

// Sends one output record to a unit accepted by check_output_unit: console records get
// carriage control, file records a "\r\n" end.
void put_record(int unit, std::string_view record);

// The name of the file connected to `unit`; empty when none is.
std::string_view file_name_of(int unit);

// Disconnects every file unit after the owed console line end; with `store`, the written
// records of each are stored first (a failure to store ends the run with its report, after
// the unit is gone).
void close_all_units(bool store);

}  // namespace polylsq::recio::detail
