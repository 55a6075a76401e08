// The command line, through CLI11. A parse error becomes one line on standard error plus a
// pointer to --help, and exit status 2, whatever CLI11's own error code.
#include "app/command_line.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>
#include <system_error>

#include "recio/exit_status.h"

#ifndef POLYLSQ_VERSION
#error "POLYLSQ_VERSION must name the version of the project"
#endif

namespace polylsq::app {
namespace {

constexpr const char* kDescription =
    "Fits a polynomial of degree 0 to 5 to the (x, y) observations of a data file by least\n"
    "squares, writes the six coefficients and R-squared to a result file, shows them on the\n"
    "console and waits for the Enter key.";

constexpr const char* kFooter =
    "Files:\n"
    "  DATA    the data file (default B2F.txt): the degree, the number of observations,\n"
    "          then one x y pair a line\n"
    "  RESULT  the result file (default F2B.txt): B(1) to B(6) and R-squared, seven lines\n"
    "\n"
    "Exit status:\n"
    "  0  results written (warnings allowed)\n"
    "  1  a run-time error report (a file that cannot be read or written, bad data,\n"
    "     arithmetic beyond the single-precision range)\n"
    "  2  the command line is wrong; nothing was read or written\n"
    "  3  a TERMINAL or FATAL message stopped the run; the result file was not written";

// "polylsq: <what is wrong>" and where to look, for every parse error.
std::string failure_text(const CLI::App*, const CLI::Error& error) {
  return std::string("polylsq: ") + error.what() + "\nRun 'polylsq --help' for usage.\n";
}

bool names_no_file(const std::string& path) {
  std::error_code ignored;
  return !std::filesystem::exists(path, ignored);
}

}  // namespace

ParsedCommandLine parse_command_line(int argc, const char* const* argv) {
  CLI::App cli(kDescription, "polylsq");
  cli.footer(kFooter);
  cli.set_version_flag("--version", std::string("polylsq ") + POLYLSQ_VERSION,
                       "Show the version and exit");
  cli.set_help_flag("-h,--help", "Show this help and exit");
  cli.failure_message(failure_text);

  LegacyRun run;
  bool no_pause = false;
  cli.add_flag("--no-pause", no_pause,
               "Show the closing lines but read no line from standard input at the end")
      ->disable_flag_override();  // a flag takes no value: "--no-pause=no" is an error
  CLI::Option* data = cli.add_option("DATA", run.data_file, "Data file (default B2F.txt)");
  cli.add_option("RESULT", run.result_file, "Result file (default F2B.txt)");

  ParsedCommandLine parsed;
  try {
    cli.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    parsed.exit_status = cli.exit(help);
    return parsed;
  } catch (const CLI::CallForVersion& version) {
    parsed.exit_status = cli.exit(version);
    return parsed;
  } catch (const CLI::ParseError& error) {
    cli.exit(error);
    parsed.exit_status = kExitUsage;
    return parsed;
  }
  // Only the default data file keeps the old behaviour of being created empty: a named
  // one that does not exist is a typo, and must leave nothing behind.
  if (data->count() > 0 && names_no_file(run.data_file)) {
    std::cerr << "polylsq: " << run.data_file << ": no such file\n"
              << "Run 'polylsq --help' for usage.\n";
    parsed.exit_status = kExitUsage;
    return parsed;
  }
  run.pause = !no_pause;
  parsed.command = run;
  return parsed;
}

}  // namespace polylsq::app
