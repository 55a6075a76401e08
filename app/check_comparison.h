// What `polylsq check` compares: the seven figures of the legacy result file (B(1) to B(6),
// R-squared in percent) against the accurate fit's, each printed in the legacy field by
// the legacy F editing, each legacy figure marked when the accurate fit contradicts it;
// and the polynomial of the printed coefficients against the accurate curve. Pure
// functions: figures in, marks out.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "accurate/polynomial_fit.h"
#include "app/printed_curve.h"
#include "app/program.h"

namespace polylsq::app {

// The legacy results as the legacy run computed them.
struct LegacyResults {
  float coefficients[kLegacyCoefficients] = {};  // B(1) .. B(6), constant term first
  float r_squared_percent = 0.0f;
};

// The extent of the data, which decides whether a ".000" hides a term that matters.
struct DataExtent {
  double x_low = 0.0;
  double x_high = 0.0;
  double y_low = 0.0;
  double y_high = 0.0;
};

// A field of the result file: w characters, d decimals.
struct FieldFormat {
  int w = 0;
  int d = 0;
};
inline constexpr FieldFormat kCoefficientField{10, 3};  // B(1..6): F10.3
inline constexpr FieldFormat kRSquaredField{12, 4};     // R-squared: F12.4

struct FigureComparison {
  std::string name;                      // "B(1)" .. "B(6)", "R-squared"
  std::string legacy_text;               // as in the result file: "      .204"
  std::string accurate_text;             // the accurate value in the same field; "undefined"
  std::optional<double> accurate_value;  // in full; undefined for R-squared of constant y
  bool marked = false;
  std::string reason;                    // why it is marked; empty when not
};

struct CheckComparison {
  std::vector<FigureComparison> figures;  // the seven, in result-file order
  std::size_t marked_count = 0;
  // The printed coefficients' polynomial against the accurate fit; undefined when a
  // coefficient's field holds no number, which curve_not_evaluated then names
  // ("B(1) prints as \"**********\"").
  std::optional<CurveComparison> curve;
  std::string curve_not_evaluated;
  bool contradicted() const { return marked_count > 0 || (curve && curve->marked); }
};

// One figure: `legacy` and `accurate` laid out in `field` by the legacy F editing (the
// accurate value from its exact decimal, not rounded to float first), and the reason of
// the mark: the legacy field is asterisks; one value is a NaN or an infinity (for the
// accurate one: undefined) and the other not; or, when both fit their field, the numbers
// the two fields show differ by more than one unit in the last printed digit.
FigureComparison compare_figure(std::string name, float legacy, std::optional<double> accurate,
                                FieldFormat field);

// The seven figures against the accurate fit (its coefficients above its degree count as
// 0), each by compare_figure; a coefficient printed as .000 is also marked when its term
// moves the fitted values over the data's x range by more than 0.1% of the range of y. The
// curve of B(1) .. B(6) as read back from their fields is compared over the data's x range
// (compare_printed_curve).
CheckComparison compare_with_legacy(const LegacyResults& legacy, const accurate::PolynomialFit& fit,
                                    const DataExtent& extent);

}  // namespace polylsq::app
