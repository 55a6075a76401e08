// The picture of an accurate fit that `fit --plot` and `check --plot` write: the
// observations (those of weight 0 hollow, without residuals), the accurate curve with its
// residuals and, for `check`, the curve of the result file's printed coefficients.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "accurate/polynomial_fit.h"
#include "input/data_reader.h"
#include "text/expected.h"

namespace polylsq::app {

struct PictureExtras {
  // The result file's coefficients as a caller reads them back (constant term first):
  // drawn dashed as "result file", the accurate curve then labelled "accurate fit".
  std::optional<std::vector<double>> printed_coefficients;
  // The confidence level of a band of the fitted mean shaded around the curve; none when
  // empty.
  std::optional<double> band_level;
};

// Draws the picture into the SVG file `path`, completely or not at all. Errors: those of
// write_file_atomically.
Expected<void> draw_fit(const std::string& path, const input::Series& data, const accurate::PolynomialFit& fit,
                        const PictureExtras& extras);

}  // namespace polylsq::app
