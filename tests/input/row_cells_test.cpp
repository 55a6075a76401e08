// Cells of a row: the split of a line (delimiters, blanks, quotes, comments, the decimal
// comma), the spellings of a missing value, and the names header cells give.
#include "input/row_cells.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace polylsq::input {
namespace {

struct SplitCase {
  std::string line;
  bool decimal_comma;
  std::vector<std::string> cells;
  bool ends_with_delimiter;
};

TEST(CellSplitter, SplitsALineIntoItsCells) {
  const SplitCase cases[] = {
      {"1, 2", false, {"1", "2"}, false},
      {"1,,2", false, {"1", "", "2"}, false},
      {"1,", false, {"1", ""}, true},
      {"1;2; # note", false, {"1", "2", ""}, true},
      {",", false, {"", ""}, true},
      {"\"x\" # c", false, {"x"}, false},
      {"\"a, b\",\"\"", false, {"a, b", ""}, false},
      {"\"a \"\"b\"\"\" c", false, {"a \"\"b\"\"", "c"}, false},
      {"a\"b c", false, {"a\"b", "c"}, false},
      {"1,5;2,25", true, {"1,5", "2,25"}, false},
      {"1,5 2,5", false, {"1", "5", "2", "5"}, false},
      {"", false, {}, false},
      {"  # only a comment", false, {}, false},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.line);
    CellSplitter splitter;
    if (c.decimal_comma) splitter.use_decimal_comma();
    RowCells row;
    row.cells = {"left", "from", "before"};  // overwritten
    splitter.split(c.line, row);
    EXPECT_EQ(std::vector<std::string>(row.cells.begin(), row.cells.end()), c.cells);
    EXPECT_EQ(row.ends_with_delimiter, c.ends_with_delimiter);
  }
}

TEST(MissingCell, EmptyNaNaNAndNullInAnyCaseAreMissing) {
  for (const char* cell : {"", "NA", "na", "nA", "N/A", "n/a", "NaN", "nan", "NAN", "null",
                           "NULL", "Null"}) {
    EXPECT_TRUE(is_missing_cell(cell)) << cell;
  }
  for (const char* cell : {" ", "N", "N A", "NA ", "-nan", "+NaN", "nul", "nulls", "none",
                           "0", "inf", "N//A"}) {
    EXPECT_FALSE(is_missing_cell(cell)) << cell;
  }
  EXPECT_EQ(missing_cell_reason(""), "empty cell");
  EXPECT_EQ(missing_cell_reason("N/A"), "N/A cell");
}

TEST(HeaderName, TwoQuotesInsideQuotesAreOne) {
  EXPECT_EQ(header_name("Girth"), "Girth");
  EXPECT_EQ(header_name("a \"\"b\"\""), "a \"b\"");
  EXPECT_EQ(header_name(""), "");
}

}  // namespace
}  // namespace polylsq::input
