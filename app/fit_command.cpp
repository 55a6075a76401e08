// `polylsq fit`: data reader -> accurate fit -> predictions -> text or JSON report ->
// the files asked for (picture, residuals).
#include "app/fit_command.h"

#include <algorithm>
#include <iostream>
#include <vector>

#include "accurate/fit_limits.h"
#include "accurate/polynomial_fit.h"
#include "accurate/prediction.h"
#include "app/atomic_file.h"
#include "app/command_status.h"
#include "app/data_input.h"
#include "app/fit_picture.h"
#include "app/fit_report.h"
#include "app/output_target.h"
#include "app/report_text.h"
#include "input/data_reader.h"

namespace polylsq::app {
namespace {

// The data of `run`, or why there is none.
Expected<input::DataSet> observations_of(const FitRun& run) {
  input::ReadOptions options;
  options.weights = run.weights;
  return read_observations(run.data_file, options);
}

// The files that `run` writes besides its report.
std::vector<OutputRequest> outputs_of(const FitRun& run) {
  std::vector<OutputRequest> outputs;
  if (!run.plot_file.empty()) outputs.push_back({"--plot", run.plot_file, OutputKind::kPicture});
  if (!run.residuals_file.empty()) outputs.push_back({"--residuals", run.residuals_file, OutputKind::kTable});
  return outputs;
}

// The predictions asked for, each beyond the x range of the observations used named in a
// warning; or why one cannot be made.
Expected<Predictions> predictions_of(const FitRun& run, const input::Series& data,
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
std::string residuals_csv(const input::Series& data, const accurate::PolynomialFit& fit) {
  const bool weighted = !data.w.empty();
  std::string out(weighted ? kWeightedResidualsHeader : kResidualsHeader);
  out += "\n";
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
  if (const Expected<void> allowed = refuse_outputs(run.data_file, outputs_of(run), run.force); !allowed) {
    return fail(allowed.error().message, kExitUsage);
  }
  const std::string name = data_display_name(run.data_file);
  const Expected<input::DataSet> observations = observations_of(run);
  if (!observations) return fail(observations.error().message);
  const input::DataSet& data = *observations;
  const input::Series& series = data.series.front();

  if (!run.degree && !data.file_degree) return usage_error(name + " holds plain columns: --degree is required", "fit");
  const int degree = run.degree ? *run.degree : *data.file_degree;
  if (degree < 0 || degree > accurate::kMaxDegree) {
    return fail(name + ": the degree on its first line is " + std::to_string(degree) +
                "; the accurate fit takes 0 to " + std::to_string(accurate::kMaxDegree) +
                " (--degree overrides it)");
  }

  const auto fit = accurate::fit_polynomial(series.x, series.y, series.w, degree);
  if (!fit) return fail(name + ": " + fit.error().message);

  FitSource source{name, data.format == input::DataFormat::kDataFile ? "data file" : "columns",
                   data.warnings};
  const bool band_defined = fit->anova.error_df > 0;
  if (run.band && !band_defined) {
    source.warnings.push_back("--band: no confidence band is drawn: " + std::to_string(fit->n) +
                              " observations leave no degrees of freedom for the error of " +
                              std::to_string(fit->degree + 1) + " coefficients");
  }
  const Expected<Predictions> predictions = predictions_of(run, series, *fit, source.warnings);
  if (!predictions) return fail(predictions.error().message);
  const Predictions& asked = *predictions;
  std::cout << (run.json ? fit_json(*fit, source, asked) : fit_text(*fit, source, asked))
            << std::flush;

  // Each file is written whole or not at all, whatever becomes of the other.
  int status = kExitResults;
  if (!run.plot_file.empty()) {
    PictureExtras extras;
    if (run.band && band_defined) extras.band_level = run.level;
    if (const Expected<void> drawn = draw_fit(run.plot_file, series, *fit, extras); !drawn) {
      status = fail(drawn.error().message);
    }
  }
  if (!run.residuals_file.empty()) {
    if (const Expected<void> written = write_file_atomically(run.residuals_file, residuals_csv(series, *fit));
        !written) {
      status = fail(written.error().message);
    }
  }
  return status;
}

}  // namespace polylsq::app
