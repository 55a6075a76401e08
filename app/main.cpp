// polylsq: least-squares polynomial fits. Without a subcommand, the legacy run on "B2F.txt";
// `polylsq fit` and `polylsq check` for the accurate fit.
#include <string>
#include <variant>
#include <vector>

#include "app/check_command.h"
#include "app/command_line.h"
#include "app/fit_command.h"
#include "app/program.h"
#include "recio/platform.h"

namespace {

struct RunCommand {
  int operator()(const polylsq::app::LegacyRun& run) const { polylsq::app::run_program(run); }
  int operator()(const polylsq::app::FitRun& run) const { return polylsq::app::run_fit(run); }
  int operator()(const polylsq::app::CheckRun& run) const { return polylsq::app::run_check(run); }
};

}  // namespace

int main(int argc, char** argv) {
  polylsq::recio::platform::use_binary_standard_streams();
  const std::vector<std::string> arguments = polylsq::recio::platform::utf8_arguments(argc, argv);
  std::vector<const char*> utf8_argv;
  for (const std::string& argument : arguments) utf8_argv.push_back(argument.c_str());
  const polylsq::app::ParsedCommandLine parsed =
      polylsq::app::parse_command_line(static_cast<int>(utf8_argv.size()), utf8_argv.data());
  if (!parsed.command) return parsed.exit_status;
  return std::visit(RunCommand{}, *parsed.command);
}
