// The options of `degrees` and of the degree choice, through CLI11.
#include "app/degree_options.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <limits>
#include <system_error>

#include "app/command_status.h"
#include "app/degree_choice.h"
#include "app/input_options.h"
#include "app/utf8_path.h"

namespace polylsq::app {
namespace {

constexpr const char* kDescription =
    "The degree table: for the degrees 0 to N, residual SD, R-squared, adjusted R-squared,\n"
    "AIC, AICc, BIC, leave-one-out RMSE and the F test of the added term, and the degree\n"
    "each criterion recommends";

constexpr const char* kFooter =
    "FILE is read as by 'polylsq fit' (a data file, whose degree line is ignored, or plain\n"
    "columns); each series gets a table. N is by default the least of 10, the distinct x\n"
    "values less 1 and the observations less 2; a larger --max-degree is reduced to it.\n"
    "Criteria: bic, aic, aicc, loocv (the smallest value; ties to the lower degree) and\n"
    "ftest (the highest degree k whose added terms of degrees 1 to k all have F test\n"
    "p < 0.05). --plot draws the data with the fits of the recommended degree and the\n"
    "degrees next to it, under the output rules of 'polylsq fit --help'.\n"
    "\n"
    "Exit status: 0 a table (warnings allowed); 1 unreadable or bad data, a table that\n"
    "cannot be made, a picture or standard output that cannot be written; 2 a command-line\n"
    "error or a refused output (nothing read or written).";

const CLI::Validator kCriterion(
    [](std::string& text) -> std::string {
      if (criterion_named(text)) return {};
      return "\"" + text + "\" is not a criterion: " + std::string(kCriterionList);
    },
    "C");

const CLI::Validator kMaxDegree(
    [](std::string& text) -> std::string {
      int value = 0;
      if (CLI::detail::lexical_cast(text, value) && value >= 0) return {};
      return "\"" + text + "\" is not a whole number from 0 to " + std::to_string(std::numeric_limits<int>::max());
    },
    "N");

// Every input option of `fit` but --degree: the table has every degree.
const InputOptionRules kDegreesInput{
    0, "", true, "Data file or columns (default B2F.txt; - for standard input)", "FILE",
    "The column of y; several (--y A,B or --y A --y B) get a table each"};

const CLI::Validator kFileName(
    [](std::string& text) -> std::string { return text.empty() ? "the file name is empty" : ""; }, "FILE");

}  // namespace

void add_degree_choice_options(CLI::App& command, DegreeChoiceOptions& options) {
  options.criterion_option =
      command.add_option("--criterion", options.criterion,
                         "Criterion that recommends the degree: " + std::string(kCriterionList) + " (default bic)")
          ->check(kCriterion);
  options.max_degree_option =
      command.add_option("--max-degree", options.max_degree,
                         "Highest degree of the table (default: the least of 10, the distinct x less 1 and "
                         "the observations less 2)")
          ->check(kMaxDegree);
}

accurate::DegreeCriterion criterion_of(const DegreeChoiceOptions& options) {
  return criterion_named(options.criterion).value_or(accurate::DegreeCriterion::kBic);
}

bool degree_choice_given(const DegreeChoiceOptions& options) {
  return options.criterion_option->count() > 0 || options.max_degree_option->count() > 0;
}

CLI::Validator degree_or_auto(int max_degree) {
  const CLI::Range range(0, max_degree);
  return CLI::Validator(
      [range, max_degree](std::string& text) -> std::string {
        int degree = 0;
        if (text == "auto") return {};
        if (CLI::detail::lexical_cast(text, degree)) return range(text);
        return "\"" + text + "\" is neither auto nor a degree from 0 to " + std::to_string(max_degree);
      },
      "auto|0.." + std::to_string(max_degree));
}

void add_degrees_command(CLI::App& cli, DegreesOptions& options, const std::string& version) {
  DegreesRun& run = options.run;
  CLI::App* command = options.command = cli.add_subcommand("degrees", kDescription);
  command->footer(kFooter);
  command->set_version_flag("--version", version, "Show the version and exit");
  add_degree_choice_options(*command, options.choice);
  command->add_flag("--json", run.json, "One JSON object on standard output")->disable_flag_override();
  add_input_options(*command, options.input, kDegreesInput);
  command->add_option("--plot", run.plot_file, "Also draw the data and the fits of the recommended degree and "
                                               "its neighbours into this SVG file")
      ->check(kFileName);
  command->add_flag("--force", run.force, "Replace an existing file that polylsq did not write (never the data file)")
      ->disable_flag_override();
}

ParsedCommandLine degrees_command_of(DegreesOptions options) {
  DegreesRun& run = options.run;
  run.input = input_options_of(options.input, kDegreesInput).options;  // weights are offered
  run.criterion = criterion_of(options.choice);
  run.max_degree = options.choice.max_degree;
  const std::string& data_file = run.input.data_file;
  std::error_code ignored;
  if (data_file != "-" && !std::filesystem::exists(utf8_path(data_file), ignored)) {
    return {std::nullopt, usage_error(data_file + ": no such file", "degrees")};
  }
  return {run, kExitResults};
}

}  // namespace polylsq::app
