// Pieces of the messages that name bad input: a value quoted as written, the line it
// stands on, a count with its noun, a double's shortest text. The legacy run's read
// reports and the accurate face's messages quote a value with the same function.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace polylsq::text {

// Longest part of a value that a message quotes, in bytes.
constexpr std::size_t kQuotedValueBytes = 40;

// `value` between double quotes, as written: printable ASCII and valid UTF-8 as they are,
// quotes and backslashes escaped, any other byte as \xNN (lower-case hex). A value longer
// than kQuotedValueBytes is cut there, never inside a UTF-8 sequence, with "..." after
// the closing quote.
// "3.O512" -> "\"3.O512\"";  "a\"b\x01" -> "\"a\\\"b\\x01\""
std::string quote_value(std::string_view value);

// "line 7: " followed by `what`.
std::string at_line(std::size_t line, std::string_view what);

// "1 value", "3 values": `count` and the noun, with an "s" unless the count is 1.
std::string counted(std::uint64_t count, std::string_view noun);

// The shortest text that reads back as `value` ("0.1", "1e+300", "inf", "nan").
std::string shortest_text(double value);

}  // namespace polylsq::text
