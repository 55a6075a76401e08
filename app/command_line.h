// The command line: `polylsq [OPTIONS] [DATA [RESULT]]`, `polylsq fit ...`,
// `polylsq check ...` and `polylsq degrees ...`, parsed once into a struct. Options only choose files, whether the pause reads a line, and which
// command runs; none changes a byte of the legacy run's console transcript or result file.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "accurate/degree_table.h"

namespace polylsq::app {

// The legacy run: the data file read, the result file written, the pause at the end.
struct LegacyRun {
  std::string data_file = "B2F.txt";
  std::string result_file = "F2B.txt";
  bool pause = true;  // read one console line after "Push Enter key"
};

// `polylsq fit`: the accurate fit of a data file or of plain columns.
struct FitRun {
  std::string data_file = "B2F.txt";  // "-": standard input
  std::optional<int> degree;          // required for plain columns; overrides the file's
  bool auto_degree = false;           // --degree auto: the degree `criterion` recommends
  accurate::DegreeCriterion criterion = accurate::DegreeCriterion::kBic;
  std::optional<int> max_degree;      // of the table of --degree auto; empty: its default
  bool json = false;
  bool weights = false;               // a third column holds each observation's weight
  std::vector<double> at;             // x values to predict at
  double level = 0.95;                // of the confidence and prediction intervals
  std::string plot_file;              // empty: no picture
  bool band = false;                  // the picture shades the confidence band
  std::string residuals_file;         // empty: no table of residuals
  bool force = false;                 // an existing file not written by this program may be replaced
};

// `polylsq check`: the legacy computation and the accurate one side by side.
struct CheckRun {
  std::string data_file = "B2F.txt";  // "-": standard input
  bool json = false;
  std::string plot_file;  // empty: no picture
  bool force = false;     // an existing file not written by this program may be replaced
};

// `polylsq degrees`: the degree table of each series and the degree each criterion recommends.
struct DegreesRun {
  std::string data_file = "B2F.txt";  // "-": standard input; a data file's degree is ignored
  std::optional<int> max_degree;      // empty: the table's default
  accurate::DegreeCriterion criterion = accurate::DegreeCriterion::kBic;
  bool json = false;
  bool weights = false;               // a third column holds each observation's weight
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
// errors: an empty file name, an empty item of --at, a --level whose interval cannot be
// computed in double precision or that nothing uses, a --criterion or --max-degree of `fit`
// without --degree auto.
ParsedCommandLine parse_command_line(int argc, const char* const* argv);

}  // namespace polylsq::app
