// The data reader of the accurate fit: turns the bytes of an open file into (x, y) and
// optional weights in double precision, in either of two formats chosen by the file's
// first lines. It streams the file in chunks, prints nothing and throws nothing.
//
// Data-file format (the legacy program's input): the first two lines that are neither
// blank nor comments ('#' first, unless the line is one based integer such as #FF) each
// hold one number -> degree NDEG and count NOBS, both integers, NOBS >= 1; then NOBS observations read list-directed (list_directed_reader.h).
// Lines after the last observation are not data; the first that starts with a number is
// named in a warning. Otherwise the file is plain columns
// (column_reader.h). A line holding one number is never a row of columns, so two such
// lines mean a data file whose header is then checked ("2.0" is not an integer).
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "input/line_source.h"
#include "text/expected.h"

namespace polylsq::input {

enum class DataFormat { kDataFile, kColumns };

struct ReadOptions {
  bool weights = false;  // a third column holds weights (plain columns only)
  // Read the data-file format whatever the first lines look like, its header as the legacy
  // program reads it (a first line "3 7" is the degree 3), for a file the legacy run reads.
  bool data_file_only = false;
};

struct DataSet {
  DataFormat format = DataFormat::kColumns;
  // NDEG as the data file gives it, checked only for the 32-bit range: the caller may
  // override the degree, so rejecting a negative or too large degree is the caller's.
  // Empty for plain columns.
  std::optional<int> file_degree;
  // The observations in file order. The vectors may have spare capacity: reserved from
  // the file's size and never touched, it holds address space, not memory.
  std::vector<double> x;
  std::vector<double> y;
  std::vector<double> w;              // with weights: one per observation, >= 0; else empty
  std::vector<std::string> warnings;  // e.g. "data.csv: line 9: empty cell, row skipped"
};

// Reads `file` from its current position; the caller opens it (in binary mode) and closes
// it. `display_name` starts every message and warning ("B2F.txt: line 7: ..."); when
// empty, they start with the line. Returns the data set (at least one observation), or
// the first failure: a bad value or cell count, a bad header of a data file, a file that
// ends before NOBS observations, no observations at all (kBadData); weights asked of a
// data file (kInvalidArgument); a file that cannot be read (kCannotRead); memory that
// runs out (kOutOfMemory). `limits` serve tests.
// "data.txt: line 7: \"3.O512\" is not a number"
Expected<DataSet> read_data(std::FILE* file, std::string_view display_name,
                            const ReadOptions& options, const StreamLimits& limits = {});

}  // namespace polylsq::input
