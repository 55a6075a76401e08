// Expected texts built from their parts: handler records as the console shows them, and
// the run-time's error reports as standard error receives them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace polylsq::testing {

// The console bytes of a sequence of handler records. Every record here begins with a
// blank (or is empty), which the console takes as "new line unless this is the first
// output of the run" and does not show; `line_pending` says that output came before.
// A stop adds the owed line end and "Stop - Program terminated.".
std::string console_view(const std::vector<std::string>& records, bool stopped,
                         bool line_pending = false);

// "\r\nrun-time error F6201: READ(B2F.txt)\r\n- end of file encountered\r\n" for kind 'F',
// number 6201, that label and that message ('M' and "MATH" for the math reports).
std::string runtime_report(char kind, int number, std::string_view label, std::string_view message);

}  // namespace polylsq::testing
