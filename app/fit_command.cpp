// `polylsq fit`: data reader -> accurate fit -> predictions -> text or JSON report ->
// the files asked for (picture, residuals).
#include "app/fit_command.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iostream>

#include "accurate/fit_limits.h"
#include "accurate/polynomial_fit.h"
#include "accurate/prediction.h"
#include "app/atomic_file.h"
#include "app/fit_picture.h"
#include "app/fit_report.h"
#include "input/data_reader.h"
#include "recio/exit_status.h"
#include "recio/platform.h"

namespace polylsq::app {
namespace {

int fail(const std::string& message, int status = kExitRuntimeError) {
  std::cerr << "polylsq: " << message << "\n";
  return status;
}

// The data of `run`, or why there is none.
Expected<input::DataSet> read_observations(const FitRun& run, const std::string& name) {
  const bool from_input = run.data_file == "-";
  std::FILE* file = from_input ? stdin : recio::platform::open_c_file(run.data_file, "rb");
  if (file == nullptr) return Error{ErrorKind::kCannotRead, name + ": cannot be opened"};
  input::ReadOptions options;
  options.weights = run.weights;
  Expected<input::DataSet> result = input::read_data(file, name, options);
  if (!from_input) std::fclose(file);
  return result;
}

// The shortest text that reads back as `value`.
std::string exact_text(double value) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// The predictions asked for, each beyond the x range of the observations used named in a
// warning; or why one cannot be made.
Expected<Predictions> predictions_of(const FitRun& run, const input::DataSet& data,
                                     const accurate::PolynomialFit& fit,
                                     std::vector<std::string>& warnings) {
  Predictions predictions;
  predictions.level = run.level;
  double low = 0.0;
  double high = 0.0;
  bool any = false;
  for (std::size_t i = 0; i < data.x.size(); ++i) {
    if (!data.w.empty() && data.w[i] == 0.0) continue;  // not part of the fit
    low = any ? std::min(low, data.x[i]) : data.x[i];
    high = any ? std::max(high, data.x[i]) : data.x[i];
    any = true;
  }
  for (const double x : run.at) {
    const auto prediction = accurate::predict(fit, x, run.level);
    if (!prediction) {
      return Error{prediction.error().kind, "--at " + exact_text(x) + ": " + prediction.error().message};
    }
    predictions.rows.push_back({x, *prediction});
    if (x < low || x > high) {
      warnings.push_back("the prediction at x = " + exact_text(x) +
                         " extrapolates beyond the data's x range [" + exact_text(low) + ", " +
                         exact_text(high) + "]");
    }
  }
  return predictions;
}

// x, y, fitted value and residual of every observation (and its weight), as CSV.
std::string residuals_csv(const input::DataSet& data, const accurate::PolynomialFit& fit) {
  const bool weighted = !data.w.empty();
  std::string out = weighted ? "x,y,fitted,residual,weight\n" : "x,y,fitted,residual\n";
  for (std::size_t i = 0; i < data.x.size(); ++i) {
    const double fitted = accurate::evaluate(fit, data.x[i]);
    out += exact_text(data.x[i]) + "," + exact_text(data.y[i]) + "," + exact_text(fitted) + "," +
           exact_text(data.y[i] - fitted);
    if (weighted) out += "," + exact_text(data.w[i]);
    out += "\n";
  }
  return out;
}

}  // namespace

int run_fit(const FitRun& run) {
  const std::string name = run.data_file == "-" ? "standard input" : run.data_file;
  const Expected<input::DataSet> observations = read_observations(run, name);
  if (!observations) return fail(observations.error().message);
  const input::DataSet& data = *observations;

  if (!run.degree && !data.file_degree) {
    return fail(name + " holds plain columns: --degree is required\n"
                "Run 'polylsq fit --help' for usage.",
                kExitUsage);
  }
  const int degree = run.degree ? *run.degree : *data.file_degree;
  if (degree < 0 || degree > accurate::kMaxDegree) {
    return fail(name + ": the degree on its first line is " + std::to_string(degree) +
                "; the accurate fit takes 0 to " + std::to_string(accurate::kMaxDegree) +
                " (--degree overrides it)");
  }

  const auto fit = accurate::fit_polynomial(data.x, data.y, data.w, degree);
  if (!fit) return fail(name + ": " + fit.error().message);

  FitSource source{name, data.format == input::DataFormat::kDataFile ? "data file" : "columns",
                   data.warnings};
  const Expected<Predictions> predictions = predictions_of(run, data, *fit, source.warnings);
  if (!predictions) return fail(predictions.error().message);
  const Predictions& asked = *predictions;
  std::cout << (run.json ? fit_json(*fit, source, asked) : fit_text(*fit, source, asked))
            << std::flush;

  // Each file is written whole or not at all, whatever becomes of the other.
  int status = kExitResults;
  if (!run.plot_file.empty()) {
    PictureExtras extras;
    if (run.band) extras.band_level = run.level;
    if (auto error = draw_fit(run.plot_file, data, *fit, extras)) status = fail(*error);
  }
  if (!run.residuals_file.empty()) {
    if (auto error = write_file_atomically(run.residuals_file, residuals_csv(data, *fit))) {
      status = fail(*error);
    }
  }
  return status;
}

}  // namespace polylsq::app
