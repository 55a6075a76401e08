// Plain columns: one observation a line, x y (with weights x y w), the cells separated by
// blanks, tabs, a comma or a semicolon. '#' starts a comment anywhere outside quotes;
// blank and comment lines are ignored; a cell may be quoted ("x").
//
// The first line that is neither blank nor a comment fixes two things: when it holds a
// semicolon, commas are decimal commas in every line ("1,5;2,25" is 1.5 and 2.25), not
// separators; and when none of its cells is a number, it is a header of column names and
// is skipped (no later line can be a header). A row with an empty or NA cell is skipped
// with a warning.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "input/plain_row.h"
#include "input/value_column.h"
#include "text/expected.h"

namespace polylsq::input {

// Where a column reader puts what it reads.
struct ColumnSink {
  ValueColumn& x;
  ValueColumn& y;
  ValueColumn& w;  // filled only with weights
  std::vector<std::string>& warnings;
};

class ColumnReader {
 public:
  ColumnReader(bool weights, const ColumnSink& sink);

  // Takes the file's lines in order (`number` counts every line from 1). Fails (kBadData,
  // the message naming the line and quoting a cell) on a wrong number of cells, a cell
  // that is not a finite number, a negative weight; nothing is stored for that line.
  Expected<void> take_line(std::size_t number, std::string_view line);

  // The fast lane: takes the rows at the start of `bytes` that take_line() would store
  // unchanged from plain numbers and that end with a line end inside `bytes`, none longer
  // than `max_line_bytes`. Returns the bytes taken, line ends included; adds the count of
  // lines taken to `lines_taken`. Takes nothing before the first line is taken.
  std::size_t take_plain_rows(std::string_view bytes, std::size_t max_line_bytes,
                              std::size_t& lines_taken);

  // After the last line: one warning for the skipped rows beyond those warned of singly.
  void finish();

  // Rows skipped so far for an empty or NA cell.
  std::size_t skipped_rows() const { return skipped_rows_; }

 private:
  enum class CharClass : unsigned char { kText, kBlank, kDelimiter, kComment, kQuote };
  static constexpr std::size_t kMaxCells = 3;  // x y w; further cells are only counted

  struct Cells {
    std::array<std::string_view, kMaxCells> text;
    std::size_t count = 0;
    void add(std::string_view cell) {
      if (count < kMaxCells) text[count] = cell;
      ++count;
    }
  };

  CharClass class_of(char c) const { return classes_[static_cast<unsigned char>(c)]; }
  const char* scan_plain_row(const char* p, const char* end, double* values) const;
  void store(const double* values);
  Cells split(std::string_view line) const;
  bool is_header(const Cells& cells) const;
  void start(std::string_view line);

  std::size_t expected_cells_;
  ColumnSink sink_;
  std::array<CharClass, 256> classes_{};
  FieldClasses plain_classes_;  // the same classes for plain rows
  bool started_ = false;        // the first line that is neither blank nor a comment was seen
  bool decimal_comma_ = false;
  std::size_t skipped_rows_ = 0;
};

}  // namespace polylsq::input
