// The cells of a row of plain columns: separated by blanks, tabs, a comma or a semicolon
// (only the semicolon where commas are decimal commas), '#' starting a comment anywhere
// outside quotes, a cell quoted or not ("x", "a ""b""" holding a quote). Also which cells
// stand for a missing value, and the name a header cell gives its column.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace polylsq::input {

// The cells of one row, as views into its line: quotes removed, "" inside quotes kept as
// written.
struct RowCells {
  std::vector<std::string_view> cells;
  bool ends_with_delimiter = false;  // "1,2," and "1;2; # note": the last cell is owed to it
};

class CellSplitter {
 public:
  CellSplitter();

  // From now on, commas are decimal commas, not separators.
  void use_decimal_comma();

  // "1, 2" -> {"1", "2"}; "1,,2" -> {"1", "", "2"}; "1," -> {"1", ""} ending with the
  // delimiter; "\"x\" # c" -> {"x"}; "" -> {}. Overwrites `row`, reusing its storage.
  void split(std::string_view line, RowCells& row) const;

 private:
  enum class CharClass : unsigned char { kText, kBlank, kDelimiter, kComment, kQuote };
  CharClass class_of(char c) const { return classes_[static_cast<unsigned char>(c)]; }

  std::array<CharClass, 256> classes_{};
};

// True for a cell that stands for a missing value: empty, or NA, N/A, NaN or null in any
// case ("na", "NULL", "nan").
bool is_missing_cell(std::string_view cell);

// Why a row with the missing `cell` is skipped: "empty cell", "NA cell", "null cell".
std::string missing_cell_reason(std::string_view cell);

// The column name a header cell gives: the cell with "" inside a quoted cell read as one
// quote ("a ""b""" -> a "b").
std::string header_name(std::string_view cell);

}  // namespace polylsq::input
