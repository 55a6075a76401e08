// The command-line options of `polylsq degrees`, and the options of the degree choice
// (--criterion, --max-degree, --degree auto) that `fit` shares with it, for the one CLI11
// parser of command_line.cpp.
#pragma once

#include <optional>
#include <string>

#include "accurate/degree_table.h"
#include "app/command_line.h"
#include "app/input_options.h"

namespace CLI {
class App;
class Option;
class Validator;
}  // namespace CLI

namespace polylsq::app {

// --criterion and --max-degree as CLI11 fills them.
struct DegreeChoiceOptions {
  std::string criterion;  // one of kCriterionList (checked); empty: bic
  std::optional<int> max_degree;
  CLI::Option* criterion_option = nullptr;
  CLI::Option* max_degree_option = nullptr;
};

// Adds --criterion and --max-degree to `command`.
void add_degree_choice_options(CLI::App& command, DegreeChoiceOptions& options);

// The criterion that the parsed options name; bic when none.
accurate::DegreeCriterion criterion_of(const DegreeChoiceOptions& options);

// Whether --criterion or --max-degree was given.
bool degree_choice_given(const DegreeChoiceOptions& options);

// The values of fit's --degree: "auto", or a whole number from 0 to `max_degree` ("Value 11
// not in range 0 to 10").
CLI::Validator degree_or_auto(int max_degree);

struct DegreesOptions {
  DegreesRun run;
  InputOptionTexts input;
  DegreeChoiceOptions choice;
  CLI::App* command = nullptr;
};

// Adds the subcommand `degrees` to `cli`.
void add_degrees_command(CLI::App& cli, DegreesOptions& options, const std::string& version);

// The run that the parsed options ask for; a named data file that does not exist is a
// command-line error (exit status 2, reported).
ParsedCommandLine degrees_command_of(DegreesOptions options);

}  // namespace polylsq::app
