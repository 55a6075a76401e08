// What a sequence of handler records looks like on the console: every record here
// begins with a blank (or is empty), which the console takes as "new line unless this
// is the first output of the run" and does not show. A stop adds the owed line end and
// "Stop - Program terminated.".
#pragma once

#include <string>
#include <vector>

namespace polylsq::testing {

inline std::string console_view(const std::vector<std::string>& records, bool stopped,
                                bool line_pending = false) {
  std::string bytes;
  bool pending = line_pending;
  for (const std::string& record : records) {
    if (pending) bytes += "\r\n";
    if (!record.empty()) bytes += record.substr(1);
    pending = true;
  }
  if (stopped) {
    if (pending) bytes += "\r\n";
    bytes += "Stop - Program terminated.\r\n";
  }
  return bytes;
}

}  // namespace polylsq::testing
