// The data reader of the accurate fit: turns the bytes of an open file into series of
// (x, y) and optional weights in double precision, in either of two formats chosen by the
// file's first lines. It streams the file in chunks, prints nothing and throws nothing.
//
// Data-file format (the legacy program's input): the first two lines that are neither
// blank nor comments ('#' first, unless the line is one based integer such as #FF) each
// hold one number -> degree NDEG and count NOBS, both integers, NOBS >= 1; then NOBS
// observations read list-directed (list_directed_reader.h). Lines after the last
// observation are not data; the first that starts with a number is named in a warning.
// Otherwise the file is plain columns (column_reader.h), of which the options choose the
// columns. A line holding one number is never a row of columns, so two such lines mean a
// data file whose header is then checked ("2.0" is not an integer).
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "input/column_choice.h"
#include "input/line_source.h"
#include "input/series.h"
#include "text/expected.h"

namespace polylsq::input {

enum class DataFormat { kDataFile, kColumns };

struct ReadOptions {
  bool weights = false;  // column 3 holds weights (plain columns only)
  // Read the data-file format whatever the first lines look like, its header as the legacy
  // program reads it (a first line "3 7" is the degree 3), for a file the legacy run reads.
  bool data_file_only = false;
  // The columns of plain columns (column_choice.h); a choice of any of them refuses the
  // data-file format. Without one: x in column 1, y in column 2, a file with more columns
  // taken with a warning. Each y column makes a series.
  std::optional<ColumnRef> x_column;
  std::vector<ColumnRef> y_columns;
  std::optional<ColumnRef> weights_column;  // instead of `weights`
  bool source_lines = false;                // fill Series::lines
};

struct DataSet {
  DataFormat format = DataFormat::kColumns;
  // NDEG as the data file gives it, checked only for the 32-bit range: the caller may
  // override the degree, so rejecting a negative or too large degree is the caller's.
  // Empty for plain columns.
  std::optional<int> file_degree;
  std::optional<std::string> x_header;  // the header name of the x column, where there is one
  std::vector<Series> series;           // one per y column, in the order asked, none empty
  std::vector<std::string> warnings;    // e.g. "data.csv: line 9: empty cell, row skipped"
  // Plain columns: the columns resolved (0-based x and y of each series) and whether commas
  // are decimal commas, for a caller that takes a value's text again from its source line
  // (CellSplitter). Empty and false for a data file.
  std::optional<ColumnPlan> columns;
  bool decimal_comma = false;
};

// Reads `file` from its current position; the caller opens it (in binary mode) and closes
// it. `display_name` starts every message and warning ("B2F.txt: line 7: ..."); when
// empty, they start with the line. Returns the data set (at least one observation in
// each series), or the first failure: a bad value or cell count, a bad header of a data
// file, a file that ends before NOBS observations, no observations at all or in a series
// (kBadData); columns that the first row does not have (column_choice.h), weights or
// columns asked of a data file (kInvalidArgument); a file that cannot be read
// (kCannotRead); memory that runs out (kOutOfMemory). `limits` serve tests.
// "data.txt: line 7: \"3.O512\" is not a number"
Expected<DataSet> read_data(std::FILE* file, std::string_view display_name,
                            const ReadOptions& options, const StreamLimits& limits = {});

// The x values of a file of predictions: plain columns, one x a row (column 1, or
// `x_column`), read as read_data() reads plain columns, a header allowed.
struct XValues {
  std::vector<double> x;                // in file order
  std::optional<std::string> header;    // the header name of the x column
  std::vector<std::string> warnings;
};

// Reads `file` as read_data() does a file of plain columns (never the data-file format).
// Fails as read_data() fails, "no x values" where it finds no observations.
Expected<XValues> read_x_values(std::FILE* file, std::string_view display_name,
                                const std::optional<ColumnRef>& x_column,
                                const StreamLimits& limits = {});

}  // namespace polylsq::input
