// The files that `fit` and `check` write besides their report (a picture, a table of
// residuals or predictions), checked before anything is read so that no output destroys
// an input:
// - no output is an input (the data file, the file of x values to predict at) or another
//   output of the run (the same regular file where both exist, the same normalised path
//   where not; links followed);
// - an existing regular file is replaced only when it is empty or an output of the same
//   kind that this program wrote (a picture bearing its generator mark, a table whose
//   first line is one of its headers), or with --force, which never allows an input or
//   another output;
// - a character device, a pipe or a descriptor of the process (/dev/stdout, /dev/fd/N;
//   NUL and CON on Windows) is written through, never renamed onto; a folder or any other
//   kind of file is refused;
// - a picture's name ends in ".svg" unless it is written through.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "text/expected.h"

namespace polylsq::app {

enum class OutputKind { kPicture, kTable };

struct OutputRequest {
  std::string option;  // "--plot", for messages
  std::string name;    // the file name given (UTF-8)
  OutputKind kind = OutputKind::kPicture;
};

// The first lines of the tables this program writes (and wrote in earlier versions): a file
// that starts with one of them (and its line end) is a table of this program.
inline constexpr std::string_view kTableHeaders[] = {
    "x,y,fitted,residual",
    "x,y,fitted,residual,weight",
    "x,y,fitted,residual,line",
    "x,y,fitted,residual,weight,line",
    "x,y,fitted,residual,line,series",
    "x,y,fitted,residual,weight,line,series",
    "x,fit,se_fit,confidence_low,confidence_high,prediction_low,prediction_high",
    "x,fit,se_fit,confidence_low,confidence_high,prediction_low,prediction_high,series",
};

// A file the run reads, which no output may be.
struct InputFile {
  std::string role;  // "the data file", for messages
  std::string name;  // "-": standard input, no file
};

// Where the bytes of an output named `name` go: the file its links lead to, and whether
// it is written through rather than replaced.
struct OutputPlace {
  std::filesystem::path path;
  std::filesystem::file_type type = std::filesystem::file_type::none;  // of what is there
  bool write_through = false;
};
OutputPlace place_of(const std::string& name);

// Checks `outputs` against the `inputs` and against each other, and what exists at each.
// Succeeds when every output may be written; else an error of kind kInvalidArgument saying
// why not: one line naming the output and saying what to do.
Expected<void> refuse_outputs(const std::vector<InputFile>& inputs, const std::vector<OutputRequest>& outputs,
                              bool force);

// Whether the files named `a` and `b` are one file, by the rule above.
bool same_file(const std::string& a, const std::string& b);

// The SVG document `svg` with the generator mark by which refuse_outputs knows a picture
// of this program, on the line after the XML declaration.
std::string with_generator_mark(std::string_view svg);

}  // namespace polylsq::app
