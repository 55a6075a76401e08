// Rows of plain numbers ("-3.14159 27.18282"), the common case of both file formats, read
// in one pass straight from the bytes read: the fast lane that the format readers take
// before their general reading, which gives the same values for these rows.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

#include "input/value_column.h"

namespace polylsq::input {

// How a character bears on a plain row.
enum class FieldClass : unsigned char {
  kField,      // part of a value: no plain number may end before it
  kBlank,      // separates values
  kDelimiter,  // one between two values, blanks around it allowed
  kStop,       // ends the row's values (line ends, comments, ...)
};
using FieldClasses = std::array<FieldClass, 256>;

// Blanks and tabs kBlank, `delimiters` kDelimiter, `stops`, "\r" and "\n" kStop, the
// rest kField.
FieldClasses make_field_classes(const char* delimiters, const char* stops);

// `count` plain reals (scan_plain_real) at `p`, separated by blanks or by one delimiter
// with optional blanks around, each followed by a character that is not kField or by
// `end`. Returns the position after the last value and the blanks after it, with
// values[0, count) set; or nullptr when the text is not of that form (values then
// undefined).
const char* scan_plain_fields(const char* p, const char* end, std::size_t count, double* values,
                              const FieldClasses& classes);

inline constexpr std::size_t kMostPlainRowValues = 3;  // x, y and a weight

// How the rows of a fast lane look: `count` values a row (1 to kMostPlainRowValues) as
// scan_plain_fields() reads them, no row longer than `max_line_bytes`; with
// `last_nonnegative`, a row whose last value is negative (a weight) is not a plain row.
struct PlainRowForm {
  std::size_t count = 2;
  const FieldClasses* classes = nullptr;
  std::size_t max_line_bytes = 0;
  bool last_nonnegative = false;
};

// The plain rows read from the start of some bytes.
struct PlainRun {
  std::size_t bytes = 0;  // line ends included
  std::size_t rows = 0;
};

// Where the values of plain rows go: value k of each row to columns[k], k < form.count.
struct PlainRowTarget {
  std::array<ValueColumn*, kMostPlainRowValues> columns{};
};

// The rows at the start of `bytes` of the form `form`, each ending with a line end inside
// `bytes`, at most `most_rows`: their values pushed to `target`.
PlainRun scan_plain_rows(std::string_view bytes, const PlainRowForm& form, std::size_t most_rows,
                         const PlainRowTarget& target);

// Values of plain rows column by column, in vectors of their own.
using PlainColumns = std::array<std::vector<double>, kMostPlainRowValues>;

// scan_plain_rows() into `columns`, which are cleared first.
PlainRun scan_plain_rows_into(std::string_view bytes, const PlainRowForm& form,
                              std::size_t most_rows, PlainColumns& columns);

class SecondReader;  // input/second_reader.h

// scan_plain_rows() on two threads, with the same result: `bytes` are cut after a line end
// near their middle and the part after the cut is read by `second`, its rows kept only when
// the part before is plain up to the cut. Values never depend on the cut, so the rows and
// their order are those of one thread. One thread where no cut is found or no thread can be
// started.
PlainRun scan_plain_rows_in_two(std::string_view bytes, const PlainRowForm& form,
                                std::size_t most_rows, const PlainRowTarget& target,
                                SecondReader& second);

}  // namespace polylsq::input
