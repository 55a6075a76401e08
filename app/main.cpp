// polylsq: least-squares polynomial fits. Without a subcommand, the legacy run on "B2F.txt";
// `polylsq fit` and `polylsq check` for the accurate fit.
#include <variant>

#include "app/check_command.h"
#include "app/command_line.h"
#include "app/fit_command.h"
#include "app/program.h"

namespace {

struct RunCommand {
  int operator()(const polylsq::app::LegacyRun& run) const { polylsq::app::run_program(run); }
  int operator()(const polylsq::app::FitRun& run) const { return polylsq::app::run_fit(run); }
  int operator()(const polylsq::app::CheckRun& run) const { return polylsq::app::run_check(run); }
};

}  // namespace

int main(int argc, char** argv) {
  const polylsq::app::ParsedCommandLine parsed = polylsq::app::parse_command_line(argc, argv);
  if (!parsed.command) return parsed.exit_status;
  return std::visit(RunCommand{}, *parsed.command);
}
