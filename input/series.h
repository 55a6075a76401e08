// One series of a data set: the observations of one y column against the x column, with
// the rows that miss either value left out, exactly as if that y column were read alone.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace polylsq::input {

struct Series {
  // The header name of the y column; else "column N" when columns were chosen; else "y".
  std::string name;
  std::optional<std::string> header;  // the header name, where the file has a header
  // The observations in file order. The vectors may have spare capacity: reserved from
  // the file's size and never touched, it holds address space, not memory.
  std::vector<double> x;
  std::vector<double> y;
  std::vector<double> w;  // with weights: one per observation, >= 0; else empty
  // When asked for: the source line of each observation (1 for the file's first line);
  // in a data file, the line where its read ends. Else empty.
  std::vector<std::size_t> lines;
};

}  // namespace polylsq::input
