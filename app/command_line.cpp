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
#include "app/degree_options.h"
#include "app/input_options.h"
#include "app/output_target.h"
#include "app/program.h"
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
    "(blanks, tabs, a comma or a semicolon between cells; '#' starts a comment; a first line\n"
    "of column names is a header; with semicolons a decimal comma is accepted; a delimiter\n"
    "at the end of every row adds no column). Without --x and --y, x and y are columns 1 and\n"
    "2. A row whose x or y is empty, NA, N/A, NaN or null (any case) is skipped with a\n"
    "warning. '-' reads standard input. Writes no file unless asked and never pauses.\n"
    "\n"
    "Outputs (--plot, --residuals, --predictions) are never an input or each other; an\n"
    "existing file is replaced only when it is empty or polylsq wrote it (--force: any other\n"
    "file too). A device or a pipe is written through; a link's target is replaced.\n"
    "\n"
    "Exit status: 0 a fit (warnings allowed); 1 unreadable or bad data, a column the file\n"
    "does not have, a fit that cannot be made, an output or standard output that cannot be\n"
    "written; 2 a command-line error or a refused output (nothing read or written).";

constexpr const char* kCheckDescription =
    "The legacy computation and the accurate one side by side: which printed figures are wrong";

constexpr const char* kCheckFooter =
    "Shows the seven figures of the result file (B(1) to B(6), R-squared) as the legacy run\n"
    "prints them, the accurate value printed the same way and in full, and marks each legacy\n"
    "figure that the accurate fit contradicts; then compares the polynomial of the printed\n"
    "coefficients with the accurate fit over the data's x range. Writes no result file and\n"
    "never pauses. '-' reads standard input.\n"
    "\n"
    "Without --degree, --x and --y, DATA is read as the legacy run reads its data file. With\n"
    "any of them it is read as 'polylsq fit' reads it, and the legacy computation takes each\n"
    "value of plain columns as the legacy reader would, rounded once to single precision.\n"
    "--plot follows the output rules of 'polylsq fit --help'.\n"
    "\n"
    "Exit status: 0 nothing marked; 4 a figure or the printed curve marked; 1 and 3 as for\n"
    "the legacy run (a run-time report, a TERMINAL or FATAL message), 1 also for data the\n"
    "accurate side cannot read or fit, a picture or standard output that cannot be written;\n"
    "2 a command-line error or a refused output.";

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
  InputOptionTexts input;
  DegreeChoiceOptions choice;
  std::vector<std::string> at_lists;
  CLI::App* command = nullptr;
  CLI::Option* level = nullptr;
};
struct CheckOptions {
  CheckRun run;
  InputOptionTexts input;
  CLI::App* command = nullptr;
};

const InputOptionRules kFitInput{
    accurate::kMaxDegree,
    "Degree of the polynomial, " + kDegreeRange +
        ", or auto: the degree --criterion recommends (required for plain columns; overrides a data file's degree)",
    true, "Data file or columns (default B2F.txt; - for standard input)", "FILE",
    "The column of y; several (--y A,B or --y A --y B) fit each against the same x", true};

const InputOptionRules kCheckInput{
    kLegacyMaxDegree,
    "Degree of the polynomial, 0 to " + std::to_string(kLegacyMaxDegree) +
        " (required for plain columns; overrides a data file's degree)",
    false, "Data file or columns (default B2F.txt; - for standard input)", "DATA",
    "The column of y (one: the legacy run fits one series)"};

void add_legacy_options(CLI::App& cli, LegacyOptions& options) {
  cli.footer(kFooter);
  cli.add_flag("--no-pause", options.no_pause,
               "Show the closing lines but read no line from standard input at the end")
      ->disable_flag_override();  // a flag takes no value: "--no-pause=no" is an error
  options.data = cli.add_option("DATA", options.run.data_file, "Data file (default B2F.txt)");
  cli.add_option("RESULT", options.run.result_file, "Result file (default F2B.txt)");
}

// --at, --at-file, --level, --confint, --cov and --digits: what the report holds.
void add_statistics_options(CLI::App& command, FitOptions& options) {
  FitRun& fit = options.run;
  command.add_option("--at", options.at_lists,
                     "Predict at these x (X[,X...]): fitted value, standard error, "
                     "confidence and prediction intervals")
      ->allow_extra_args(false)  // "--at 1 data.txt": the file is no x value
      ->check(kNumberList);
  command.add_option("--at-file", fit.at_file,
                     "Also predict at the x of this file (one a line, or the first column of a table)")
      ->check(kFileName);
  options.level = command.add_option("--level", fit.level,
                                     "Confidence level of every interval (--at, --at-file, --confint, "
                                     "--band), between 0 and 1 (default 0.95)")
                      ->check(kLevel);
  command.add_flag("--confint", fit.confint, "Add the confidence intervals of the coefficients")
      ->disable_flag_override();
  command.add_flag("--cov", fit.covariance, "Add the covariance matrix of the coefficients")
      ->disable_flag_override();
  command.add_option("--digits", fit.digits,
                     "Significant digits of the text report's statistics, 1 to 17 (default 10)")
      ->check(CLI::Range(1, 17));
}

// --plot with its band and texts, --residuals, --predictions, --force: the files written.
void add_fit_outputs(CLI::App& command, FitRun& fit) {
  CLI::Option* plot =
      command.add_option("--plot", fit.plot_file, "Also draw the fit into this SVG file")->check(kFileName);
  command.add_flag("--band", fit.band, "Shade the confidence band in the picture")
      ->disable_flag_override()
      ->needs(plot);
  add_picture_texts(command, fit.picture, plot);
  command.add_option("--residuals", fit.residuals_file,
                     "Write x, y, fitted value, residual (weight), source line (series) of every "
                     "observation to this CSV file")
      ->check(kFileName);
  command.add_option("--predictions", fit.predictions_file,
                     "Write the predictions of --at and --at-file to this CSV file")
      ->check(kFileName);
  command.add_flag("--force", fit.force, "Replace an existing file that polylsq did not write (never an input)")
      ->disable_flag_override();
}

void add_fit_command(CLI::App& cli, FitOptions& options, const std::string& version) {
  CLI::App* command = options.command = cli.add_subcommand("fit", kFitDescription);
  command->footer(kFitFooter);
  command->set_version_flag("--version", version, "Show the version and exit");
  add_degree_choice_options(*command, options.choice);
  command->add_flag("--json", options.run.json, "One JSON object on standard output")->disable_flag_override();
  add_input_options(*command, options.input, kFitInput);
  add_statistics_options(*command, options);
  add_fit_outputs(*command, options.run);
}

void add_check_command(CLI::App& cli, CheckOptions& options, const std::string& version) {
  CheckRun& check = options.run;
  CLI::App* command = options.command = cli.add_subcommand("check", kCheckDescription);
  command->footer(kCheckFooter);
  command->set_version_flag("--version", version, "Show the version and exit");
  command->add_flag("--json", check.json, "One JSON object on standard output")->disable_flag_override();
  add_input_options(*command, options.input, kCheckInput);
  CLI::Option* plot =
      command->add_option("--plot", check.plot_file, "Also draw both fits into this SVG file")->check(kFileName);
  add_picture_texts(*command, check.picture, plot);
  command->add_flag("--force", check.force, "Replace an existing file that polylsq did not write (never an input)")
      ->disable_flag_override();
}

// The checks that need the whole command line or the files, after the parse.
ParsedCommandLine fit_command_of(FitOptions options) {
  FitRun& fit = options.run;
  const ConvertedInput input = input_options_of(options.input, kFitInput);
  fit.input = input.options;
  fit.at = numbers_of(options.at_lists);
  if (!fit.input.auto_degree && degree_choice_given(options.choice)) {
    const char* option = options.choice.criterion_option->count() > 0 ? "--criterion" : "--max-degree";
    return {std::nullopt, usage_error(std::string(option) + ": only --degree auto chooses a degree", "fit")};
  }
  fit.criterion = criterion_of(options.choice);
  fit.max_degree = options.choice.max_degree;
  const bool predicts = !fit.at.empty() || !fit.at_file.empty();
  if (options.level->count() > 0 && !predicts && !fit.band && !fit.confint) {
    return {std::nullopt, usage_error("--level: only --at, --at-file, --confint and --band use a level", "fit")};
  }
  if (!fit.predictions_file.empty() && !predicts) {
    return {std::nullopt, usage_error("--predictions: no x to predict at: give --at or --at-file", "fit")};
  }
  if (report_missing(fit.input.data_file, "fit", true)) return {std::nullopt, kExitUsage};
  if (!fit.at_file.empty() && report_missing(fit.at_file, "fit", true)) return {std::nullopt, kExitUsage};
  if (fit.at_file == "-" && fit.input.data_file == "-") {
    return {std::nullopt, usage_error("--at-file -: standard input is already the data", "fit")};
  }
  return {fit, kExitResults};
}

ParsedCommandLine check_command_of(CheckOptions options) {
  CheckRun& check = options.run;
  const ConvertedInput input = input_options_of(options.input, kCheckInput);
  if (!input.refusal.empty()) return {std::nullopt, usage_error(input.refusal, "check")};
  check.input = input.options;
  if (check.input.y_columns.size() > 1) {
    return {std::nullopt, usage_error("--y: check compares one series: the legacy run fits one", "check")};
  }
  if (report_missing(check.input.data_file, "check", true)) return {std::nullopt, kExitUsage};
  return {check, kExitResults};
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
  DegreesOptions degrees;
  add_legacy_options(cli, legacy);
  add_fit_command(cli, fit, version);
  add_check_command(cli, check, version);
  add_degrees_command(cli, degrees, version);

  try {
    cli.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return {std::nullopt, cli.exit(help)};
  } catch (const CLI::CallForVersion& version_shown) {
    return {std::nullopt, cli.exit(version_shown)};
  } catch (const CLI::ParseError& error) {
    if (fit.command->parsed()) failed_command = "fit";
    if (check.command->parsed()) failed_command = "check";
    if (degrees.command->parsed()) failed_command = "degrees";
    cli.exit(error);
    return {std::nullopt, kExitUsage};
  }
  if (fit.command->parsed()) return fit_command_of(std::move(fit));
  if (check.command->parsed()) return check_command_of(std::move(check));
  if (degrees.command->parsed()) return degrees_command_of(std::move(degrees));
  return legacy_command_of(std::move(legacy));
}

}  // namespace polylsq::app
