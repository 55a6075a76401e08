// Pieces of the data reader's messages: a line reference and the offending text quoted,
// cut to a readable length and safe to show on a terminal.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace polylsq::accurate {

// Longest part of an offending text that a message quotes, in bytes.
constexpr std::size_t kQuotedTextBytes = 40;

// `text` in double quotes: cut after kQuotedTextBytes (at a UTF-8 character boundary)
// with "..." added, control characters written as \xNN.
// "3.O512" -> "\"3.O512\""
std::string quoted(std::string_view text);

// "1 value", "3 values": `count` and the noun, with an "s" unless the count is 1.
std::string counted(std::size_t count, std::string_view noun);

// "line 7: " followed by `what`.
std::string at_line(std::size_t line, std::string_view what);

}  // namespace polylsq::accurate
