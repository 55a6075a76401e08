// The command line: `polylsq [OPTIONS] [DATA [RESULT]]`, `polylsq fit ...`,
// `polylsq check ...` and `polylsq degrees ...`, parsed once into a struct. Options only
// choose files, whether the pause reads a line, and which command runs; none changes a
// byte of the legacy run's console transcript or result file.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "accurate/degree_table.h"
#include "input/column_choice.h"

namespace polylsq::app {

// The legacy run: the data file read, the result file written, the pause at the end.
struct LegacyRun {
  std::string data_file = "B2F.txt";
  std::string result_file = "F2B.txt";
  bool pause = true;  // read one console line after "Push Enter key"
};

// The data of a command that fits observations and which of their columns to take:
// shared by the commands that read what `fit` reads.
struct InputOptions {
  std::string data_file = "B2F.txt";          // "-": standard input
  std::optional<int> degree;                  // required for plain columns; overrides the file's
  bool auto_degree = false;                   // --degree auto (fit): each series' recommended degree
  std::optional<input::ColumnRef> x_column;   // --x; else column 1
  std::vector<input::ColumnRef> y_columns;    // --y, in the order given; else column 2
  bool weights = false;                       // --weights: column 3 holds weights
  std::optional<input::ColumnRef> weights_column;  // --weights-column
  // Whether the user named any column: a data file then is refused by the reader.
  bool columns_chosen() const { return x_column || !y_columns.empty() || weights_column; }
};

// Texts of a picture that replace those taken from the data; empty: from the data.
struct PictureTexts {
  std::string title;    // else the data's name and the fit
  std::string x_label;  // else the x column's header name, or "x"
  std::string y_label;  // else the y column's header name (the series' names), or "y"
};

// `polylsq fit`: the accurate fit of a data file or of plain columns.
struct FitRun {
  InputOptions input;
  accurate::DegreeCriterion criterion = accurate::DegreeCriterion::kBic;  // of --degree auto
  std::optional<int> max_degree;      // of the table of --degree auto; empty: its default
  bool json = false;
  std::vector<double> at;             // x values to predict at
  std::string at_file;                // a file of x values to predict at; empty: none
  double level = 0.95;                // of every interval
  bool confint = false;               // confidence intervals of the coefficients
  bool covariance = false;            // the covariance matrix of the coefficients
  int digits = 10;                    // significant digits of the text report's numbers
  std::string plot_file;              // empty: no picture
  PictureTexts picture;
  bool band = false;                  // the picture shades the confidence band
  std::string residuals_file;         // empty: no table of residuals
  std::string predictions_file;       // empty: no table of predictions
  bool force = false;                 // an existing file not written by this program may be replaced
};

// `polylsq check`: the legacy computation and the accurate one side by side.
struct CheckRun {
  InputOptions input;  // one series, no weights, a degree of at most 5
  bool json = false;
  std::string plot_file;  // empty: no picture
  PictureTexts picture;
  bool force = false;     // an existing file not written by this program may be replaced
};

// `polylsq degrees`: the degree table of each series and the degree each criterion recommends.
struct DegreesRun {
  InputOptions input;                 // no degree: a data file's degree line is ignored
  std::optional<int> max_degree;      // empty: the table's default
  accurate::DegreeCriterion criterion = accurate::DegreeCriterion::kBic;
  bool json = false;
  std::string plot_file;              // empty: no picture
  bool force = false;                 // an existing file not written by this program may be replaced
};

using Command = std::variant<LegacyRun, FitRun, CheckRun, DegreesRun>;

// What the command line asks for: a command to run, or an exit status when the parse
// itself ended the process's work (help or version shown on standard output: 0; a wrong
// command line, reported on standard error in one line plus a pointer to --help: 2).
struct ParsedCommandLine {
  std::optional<Command> command;
  int exit_status = 0;
};

// Parses the arguments of main. Prints help, version and errors itself; reads, creates and
// changes no file (a named data file is only tested for existence, and the legacy run's
// data and result files for being one file). Option values that cannot be honoured are
// errors: an empty file name, an empty item of --at or --y, a column that names none, a
// --level whose interval cannot be computed in double precision or that nothing uses,
// --predictions without x values to predict at, a --criterion or --max-degree of `fit`
// without --degree auto, and for `check` weights or several series (the legacy run has
// neither).
ParsedCommandLine parse_command_line(int argc, const char* const* argv);

}  // namespace polylsq::app
