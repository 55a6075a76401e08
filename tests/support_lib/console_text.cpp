// Expected console and standard-error texts.
#include "support_lib/console_text.h"

namespace polylsq::testing {

std::string console_view(const std::vector<std::string>& records, bool stopped, bool line_pending) {
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

std::string runtime_report(char kind, int number, std::string_view label, std::string_view message) {
  return "\r\nrun-time error " + std::string(1, kind) + std::to_string(number) + ": " + std::string(label) +
         "\r\n- " + std::string(message) + "\r\n";
}

}  // namespace polylsq::testing
