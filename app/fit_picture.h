// The picture of accurate fits that `fit --plot` and `check --plot` write: the observations
// of every series (those of weight 0 hollow, without residuals), each accurate curve with
// its residuals and, for `check`, the curve of the result file's printed coefficients;
// named after the data unless the command line names them.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/fit_series.h"
#include "plot/plot_request.h"
#include "text/expected.h"

namespace polylsq::app {

struct PictureExtras {
  // The result file's coefficients as a caller reads them back (constant term first):
  // drawn dashed as "result file", the accurate curve then labelled "accurate fit".
  std::optional<std::vector<double>> printed_coefficients;
  // The confidence level of a band of the fitted mean shaded around each curve; none when
  // empty.
  std::optional<double> band_level;
};

// What the picture is named after.
struct PictureSource {
  std::string data_name;  // the data's display name
  std::string x_name;     // the x column's header name, else "x"
  PictureTexts texts;     // the command line's; an empty one is taken from the data
};

// The plot request of `series` (at least one; the request refers to them and to their
// data): title "DATA: degree D, n = N, R² = R" for one series, "DATA: degree D" for
// several; x axis titled by the x name, y axis by the series' names (or "y"); with several
// series a legend row per series named after it.
plot::PlotRequest picture_request(std::span<const SeriesResult> series, const PictureSource& source,
                                  const PictureExtras& extras);

// Draws the picture into the SVG file `path`, completely or not at all. Errors: those of
// write_file_atomically.
Expected<void> draw_fit(const std::string& path, std::span<const SeriesResult> series, const PictureSource& source,
                        const PictureExtras& extras);

}  // namespace polylsq::app
