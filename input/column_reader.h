// Plain columns: one row a line, its cells as row_cells.h splits them; blank and comment
// lines are ignored. Only the columns that the roles take (column_choice.h) are read, the
// others only counted.
//
// The first line that is neither blank nor a comment fixes two things: when it holds a
// semicolon, commas are decimal commas in every line ("1,5;2,25" is 1.5 and 2.25), not
// separators; and when none of its cells is a number and some cell is not missing, it is
// a header of column names (no later line can be a header). The first row of values fixes
// the table's columns: every row has as many cells, a delimiter at the end of that row
// and of the header adding none (any row may then end with one). A row whose x or y cell
// is missing (is_missing_cell) is skipped with a warning, for the series whose cells are
// missing, and stored in the others.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "input/column_choice.h"
#include "input/line_source.h"
#include "input/plain_row.h"
#include "input/row_cells.h"
#include "input/second_reader.h"
#include "input/series.h"
#include "input/value_column.h"
#include "text/expected.h"

namespace polylsq::input {

class ColumnReader {
 public:
  // `file_bytes`: the size of what is to be read, when known, to reserve the storage;
  // `source_lines`: record the line of each observation. Warnings go to `warnings`.
  ColumnReader(ColumnRoles roles, std::optional<std::size_t> file_bytes, bool source_lines,
               std::vector<std::string>& warnings);

  // Takes the file's lines in order (`number` counts every line from 1). Fails, the
  // message naming the line: on the header, as check_names() fails; on the first row of
  // values, as plan_columns() fails; on a wrong number of cells, a chosen cell that is
  // neither a finite number nor missing, a weight that is missing or negative (kBadData).
  // Nothing is stored for that line.
  Expected<void> take_line(std::size_t number, std::string_view line);

  // The fast lane: takes the rows at the start of `bytes` that take_line() would store
  // unchanged from plain numbers and that end with a line end inside `bytes`, none longer
  // than `max_line_bytes`; `first_line` is the number of the first. Returns the bytes
  // taken, line ends included; adds the count of lines taken to `lines_taken`. Takes
  // nothing before the first row is taken. With `two_threads`, plain x y (w) rows are
  // read on two threads (scan_plain_rows_in_two), with the same result.
  std::size_t take_plain_rows(std::string_view bytes, std::size_t max_line_bytes,
                              std::size_t first_line, std::size_t& lines_taken,
                              bool two_threads = false);

  // After the last line: one warning for the skipped rows beyond those warned of singly.
  void finish();

  // The columns resolved at the first row of values; none before it.
  const std::optional<ColumnPlan>& plan() const { return plan_; }

  // Whether commas are decimal commas (fixed by the first significant line).
  bool decimal_comma() const { return decimal_comma_; }

  // Rows skipped so far for a missing cell, in all and for series `index`.
  std::size_t skipped_rows() const { return skipped_rows_; }
  std::size_t skipped_rows(std::size_t index) const { return series_[index].skipped; }

  // The series read, one per y role (one holding x alone without y roles), in role
  // order; the reader holds none afterwards.
  std::vector<Series> take_series();

 private:
  struct SeriesColumns {
    ValueColumn x;
    ValueColumn y;
    ValueColumn w;
    LineColumn lines;
    std::size_t skipped = 0;
  };

  FieldClass class_at(const char* p) const {
    return plain_classes_[static_cast<unsigned char>(*p)];
  }
  Expected<bool> start(std::size_t number, std::string_view line);
  Expected<void> plan(std::size_t number);
  void prepare_storage();
  bool is_header(const RowCells& row) const;
  const char* scan_plain_row(const char* p, const char* end, double* values) const;
  const char* scan_chosen_fields(const char* p, const char* end, double* values) const;
  std::size_t take_two_or_three(std::string_view bytes, std::size_t max_line_bytes,
                                bool two_threads, std::size_t& lines_taken);
  void store_one(std::size_t k, const double* values, std::size_t line);
  void store(const double* values, std::size_t line);
  Expected<bool> read_cells(std::size_t number, double* values, std::vector<bool>& missing) const;
  void take_partial_row(std::size_t number, const std::vector<bool>& missing);

  ColumnRoles roles_;
  std::optional<std::size_t> file_bytes_;
  bool source_lines_;
  std::vector<std::string>& warnings_;
  std::vector<SeriesColumns> series_;
  CellSplitter splitter_;
  RowCells row_;                // the cells of the row being read
  FieldClasses plain_classes_;  // the same classes for plain rows
  bool started_ = false;        // the first line that is neither blank nor a comment was seen
  bool decimal_comma_ = false;
  std::optional<TableHeader> header_;
  std::optional<ColumnPlan> plan_;
  // Per column, its place among the values of a row (x, the y of each series, the
  // weight), or -1 when no role takes it.
  std::vector<int> slots_;
  std::size_t value_count_ = 0;
  std::vector<double> row_values_;    // the values of the row being read, by place
  SecondReader second_reader_;  // the second thread of two-thread reading, kept between chunks
  std::size_t weight_slot_ = 0;  // with weights
  // 2 or 3 when the table is exactly x y (w) of one series without lines or a trailing
  // delimiter: the fastest lane; else 0.
  std::size_t simple_cells_ = 0;
  std::size_t skipped_rows_ = 0;
};

// A line already taken from a line source, with its number.
struct HeldLine {
  std::size_t number = 0;
  std::string_view text;
};

// Gives `reader` the `held` lines, then every line left in `lines`, through the fast lane
// where it takes them, and finishes it. Fails with the reader's first failure or the
// line source's.
Expected<void> read_table(LineSource& lines, std::span<const HeldLine> held,
                          ColumnReader& reader);

}  // namespace polylsq::input
