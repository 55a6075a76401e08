// The fitted polynomial as one equation for people to read, as R and spreadsheets show a
// trend line: "Volume = 10.78627 - 2.092140 Girth + 0.2545376 Girth^2".
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "app/report_text.h"

namespace polylsq::app {

// Significant digits of the equation's coefficients.
inline constexpr int kEquationDigits = 7;

// "y_name = c0 + c1 x_name + c2 x_name^2 ...": the terms in ascending powers (every term,
// a zero one too), each coefficient with kEquationDigits significant digits
// (fixed_significant), a negative one after the first written as " - " and its magnitude.
// Lines of at most `width` characters, broken only before a term's sign, later lines
// indented under the first term (by at most half the width). Ends with a line end.
std::string equation_text(std::span<const double> coefficients, std::string_view y_name,
                          std::string_view x_name, std::size_t width = kReportWidth);

}  // namespace polylsq::app
