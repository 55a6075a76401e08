// The options that every command reading what `fit` reads shares: the degree, the columns
// (--x, --y, --weights, --weights-column) and the data file, registered on a command's
// CLI11 parser and converted once after the parse; and the texts of a picture (--title,
// --xlabel, --ylabel).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace polylsq::app {

// The options as the parser fills them; input_options_of() converts them.
struct InputOptionTexts {
  InputOptions options;              // data file, degree and --weights filled directly
  std::string x;                     // empty: not given
  std::string degree;                // --degree of a command that takes auto; empty: not given
  std::vector<std::string> y_lists;  // each "A[,B...]"
  std::string weights_column;        // empty: not given
};

// What a command takes of the shared options.
struct InputOptionRules {
  int max_degree = 0;
  std::string degree_help;     // the help text of --degree; empty: the command takes none
  bool weights = true;         // --weights and --weights-column offered
  std::string data_help;       // the help text of the data-file argument
  std::string data_name = "FILE";
  std::string y_help = "The column of y";  // the help text of --y
  bool auto_degree = false;    // --degree also takes "auto"
};

// Adds --degree (unless the rules have no help text for it), --x, --y, --weights,
// --weights-column and the data-file argument to `command`, filling `texts`. COL is checked
// as it is parsed: a 1-based number or a name, never empty. Without `rules.weights`, --weights and --weights-column are hidden options
// that input_options_of() refuses.
void add_input_options(CLI::App& command, InputOptionTexts& texts, const InputOptionRules& rules);

// The options given, or the message of a usage error: weights where the rules offer none.
struct ConvertedInput {
  InputOptions options;
  std::string refusal;  // empty: none
};
ConvertedInput input_options_of(const InputOptionTexts& texts, const InputOptionRules& rules);

// Adds --title, --xlabel and --ylabel, each needing `plot`.
void add_picture_texts(CLI::App& command, PictureTexts& texts, CLI::Option* plot);

// The items of a comma-separated list, empty ones included: "1,,2" -> "1", "", "2".
std::vector<std::string> items_of(const std::string& list);

}  // namespace polylsq::app
