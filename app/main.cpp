// polylsq: least-squares polynomial fits. Without arguments, the legacy run on "B2F.txt".
#include <variant>

#include "app/command_line.h"
#include "app/program.h"

int main(int argc, char** argv) {
  const polylsq::app::ParsedCommandLine parsed = polylsq::app::parse_command_line(argc, argv);
  if (!parsed.command) return parsed.exit_status;
  const auto& run = std::get<polylsq::app::LegacyRun>(*parsed.command);
  polylsq::app::run_program(run);
}
