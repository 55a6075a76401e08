// The comparison that `polylsq check` shows: the seven figures of the legacy result file
// (B(1) to B(6), R-squared in percent) beside the accurate fit's, each legacy figure marked
// when the accurate fit contradicts it, and the polynomial of the printed coefficients
// against the accurate curve. Pure functions.
#pragma once

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

struct FigureComparison {
  std::string name;                     // "B(1)" .. "B(6)", "R-squared"
  std::string legacy_text;              // as in the result file: "      .204"
  std::string accurate_text;            // the accurate value in the same field
  std::optional<double> accurate_value; // in full; undefined for R-squared of constant y
  bool marked = false;
  std::string reason;                   // why it is marked; empty when not
};

struct CheckReport {
  std::vector<FigureComparison> figures;  // the seven, in result-file order
  std::size_t marked_count = 0;
  // The printed coefficients' polynomial against the accurate fit; undefined when a
  // coefficient's field holds no number.
  std::optional<CurveComparison> curve;
  std::string verdict;                    // one line
  std::vector<std::string> warnings;      // of the data's reader
  bool contradicted() const { return marked_count > 0 || (curve && curve->marked); }
};

// Compares the legacy figures with the accurate fit (its coefficients above its degree count
// as 0). A legacy figure is marked when it is a field of asterisks; when it and the
// accurate value printed the same way differ by more than one unit in the last printed
// digit (a NaN text against a defined value or the reverse included); or, for a
// coefficient printed as .000, when its term moves the fitted values over the data's x
// range by more than 0.1% of the range of y. The curve of B(1) .. B(6) as read back from
// their fields is compared over the data's x range (compare_printed_curve). The verdict
// names the marked figures and a marked curve, or why the curve is not evaluated.
CheckReport compare_with_legacy(const LegacyResults& legacy, const accurate::PolynomialFit& fit,
                                const DataExtent& extent);

// `value` laid out as the legacy result file lays out a figure: w characters with d
// decimals, no zero before the point ("      .204", "     -.956"), no minus sign when the
// shown digits are all zero, w asterisks when it does not fit.
std::string legacy_style_field(double value, int w, int d);

// The text table: figure, legacy text, accurate text, accurate value in full, the reason of
// each mark; the curve's largest difference, where, both values there and the limit; the
// verdict; the warnings.
std::string check_text(const CheckReport& report);

// One JSON object: "figures" (name, legacy_text, accurate_text, accurate_value, marked,
// reason: null when not marked), "marked" (their count), "curve" (max_difference, at_x,
// printed_value, accurate_value, limit, marked; null when not evaluated, a number beyond
// the doubles null), "verdict", "legacy_messages" (the lines the legacy computation showed),
// "warnings".
std::string check_json(const CheckReport& report, const std::vector<std::string>& legacy_messages);

}  // namespace polylsq::app
