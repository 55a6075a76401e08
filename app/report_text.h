// The pieces the reports of `fit` and `check` are made of: numbers as text (to a number of
// significant digits, or exactly), cells padded into table rows, tables laid out within a
// width, text wrapped at it, JSON as text. No piece writes a negative zero: it reads 0.
#pragma once

#include <nlohmann/json.hpp>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace polylsq::app {

// `value` with `digits` significant digits in the shorter of fixed and scientific form
// ("0.998364121", "1.25e-07"), or "undefined"; a negative zero reads "0".
std::string significant(std::optional<double> value, int digits);

// `value` with exactly `digits` significant digits, trailing zeros kept, in the form that
// printf's "%#.*g" chooses, without a point at the end: "2.092140", "10.78627",
// "1.234568e-07", "5.000000"; a negative zero reads "0.000000" (7 digits).
std::string fixed_significant(double value, int digits);

// The shortest text that reads back as `value` ("0.1", "1e+300"); "0" for either zero.
std::string exact_text(double value);

// `report` as text: two-space indents, a final line end, every negative zero written as 0.
std::string json_text(nlohmann::ordered_json report);

enum class Align { kLeft, kRight };

// `text` padded with blanks to `width` characters on the side away from `align`; a longer
// text is never cut.
std::string padded(std::string_view text, std::size_t width, Align align);

struct Column {
  std::size_t width = 0;
  Align align = Align::kRight;
};

// One table row: each cell padded to its column, two blanks between cells, no blanks at
// the end of the line, a line end.
std::string table_row(const std::vector<std::string>& cells, const std::vector<Column>& columns);

// The width of the text reports: no line is longer unless one word is.
inline constexpr std::size_t kReportWidth = 100;

// `words` joined by blanks into lines of at most `width` characters, the first line after
// `first_indent`, the others after `next_indent`; each line ends with a line end. A word
// longer than a line stands alone on its line.
std::string wrapped(const std::vector<std::string>& words, std::size_t width, std::string_view first_indent,
                    std::string_view next_indent);
// The same for the words of `text`, separated by blanks.
std::string wrapped(std::string_view text, std::size_t width, std::string_view first_indent,
                    std::string_view next_indent);

// A table whose columns take the width of their longest cell. The first `key_columns`
// columns name the rows; where the whole row would be wider than the width, the other
// columns are laid out in blocks, one after the other with an empty line between them,
// each repeating the key columns and as many others as fit.
struct TextTable {
  std::vector<std::string> header;
  std::vector<Align> align;  // per column
  std::vector<std::vector<std::string>> rows;
  std::size_t key_columns = 1;
};
std::string table_text(const TextTable& table, std::size_t width = kReportWidth);

// After an empty line, "Warnings" and each warning on lines of its own indented by two
// blanks, wrapped at the report width (four blanks after the first line); nothing when
// there are none.
std::string warnings_text(const std::vector<std::string>& warnings);

}  // namespace polylsq::app
