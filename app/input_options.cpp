// The shared input and picture options through CLI11.
#include "app/input_options.h"

#include <CLI/CLI.hpp>

#include "app/degree_options.h"

namespace polylsq::app {
namespace {

constexpr const char* kColumnHelp =
    " (COL: a 1-based column number, or a name of the header line)";

// "3", "Girth": a column reference input::parse_column_ref accepts.
std::string column_error(const std::string& text) {
  const Expected<input::ColumnRef> ref = input::parse_column_ref(text);
  return ref ? std::string() : "\"" + text + "\": " + ref.error().message;
}

const CLI::Validator kColumn([](std::string& text) { return column_error(text); }, "COL");

// "Height,Volume": columns separated by commas, none empty.
const CLI::Validator kColumnList(
    [](std::string& text) -> std::string {
      for (const std::string& item : items_of(text)) {
        if (item.empty()) return "\"" + text + "\" has an empty item";
        if (std::string error = column_error(item); !error.empty()) return error;
      }
      return {};
    },
    "COL[,COL...]");

input::ColumnRef column_of(const std::string& text) { return *input::parse_column_ref(text); }

}  // namespace

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

void add_input_options(CLI::App& command, InputOptionTexts& texts, const InputOptionRules& rules) {
  InputOptions& options = texts.options;
  if (rules.auto_degree) {
    command.add_option("--degree", texts.degree, rules.degree_help)->check(degree_or_auto(rules.max_degree));
  } else if (!rules.degree_help.empty()) {
    command.add_option("--degree", options.degree, rules.degree_help)->check(CLI::Range(0, rules.max_degree));
  }
  command.add_option("--x", texts.x, std::string("The column of x") + kColumnHelp)->check(kColumn);
  command
      .add_option("--y", texts.y_lists, rules.y_help)
      ->allow_extra_args(false)  // "--y 2 data.csv": the file is no column
      ->check(kColumnList);
  const std::string group = rules.weights ? "Options" : "";  // "": hidden, and refused
  CLI::Option* weights =
      command.add_flag("--weights", options.weights, "A third column holds each observation's weight (plain columns)")
          ->disable_flag_override()
          ->group(group);
  command.add_option("--weights-column", texts.weights_column, "The column of the weights")
      ->check(kColumn)
      ->excludes(weights)
      ->group(group);
  command.add_option(rules.data_name, options.data_file, rules.data_help);
}

ConvertedInput input_options_of(const InputOptionTexts& texts, const InputOptionRules& rules) {
  ConvertedInput converted{texts.options, {}};
  InputOptions& options = converted.options;
  options.auto_degree = texts.degree == "auto";
  if (!options.auto_degree && !texts.degree.empty()) {
    int degree = 0;
    CLI::detail::lexical_cast(texts.degree, degree);  // checked as it was parsed
    options.degree = degree;
  }
  if (!texts.x.empty()) options.x_column = column_of(texts.x);
  for (const std::string& list : texts.y_lists) {
    for (const std::string& item : items_of(list)) options.y_columns.push_back(column_of(item));
  }
  if (!texts.weights_column.empty()) options.weights_column = column_of(texts.weights_column);
  if (!rules.weights && (options.weights || options.weights_column)) {
    converted.refusal = (options.weights ? "--weights" : "--weights-column") +
                        std::string(": the legacy run has no weights");
  }
  return converted;
}

void add_picture_texts(CLI::App& command, PictureTexts& texts, CLI::Option* plot) {
  command.add_option("--title", texts.title, "The picture's title (default: the data's name and the fit)")
      ->needs(plot);
  command.add_option("--xlabel", texts.x_label, "The picture's x axis title (default: the x column's name, or x)")
      ->needs(plot);
  command
      .add_option("--ylabel", texts.y_label,
                  "The picture's y axis title (default: the y columns' names, or y)")
      ->needs(plot);
}

}  // namespace polylsq::app
