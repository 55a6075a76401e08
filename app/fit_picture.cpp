// The picture of a fit: the plot module's request filled from the data and the fit.
#include "app/fit_picture.h"

#include <limits>

#include "accurate/prediction.h"
#include "app/atomic_file.h"
#include "app/fit_report.h"
#include "plot/svg_plot.h"

namespace polylsq::app {
namespace {

constexpr int kTitleDigits = 6;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();  // no band here

// "degree 2, n = 20, R² = 0.998364"
std::string title_of(const accurate::PolynomialFit& fit) {
  const std::string r_squared = fit.r_squared ? "R² = " + significant(fit.r_squared, kTitleDigits)
                                              : "R² undefined";
  return "degree " + std::to_string(fit.degree) + ", n = " + std::to_string(fit.n) + ", " + r_squared;
}

// The power series at x by Horner's rule in double: enough for a curve on a picture.
double power_series(const std::vector<double>& coefficients, double x) {
  double value = 0.0;
  for (auto c = coefficients.rbegin(); c != coefficients.rend(); ++c) value = value * x + *c;
  return value;
}

}  // namespace

std::optional<std::string> draw_fit(const std::string& path, const input::DataSet& data,
                                    const accurate::PolynomialFit& fit, const PictureExtras& extras) {
  plot::PlotRequest request;
  request.x = data.x;
  request.y = data.y;
  request.title = title_of(fit);
  const bool compared = extras.legacy_coefficients.has_value();
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
    const std::vector<double>& legacy = *extras.legacy_coefficients;
    request.curves.push_back({[&legacy](double x) { return power_series(legacy, x); }, "legacy run", true});
  }
  return write_file_atomically(path, plot::render_svg(request));
}

}  // namespace polylsq::app
