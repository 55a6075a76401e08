// The picture of a fit: the plot module's request filled from the data and the fit.
#include "app/fit_picture.h"

#include <limits>

#include "accurate/prediction.h"
#include "app/atomic_file.h"
#include "app/printed_curve.h"
#include "app/output_target.h"
#include "app/report_text.h"
#include "plot/svg_plot.h"

namespace polylsq::app {
namespace {

constexpr int kTitleDigits = 6;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();  // no band here

// "degree 2, n = 20, R² = 0.998364"; "degree 1, n = 4 (and 1 of weight 0, not used), R² = 0.95"
std::string title_of(const accurate::PolynomialFit& fit) {
  const std::string r_squared = fit.r_squared ? "R² = " + significant(fit.r_squared, kTitleDigits)
                                              : "R² undefined";
  const std::string unused = fit.zero_weight_count == 0
                                 ? ""
                                 : " (and " + std::to_string(fit.zero_weight_count) +
                                       " of weight 0, not used)";
  return "degree " + std::to_string(fit.degree) + ", n = " + std::to_string(fit.n) + unused + ", " +
         r_squared;
}

}  // namespace

Expected<void> draw_fit(const std::string& path, const input::Series& data, const accurate::PolynomialFit& fit,
                        const PictureExtras& extras) {
  plot::PlotRequest request;
  request.x = data.x;
  request.y = data.y;
  request.title = title_of(fit);
  for (const double weight : data.w) request.not_fitted.push_back(weight == 0.0);
  const bool compared = extras.printed_coefficients.has_value();
  request.curves.push_back({[&fit](double x) { return accurate::evaluate(fit, x); },
                            compared ? "accurate fit" : "fit", false});
  if (extras.band_level) {
    const double level = *extras.band_level;
    request.band = plot::Band{[&fit, level](double x) {
                                const auto at = accurate::predict(fit, x, level);
                                if (!at || !at->confidence) return std::pair(kNaN, kNaN);
                                return std::pair(at->confidence->lower, at->confidence->upper);
                              },
                              significant(level * 100, kTitleDigits) + "% confidence band"};
  }
  if (compared) {
    const std::vector<double>& printed = *extras.printed_coefficients;
    request.curves.push_back({[&printed](double x) { return printed_curve_value(printed, x); },
                              "result file", true});
  }
  return write_file_atomically(path, with_generator_mark(plot::render_svg(request)));
}

}  // namespace polylsq::app
