// The equation line of a fit.
#include "app/fit_equation.h"

#include <algorithm>
#include <vector>

namespace polylsq::app {
namespace {

// "2.092140 Girth^2" for power 2: the coefficient as given and the power of x.
std::string term(double coefficient, std::size_t power, std::string_view x_name) {
  std::string out = fixed_significant(coefficient, kEquationDigits);
  if (power >= 1) out += " " + std::string(x_name);
  if (power >= 2) out += "^" + std::to_string(power);
  return out;
}

}  // namespace

std::string equation_text(std::span<const double> coefficients, std::string_view y_name,
                          std::string_view x_name, std::size_t width) {
  const std::string start = std::string(y_name) + " = ";
  std::vector<std::string> pieces;  // "y = c0", then each term with its sign
  for (std::size_t k = 0; k < coefficients.size(); ++k) {
    const double c = coefficients[k];
    if (k == 0) {
      pieces.push_back(start + term(c, k, x_name));
    } else {
      pieces.push_back((c < 0 ? "- " : "+ ") + term(c < 0 ? -c : c, k, x_name));
    }
  }
  const std::string indent(std::min(start.size(), width / 2), ' ');
  return wrapped(pieces, width, "", indent);
}

}  // namespace polylsq::app
