// Failures of the commands, one line each on standard error.
#include "app/command_status.h"

#include <iostream>

namespace polylsq::app {

int fail(std::string_view message, int status) {
  std::cerr << "polylsq: " << message << "\n";
  return status;
}

std::string help_pointer(std::string_view command) {
  return "Run 'polylsq " + std::string(command) + (command.empty() ? "" : " ") + "--help' for usage.";
}

int usage_error(std::string_view message, std::string_view command) {
  return fail(std::string(message) + "\n" + help_pointer(command), kExitUsage);
}

}  // namespace polylsq::app
