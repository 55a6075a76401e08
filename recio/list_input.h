// List-directed input: the values of one read statement (scanned as text/list_scan.h
// says) stored in integer and single-precision items.
#pragma once

#include <initializer_list>
#include <optional>
#include <string_view>

#include "recio/io.h"
#include "recio/run_end.h"
#include "text/list_scan.h"

namespace polylsq::recio::detail {

// Why a read statement failed: the error and, for a value that cannot be read as its item's
// type, the value as written (a view into the failing record: valid until the source's next
// record). `value` is empty for an end of file.
struct ReadFailure {
  IoError error;
  std::string_view value;
};

// One read statement: starts with a new record and stores each value converted to its
// item's type. On failure the items before the failing one hold their new values.
std::optional<ReadFailure> read_list_items(text::RecordSource& source,
                                           std::initializer_list<InItem> items);

// Conversion of one value token (no separators in it). Integers: [sign]digits, b#digits
// (base 2 to 36) or #digits (base 16), within the 32-bit range. Reals: [sign] digits with
// an optional point and an optional exponent written with E or D (either case),
// correctly rounded to the nearest float; beyond the largest float fails, a value that
// rounds to zero is stored as a zero of its sign.
std::optional<IoError> convert_integer(std::string_view token, int& value);
std::optional<IoError> convert_real(std::string_view token, float& value);

}  // namespace polylsq::recio::detail
