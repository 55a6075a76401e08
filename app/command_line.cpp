// The command line, through CLI11. A parse error becomes one line on standard error plus a
// pointer to --help, and exit status 2, whatever CLI11's own error code.
#include "app/command_line.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <filesystem>
#include <iostream>
#include <string_view>
#include <system_error>

#include "accurate/fit_limits.h"
#include "app/command_status.h"
#include "app/output_target.h"
#include "app/utf8_path.h"

#ifndef POLYLSQ_VERSION
#error "POLYLSQ_VERSION must name the version of the project"
#endif

namespace polylsq::app {
namespace {

constexpr const char* kDescription =
    "Fits a polynomial to (x, y) observations by least squares.\n"
    "Without a subcommand: the established console program. It fits a polynomial of degree\n"
    "0 to 5 in single precision to the observations of a data file, writes the six\n"
    "coefficients and R-squared to a result file, shows them on the console and waits for\n"
    "the Enter key. Its files and console output do not change.";

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
    "  3  a TERMINAL or FATAL message stopped the run; the result file was not written\n"
    "  4  (check) a legacy figure or the printed curve that the accurate fit contradicts";

const std::string kDegreeRange = "0 to " + std::to_string(accurate::kMaxDegree);

const std::string kFitDescription = "The accurate fit (degree " + kDegreeRange +
                                    ", double precision and beyond) with standard errors,\n"
                                    "t and p values and the analysis of variance";

constexpr const char* kFitFooter =
    "FILE is a data file (a degree line and a count line, then the pairs) or plain columns\n"
    "(x y a line; blanks, tabs, a comma or a semicolon between them; '#' starts a comment; a\n"
    "first line of column names is skipped; with semicolons a decimal comma is accepted).\n"
    "'-' reads standard input. Writes no file unless asked and never pauses.\n"
    "\n"
    "Outputs (--plot, --residuals) are never the data file or each other; an existing file\n"
    "is replaced only when it is empty or polylsq wrote it (--force: any other file too). A\n"
    "device or a pipe is written through; a link's target is replaced.\n"
    "\n"
    "Exit status: 0 a fit (warnings allowed); 1 unreadable or bad data, a fit that cannot\n"
    "be made, an output or standard output that cannot be written; 2 a command-line error\n"
    "or a refused output (nothing read or written).";

constexpr const char* kCheckDescription =
    "The legacy computation and the accurate one side by side: which printed figures are wrong";

constexpr const char* kCheckFooter =
    "Shows the seven figures of the result file (B(1) to B(6), R-squared) as the legacy run\n"
    "prints them, the accurate value printed the same way and in full, and marks each legacy\n"
    "figure that the accurate fit contradicts; then compares the polynomial of the printed\n"
    "coefficients with the accurate fit over the data's x range. Writes no result file and\n"
    "never pauses. '-' reads standard input. --plot follows the output rules of\n"
    "'polylsq fit --help'.\n"
    "\n"
    "Exit status: 0 nothing marked; 4 a figure or the printed curve marked; 1 and 3 as for\n"
    "the legacy run (a run-time report, a TERMINAL or FATAL message), 1 also for a picture\n"
    "or standard output that cannot be written; 2 a command-line error or a refused output.";

// The items of a comma-separated list, empty ones included: "1,,2" -> "1", "", "2".
std::vector<std::string> items_of(const std::string& list) {
  std::vector<std::string> items;
  std::size_t start = 0;
  for (std::size_t comma = list.find(','); comma != std::string::npos; comma = list.find(',', start)) {
    items.push_back(list.substr(start, comma - start));
    start = comma + 1;
  }
  items.push_back(list.substr(start));
  return items;
}

// "1,2.5,-3": finite numbers separated by commas, none empty.
const CLI::Validator kNumberList(
    [](std::string& text) -> std::string {
      for (const std::string& item : items_of(text)) {
        double value = 0.0;
        if (item.empty()) return "\"" + text + "\" has an empty item";
        if (!CLI::detail::lexical_cast(item, value) || !std::isfinite(value)) {
          return "\"" + item + "\" is not a finite number";
        }
      }
      return {};
    },
    "X[,X...]");
// A level whose interval has a finite quantile: 0 < level and (1 + level) / 2 < 1 in
// double precision.
const CLI::Validator kLevel(
    [](std::string& text) -> std::string {
      double value = 0.0;
      if (!CLI::detail::lexical_cast(text, value) || !(value > 0.0 && value < 1.0)) {
        return "\"" + text + "\" is not a number between 0 and 1";
      }
      if (!((1.0 + value) / 2.0 < 1.0)) {
        return "\"" + text + "\" is too close to 1: its interval cannot be computed in double precision";
      }
      return {};
    },
    "(0,1)");
const CLI::Validator kFileName(
    [](std::string& text) -> std::string { return text.empty() ? "the file name is empty" : ""; }, "FILE");

// The numbers of --at lists that kNumberList has accepted, in order.
std::vector<double> numbers_of(const std::vector<std::string>& lists) {
  std::vector<double> numbers;
  for (const std::string& list : lists) {
    for (const std::string& item : items_of(list)) {
      double value = 0.0;
      CLI::detail::lexical_cast(item, value);
      numbers.push_back(value);
    }
  }
  return numbers;
}

bool names_no_file(const std::string& path) {
  std::error_code ignored;
  return !std::filesystem::exists(utf8_path(path), ignored);
}

// A file named on the command line that does not exist: one line and the pointer to the
// help of `command`. "-" (standard input) counts as existing where `dash_is_input`.
bool report_missing(const std::string& path, std::string_view command, bool dash_is_input = false) {
  if ((dash_is_input && path == "-") || !names_no_file(path)) return false;
  usage_error(path + ": no such file", command);
  return true;
}

// The options of each command as CLI11 fills them, with what the checks after the parse
// need.
struct LegacyOptions {
  LegacyRun run;
  bool no_pause = false;
  CLI::Option* data = nullptr;
};
struct FitOptions {
  FitRun run;
  std::vector<std::string> at_lists;
  CLI::App* command = nullptr;
  CLI::Option* level = nullptr;
};
struct CheckOptions {
  CheckRun run;
  CLI::App* command = nullptr;
};

void add_legacy_options(CLI::App& cli, LegacyOptions& options) {
  cli.footer(kFooter);
  cli.add_flag("--no-pause", options.no_pause,
               "Show the closing lines but read no line from standard input at the end")
      ->disable_flag_override();  // a flag takes no value: "--no-pause=no" is an error
  options.data = cli.add_option("DATA", options.run.data_file, "Data file (default B2F.txt)");
  cli.add_option("RESULT", options.run.result_file, "Result file (default F2B.txt)");
}

void add_fit_command(CLI::App& cli, FitOptions& options, const std::string& version) {
  FitRun& fit = options.run;
  CLI::App* command = options.command = cli.add_subcommand("fit", kFitDescription);
  command->footer(kFitFooter);
  command->set_version_flag("--version", version, "Show the version and exit");
  command->add_option("--degree", fit.degree,
                      "Degree of the polynomial, " + kDegreeRange +
                          " (required for plain columns; overrides a data file's degree)")
      ->check(CLI::Range(0, accurate::kMaxDegree));
  command->add_flag("--json", fit.json, "One JSON object on standard output")->disable_flag_override();
  command->add_flag("--weights", fit.weights, "A third column holds each observation's weight (plain columns only)")
      ->disable_flag_override();
  command->add_option("--at", options.at_lists,
                      "Predict at these x (X[,X...]): fitted value, standard error, "
                      "confidence and prediction intervals")
      ->allow_extra_args(false)  // "--at 1 data.txt": the file is no x value
      ->check(kNumberList);
  options.level = command->add_option("--level", fit.level,
                                      "Confidence level of the intervals of --at and --band, between 0 and 1 "
                                      "(default 0.95)")
                      ->check(kLevel);
  CLI::Option* plot = command->add_option("--plot", fit.plot_file, "Also draw the fit into this SVG file")
                          ->check(kFileName);
  command->add_flag("--band", fit.band, "Shade the confidence band in the picture")
      ->disable_flag_override()
      ->needs(plot);
  command->add_option("--residuals", fit.residuals_file,
                      "Write x, y, fitted value and residual (and weight) of every "
                      "observation to this CSV file")
      ->check(kFileName);
  command->add_flag("--force", fit.force, "Replace an existing file that polylsq did not write (never the data file)")
      ->disable_flag_override();
  command->add_option("FILE", fit.data_file, "Data file or columns (default B2F.txt; - for standard input)");
}

void add_check_command(CLI::App& cli, CheckOptions& options, const std::string& version) {
  CheckRun& check = options.run;
  CLI::App* command = options.command = cli.add_subcommand("check", kCheckDescription);
  command->footer(kCheckFooter);
  command->set_version_flag("--version", version, "Show the version and exit");
  command->add_flag("--json", check.json, "One JSON object on standard output")->disable_flag_override();
  command->add_option("--plot", check.plot_file, "Also draw both fits into this SVG file")->check(kFileName);
  command->add_flag("--force", check.force,
                    "Replace an existing file that polylsq did not write (never the data file)")
      ->disable_flag_override();
  command->add_option("DATA", check.data_file, "Data file (default B2F.txt; - for standard input)");
}

// The checks that need the whole command line or the files, after the parse.
ParsedCommandLine fit_command_of(FitOptions options) {
  FitRun& fit = options.run;
  fit.at = numbers_of(options.at_lists);
  if (options.level->count() > 0 && fit.at.empty() && !fit.band) {
    return {std::nullopt, usage_error("--level: only --at and --band use a level", "fit")};
  }
  if (report_missing(fit.data_file, "fit", true)) return {std::nullopt, kExitUsage};
  return {fit, kExitResults};
}

ParsedCommandLine check_command_of(const CheckOptions& options) {
  if (report_missing(options.run.data_file, "check", true)) return {std::nullopt, kExitUsage};
  return {options.run, kExitResults};
}

ParsedCommandLine legacy_command_of(LegacyOptions options) {
  LegacyRun& run = options.run;
  // Only the default data file keeps the old behaviour of being created empty: a named
  // one that does not exist is a typo, and must leave nothing behind.
  if (options.data->count() > 0 && report_missing(run.data_file, "")) return {std::nullopt, kExitUsage};
  // The result would replace the data before the run has read them.
  if (same_file(run.data_file, run.result_file)) {
    return {std::nullopt, usage_error(run.data_file + " and " + run.result_file + " are the same file", "")};
  }
  run.pause = !options.no_pause;
  return {run, kExitResults};
}

}  // namespace

ParsedCommandLine parse_command_line(int argc, const char* const* argv) {
  CLI::App cli(kDescription, "polylsq");
  const std::string version = std::string("polylsq ") + POLYLSQ_VERSION;
  cli.set_version_flag("--version", version, "Show the version and exit");
  cli.set_help_flag("-h,--help", "Show this help and exit");
  std::string failed_command;  // the subcommand being parsed when the parse failed
  cli.failure_message([&failed_command](const CLI::App*, const CLI::Error& error) {
    return std::string("polylsq: ") + error.what() + "\n" + help_pointer(failed_command) + "\n";
  });
  cli.require_subcommand(0, 1);
  LegacyOptions legacy;
  FitOptions fit;
  CheckOptions check;
  add_legacy_options(cli, legacy);
  add_fit_command(cli, fit, version);
  add_check_command(cli, check, version);

  try {
    cli.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return {std::nullopt, cli.exit(help)};
  } catch (const CLI::CallForVersion& version_shown) {
    return {std::nullopt, cli.exit(version_shown)};
  } catch (const CLI::ParseError& error) {
    if (fit.command->parsed()) failed_command = "fit";
    if (check.command->parsed()) failed_command = "check";
    cli.exit(error);
    return {std::nullopt, kExitUsage};
  }
  if (fit.command->parsed()) return fit_command_of(std::move(fit));
  if (check.command->parsed()) return check_command_of(check);
  return legacy_command_of(std::move(legacy));
}

}  // namespace polylsq::app
