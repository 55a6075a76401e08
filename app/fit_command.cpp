// `polylsq fit`: data reader -> the degree of each series (given, or chosen from its degree
// table) -> the accurate fit of each series -> predictions and intervals -> text or JSON
// report -> the files asked for (picture, residuals, predictions).
#include "app/fit_command.h"

#include <iostream>
#include <vector>

#include "accurate/fit_limits.h"
#include "app/atomic_file.h"
#include "app/command_status.h"
#include "app/data_input.h"
#include "app/degree_choice.h"
#include "app/fit_json.h"
#include "app/fit_picture.h"
#include "app/fit_report.h"
#include "app/fit_series.h"
#include "app/output_target.h"
#include "app/result_tables.h"
#include "input/data_reader.h"

namespace polylsq::app {
namespace {

std::vector<InputFile> inputs_of(const FitRun& run) {
  std::vector<InputFile> inputs{{"the data file", run.input.data_file}};
  if (!run.at_file.empty()) inputs.push_back({"the --at-file file", run.at_file});
  return inputs;
}

// The files that `run` writes besides its report.
std::vector<OutputRequest> outputs_of(const FitRun& run) {
  std::vector<OutputRequest> outputs;
  if (!run.plot_file.empty()) outputs.push_back({"--plot", run.plot_file, OutputKind::kPicture});
  if (!run.residuals_file.empty()) outputs.push_back({"--residuals", run.residuals_file, OutputKind::kTable});
  if (!run.predictions_file.empty()) {
    outputs.push_back({"--predictions", run.predictions_file, OutputKind::kTable});
  }
  return outputs;
}

// The degree of the fit: --degree, else the data file's; or the exit status of its absence.
// With --degree auto each series chooses its own (fit_one_series), and this is 0.
Expected<int> degree_of(const FitRun& run, const input::DataSet& data, const std::string& name) {
  if (run.input.auto_degree) return 0;
  if (!run.input.degree && !data.file_degree) {
    return Error{ErrorKind::kInvalidArgument, name + " holds plain columns: --degree is required"};
  }
  const int degree = run.input.degree ? *run.input.degree : *data.file_degree;
  if (degree < 0 || degree > accurate::kMaxDegree) {
    return Error{ErrorKind::kBadData, name + ": the degree on its first line is " + std::to_string(degree) +
                                          "; the accurate fit takes 0 to " + std::to_string(accurate::kMaxDegree) +
                                          " (--degree overrides it)"};
  }
  return degree;
}

// What is asked of every series: the x of --at, then those of --at-file (its reader's
// warnings added to `warnings`).
Expected<SeriesRequest> request_of(const FitRun& run, int degree, std::vector<std::string>& warnings) {
  SeriesRequest request{degree, run.at, run.level, run.confint};
  if (run.at_file.empty()) return request;
  const Expected<input::XValues> values = read_prediction_x(run.at_file);
  if (!values) return values.error();
  request.at.insert(request.at.end(), values->x.begin(), values->x.end());
  warnings.insert(warnings.end(), values->warnings.begin(), values->warnings.end());
  return request;
}

// The fit of `series` at the degree of `request`, or with --degree auto at the one the
// criterion recommends from the series' own degree table (said in the result, with the
// choice's warnings first).
Expected<SeriesResult> fit_one_series(const FitRun& run, const input::Series& series, SeriesRequest request) {
  if (!run.input.auto_degree) return fit_series(series, request);
  const Expected<DegreeChoice> choice = choose_degree(series, run.criterion, run.max_degree);
  if (!choice) return choice.error();
  request.degree = choice->degree;
  Expected<SeriesResult> result = fit_series(series, request);
  if (!result) return result;
  result->degree_chosen_by = DegreeChosenBy{criterion_name(run.criterion), choice->reason};
  result->warnings.insert(result->warnings.begin(), choice->warnings.begin(), choice->warnings.end());
  return result;
}

// The fit of every series, in order; or the first failure, named after the data (and the
// series, when there are several).
Expected<std::vector<SeriesResult>> fit_every_series(const FitRun& run, const input::DataSet& data,
                                                     const SeriesRequest& request, const std::string& name) {
  std::vector<SeriesResult> results;
  const bool several = data.series.size() > 1;
  for (const input::Series& series : data.series) {
    Expected<SeriesResult> result = fit_one_series(run, series, request);
    if (!result) {
      return Error{result.error().kind,
                   name + (several ? " (" + series.name + ")" : "") + ": " + result.error().message};
    }
    results.push_back(std::move(*result));
  }
  return results;
}

// A warning in each series whose band cannot be drawn.
void warn_of_undefined_bands(std::vector<SeriesResult>& results) {
  for (SeriesResult& result : results) {
    const accurate::PolynomialFit& fit = result.fit;
    if (fit.anova.error_df > 0) continue;
    result.warnings.push_back("--band: no confidence band is drawn: " + std::to_string(fit.n) +
                              " observations leave no degrees of freedom for the error of " +
                              std::to_string(fit.degree + 1) + " coefficients");
  }
}

// Writes the files asked for, each whole or not at all whatever becomes of the others.
int write_outputs(const FitRun& run, std::span<const SeriesResult> results, const PictureSource& picture) {
  int status = kExitResults;
  const auto write = [&status](const Expected<void>& written) {
    if (!written) status = fail(written.error().message);
  };
  if (!run.plot_file.empty()) {
    PictureExtras extras;
    if (run.band) extras.band_level = run.level;
    write(draw_fit(run.plot_file, results, picture, extras));
  }
  if (!run.residuals_file.empty()) write(write_file_atomically(run.residuals_file, residuals_csv(results)));
  if (!run.predictions_file.empty()) write(write_file_atomically(run.predictions_file, predictions_csv(results)));
  return status;
}

}  // namespace

int run_fit(const FitRun& run) {
  if (const Expected<void> allowed = refuse_outputs(inputs_of(run), outputs_of(run), run.force); !allowed) {
    return fail(allowed.error().message, kExitUsage);
  }
  const std::string name = data_display_name(run.input.data_file);
  // the residual table is the one output that names each observation's line
  const input::ReadOptions options = read_options_of(run.input, !run.residuals_file.empty());
  const Expected<input::DataSet> observations = read_observations(run.input.data_file, options);
  if (!observations) return fail(observations.error().message);
  const input::DataSet& data = *observations;
  const Expected<int> degree = degree_of(run, data, name);
  if (!degree) {
    return degree.error().kind == ErrorKind::kInvalidArgument ? usage_error(degree.error().message, "fit")
                                                              : fail(degree.error().message);
  }

  FitSource source{name, run.input.data_file, data.format == input::DataFormat::kDataFile ? "data file" : "columns",
                   data.x_header.value_or("x"), data.warnings};
  const Expected<SeriesRequest> request = request_of(run, *degree, source.warnings);
  if (!request) return fail(request.error().message);
  Expected<std::vector<SeriesResult>> results = fit_every_series(run, data, *request, name);
  if (!results) return fail(results.error().message);
  if (run.band) warn_of_undefined_bands(*results);

  const ReportOptions report{run.digits, run.level, run.confint, run.covariance};
  std::cout << (run.json ? fit_json(source, *results, report) : fit_text(source, *results, report)) << std::flush;
  return write_outputs(run, *results, {name, source.x_name, run.picture});
}

}  // namespace polylsq::app
