// The pieces the reports of `fit` and `check` are made of: numbers as text (to a number of
// significant digits, or exactly), cells padded into table rows, JSON as text. No piece
// writes a negative zero: it reads 0.
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

// After an empty line, "Warnings" and each warning on a line of its own indented by two
// blanks; nothing when there are none.
std::string warnings_text(const std::vector<std::string>& warnings);

}  // namespace polylsq::app
