// The picture of fits: the plot module's request filled from the data and the fits.
#include "app/fit_picture.h"

#include <limits>

#include "accurate/prediction.h"
#include "app/atomic_file.h"
#include "app/fit_report.h"
#include "app/output_target.h"
#include "app/printed_curve.h"
#include "app/report_text.h"
#include "plot/svg_plot.h"

namespace polylsq::app {
namespace {

constexpr int kTitleDigits = 6;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();  // no band here

// "degree 2, n = 20, R² = 0.998364"; "degree 1, n = 4 (and 1 of weight 0, not used), R² = 0.95"
std::string fit_summary(const accurate::PolynomialFit& fit) {
  const std::string r_squared = fit.r_squared ? "R² = " + significant(fit.r_squared, kTitleDigits)
                                              : "R² undefined";
  const std::string unused = fit.zero_weight_count == 0
                                 ? ""
                                 : " (and " + std::to_string(fit.zero_weight_count) +
                                       " of weight 0, not used)";
  return "degree " + std::to_string(fit.degree) + ", n = " + std::to_string(fit.n) + unused + ", " +
         r_squared;
}

std::string default_title(std::span<const SeriesResult> series, const std::string& data_name) {
  if (series.size() == 1) return data_name + ": " + fit_summary(series.front().fit);
  return data_name + ": degree " + std::to_string(series.front().fit.degree);
}

// The names of the series, joined: "Height, Volume".
std::string y_names(std::span<const SeriesResult> series) {
  std::string names;
  for (const SeriesResult& one : series) names += (names.empty() ? "" : ", ") + y_name_of(one);
  return names;
}

std::string series_label(const SeriesResult& series) { return series.data->name; }

plot::Curve curve_of(const accurate::PolynomialFit& fit, std::string label) {
  return {[&fit](double x) { return accurate::evaluate(fit, x); }, std::move(label), false};
}

std::optional<plot::Band> band_of(const accurate::PolynomialFit& fit, const PictureExtras& extras) {
  if (!extras.band_level || fit.anova.error_df <= 0) return std::nullopt;  // undefined: none drawn
  const double level = *extras.band_level;
  return plot::Band{[&fit, level](double x) {
                      const auto at = accurate::predict(fit, x, level);
                      if (!at || !at->confidence) return std::pair(kNaN, kNaN);
                      return std::pair(at->confidence->lower, at->confidence->upper);
                    },
                    significant(level * 100, kTitleDigits) + "% confidence band"};
}

std::vector<bool> not_fitted_of(const input::Series& data) {
  std::vector<bool> not_fitted;
  for (const double weight : data.w) not_fitted.push_back(weight == 0.0);
  return not_fitted;
}

}  // namespace

plot::PlotRequest picture_request(std::span<const SeriesResult> series, const PictureSource& source,
                                  const PictureExtras& extras) {
  const SeriesResult& first = series.front();
  plot::PlotRequest request;
  request.x = first.data->x;
  request.y = first.data->y;
  request.not_fitted = not_fitted_of(*first.data);
  const PictureTexts& texts = source.texts;
  request.title = texts.title.empty() ? default_title(series, source.data_name) : texts.title;
  request.x_label = texts.x_label.empty() ? source.x_name : texts.x_label;
  request.y_label = texts.y_label.empty() ? y_names(series) : texts.y_label;
  const bool compared = extras.printed_coefficients.has_value();
  request.curves.push_back(curve_of(first.fit, compared ? "accurate fit" : "fit"));
  request.band = band_of(first.fit, extras);
  if (compared) {
    const std::vector<double>& printed = *extras.printed_coefficients;
    request.curves.push_back({[&printed](double x) { return printed_curve_value(printed, x); },
                              "result file", true});
  }
  if (series.size() > 1) request.observations_label = series_label(first);
  for (std::size_t k = 1; k < series.size(); ++k) {
    const SeriesResult& one = series[k];
    request.more_series.push_back({one.data->x, one.data->y, not_fitted_of(*one.data), series_label(one),
                                   curve_of(one.fit, series_label(one)), band_of(one.fit, extras)});
  }
  return request;
}

Expected<void> draw_fit(const std::string& path, std::span<const SeriesResult> series, const PictureSource& source,
                        const PictureExtras& extras) {
  return write_file_atomically(path, with_generator_mark(plot::render_svg(picture_request(series, source, extras))));
}

}  // namespace polylsq::app
