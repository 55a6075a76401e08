// What `polylsq check` shows of its comparison (check_comparison.h): a text table for
// people and one JSON object for scripts, each with the same one-line verdict. Pure
// functions from the comparison to text.
#pragma once

#include <string>
#include <vector>

#include "app/check_comparison.h"

namespace polylsq::app {

// One line: the marked figures by name (or that every figure agrees), and the printed
// curve when it is marked, or why it is not evaluated.
std::string check_verdict(const CheckComparison& comparison);

// The text table: figure, legacy text, accurate text, accurate value in full, the reason of
// each mark; the curve's largest difference, where, both values there and the limit; the
// verdict; the warnings of the data's reader.
std::string check_text(const CheckComparison& comparison, const std::vector<std::string>& warnings);

// One JSON object: "figures" (name, legacy_text, accurate_text, accurate_value, marked,
// reason: null when not marked), "marked" (their count), "curve" (max_difference, at_x,
// printed_value, accurate_value, limit, marked; null when not evaluated, a number beyond
// the doubles null), "verdict", "legacy_messages" (the lines the legacy computation showed),
// "warnings".
std::string check_json(const CheckComparison& comparison, const std::vector<std::string>& legacy_messages,
                       const std::vector<std::string>& warnings);

}  // namespace polylsq::app
