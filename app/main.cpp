// polylsq: least-squares polynomial fits. Without a subcommand, the legacy run on "B2F.txt";
// `polylsq fit`, `polylsq check` and `polylsq degrees` for the accurate fit.
#include <cstdio>
#include <iostream>
#include <string>
#include <variant>
#include <vector>

#include "app/check_command.h"
#include "app/command_line.h"
#include "app/command_status.h"
#include "app/degrees_command.h"
#include "app/fit_command.h"
#include "app/program.h"
#include "recio/platform.h"

namespace {

struct RunCommand {
  int operator()(const polylsq::app::LegacyRun& run) const { polylsq::app::run_program(run); }
  int operator()(const polylsq::app::FitRun& run) const { return polylsq::app::run_fit(run); }
  int operator()(const polylsq::app::CheckRun& run) const { return polylsq::app::run_check(run); }
  int operator()(const polylsq::app::DegreesRun& run) const { return polylsq::app::run_degrees(run); }
};

// Standard output that could not be written (closed, full, a reader gone) fails every
// face but the legacy run, whose console is its own: one line on standard error and
// status 1 in place of `status`.
int checked_standard_output(int status) {
  std::cout.flush();
  if (!std::cout.fail() && std::ferror(stdout) == 0) return status;
  return polylsq::app::fail("standard output could not be written");
}

}  // namespace

int main(int argc, char** argv) {
  polylsq::recio::platform::reserve_standard_descriptors();
  polylsq::recio::platform::use_binary_standard_streams();
  const std::vector<std::string> arguments = polylsq::recio::platform::utf8_arguments(argc, argv);
  std::vector<const char*> utf8_argv;
  for (const std::string& argument : arguments) utf8_argv.push_back(argument.c_str());
  const polylsq::app::ParsedCommandLine parsed =
      polylsq::app::parse_command_line(static_cast<int>(utf8_argv.size()), utf8_argv.data());
  if (!parsed.command) return checked_standard_output(parsed.exit_status);
  return checked_standard_output(std::visit(RunCommand{}, *parsed.command));
}
