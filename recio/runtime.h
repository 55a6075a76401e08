// Internal interface between the parts of the run-time: the unit table and console,
// the formatted and list-directed statements, and the trap report.
#pragma once

#include <csignal>
#include <string_view>

namespace polylsq::recio::detail {

// Set while a record has been shown on the current console line and its line end is
// still owed. Read by the trap report, which runs in a signal handler.
extern volatile std::sig_atomic_t g_console_line_owed;

// True when `unit` can take an output record (a console unit or a connected file);
// otherwise the run-time's report has been made and the statement must end.
bool check_output_unit(int unit);

// Sends one output record to a unit accepted by check_output_unit: console records get
// carriage control, file records a "\r\n" end.
void put_record(int unit, std::string_view record);

}  // namespace polylsq::recio::detail

#include <string>

namespace polylsq::recio::detail {

// F editing with a scale factor k in effect: the value shown is value * 10^k, shifted
// exactly in its decimal digits. edit_F is the case k = 0.
std::string edit_F_scaled(float value, int w, int d, int k);

}  // namespace polylsq::recio::detail
