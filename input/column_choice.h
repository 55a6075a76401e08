// Which columns of a table hold x, the y of each series and the weights: references by
// 1-based number or by header name, resolved once against the table's header and first
// row of values into 0-based indices. Without a choice, x and y are columns 1 and 2 (and
// the weights column 3).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "input/row_cells.h"
#include "text/expected.h"

namespace polylsq::input {

// A column as the user names it: by number when `number` is not 0, else by header name.
struct ColumnRef {
  std::size_t number = 0;  // 1-based
  std::string name;
  bool operator==(const ColumnRef&) const = default;
};

// "3" -> column 3; "Girth" -> the column whose header cell is Girth (quoted or not).
// Fails (kInvalidArgument) on an empty text, "0", and a number beyond the size range.
Expected<ColumnRef> parse_column_ref(std::string_view text);

// The columns a reading takes, with defaults applied.
struct ColumnRoles {
  ColumnRef x{1, {}};
  std::vector<ColumnRef> y{ColumnRef{2, {}}};  // one series each; empty: x alone
  std::optional<ColumnRef> w;                  // the weights
  bool chosen = false;  // the caller named some column: no warning for unused columns
};

// The header of a table: the column names of its first row, a delimiter at its end adding
// none ("" for an empty cell).
struct TableHeader {
  std::size_t line = 0;
  std::vector<std::string> names;
  bool ends_with_delimiter = false;
};

// The names of the header row `row` on line `line`.
TableHeader header_of(const RowCells& row, std::size_t line);

// The roles resolved against the table's header and first row of values.
struct ColumnPlan {
  std::size_t columns = 0;          // cells of a row, not counting the trailing delimiter's
  // The first row of values and the header end with a delimiter: any row may.
  bool trailing_delimiter = false;
  std::size_t x = 0;                // 0-based column indices
  std::vector<std::size_t> y;
  std::optional<std::size_t> w;
  std::optional<std::string> x_header;               // header names, where there is a header
  std::vector<std::optional<std::string>> y_headers;  // and its cell is not empty
  std::vector<std::string> y_names;  // header name, else "column N" when chosen, else "y"
  bool exactly_roles = false;        // the columns are x, the y (and w), in that order
  std::string count_note;            // after "expected N" in a wrong-count message
  std::optional<std::string> unused_columns;  // the warning for columns left unused
};

// Checks the names of `roles` against `header` as soon as it is read. Fails
// (kInvalidArgument), the message naming the header's line and quoting its names, on a
// name that it does not hold or holds twice.
Expected<void> check_names(const ColumnRoles& roles, const TableHeader& header);

// Resolves `roles` against `header` (when the table has one) and `first_row`, the first
// row of values, on line `line`. Fails, the message naming a line: without a choice, a
// row with fewer cells than the roles take ("line 1: 1 value, expected 2 (x y)",
// kBadData); with one, as check_names() fails, on a name without a header, a column
// beyond the cells of `first_row`, a column chosen for two roles (kInvalidArgument).
Expected<ColumnPlan> plan_columns(const ColumnRoles& roles,
                                  const std::optional<TableHeader>& header,
                                  const RowCells& first_row, std::size_t line);

}  // namespace polylsq::input
