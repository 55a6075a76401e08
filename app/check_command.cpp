// `polylsq check`: legacy fit -> accurate fit -> comparison -> optional picture.
#include "app/check_command.h"

#include <algorithm>
#include <iostream>
#include <new>
#include <string_view>

#include "accurate/polynomial_fit.h"
#include "app/check_comparison.h"
#include "app/check_input.h"
#include "app/check_report.h"
#include "app/command_status.h"
#include "app/data_input.h"
#include "app/fit_picture.h"
#include "app/output_target.h"
#include "app/program.h"
#include "fit/curve_fit_driver.h"
#include "input/data_reader.h"
#include "recio/fpenv.h"
#include "recio/io.h"
#include "recio/platform.h"
#include "support/index.h"

namespace polylsq::app {
namespace {

// The legacy computation on `contents` and the console lines it showed.
struct LegacyHalf {
  LegacyFit fit;
  std::string console;  // the bytes shown, CR LF line ends included
};

// The console lines of the legacy computation, without their CR LF ends.
std::vector<std::string> lines_of(std::string_view console) {
  std::vector<std::string> lines;
  while (!console.empty()) {
    const std::size_t end = console.find("\r\n");
    lines.emplace_back(console.substr(0, end));
    console.remove_prefix(end == std::string_view::npos ? console.size() : end + 2);
  }
  return lines;
}

// Runs the legacy computation with the traps on, its console shown on standard output (on
// standard error with --json) and kept. It may end the process as the legacy run ends.
// Returns with the traps held for the accurate half; standard output that failed is then
// marked bad, to be reported when the command ends.
LegacyHalf run_legacy_half(const std::string& name, const std::string& contents, bool json) {
  recio::enable_fp_traps();
  LegacyHalf half;
  bool console_failed = false;
  const auto shown_on =
      json ? recio::platform::OutputStream::kStandardError : recio::platform::OutputStream::kStandardOutput;
  recio::set_console_sink([&half, &console_failed, shown_on](std::string_view bytes) {
    half.console.append(bytes);
    const bool written = recio::platform::write_all(shown_on, bytes);
    if (!written && shown_on == recio::platform::OutputStream::kStandardOutput) console_failed = true;
  });
  half.fit = legacy_fit(name, contents);
  recio::end_console_line();
  recio::set_console_sink(nullptr);
  if (console_failed) std::cout.setstate(std::ios::badbit);
  return half;
}

DataExtent extent_of(const input::Series& data) {
  const auto [x_low, x_high] = std::minmax_element(data.x.begin(), data.x.end());
  const auto [y_low, y_high] = std::minmax_element(data.y.begin(), data.y.end());
  return {*x_low, *x_high, *y_low, *y_high};
}

// The accurate fit at the legacy degree; where the data hold too few distinct x for it,
// at the degree the legacy run could fit (it warns and fits that one).
Expected<accurate::PolynomialFit> fit_at_legacy_degree(const input::Series& data, const LegacyFit& legacy) {
  Expected<accurate::PolynomialFit> fit = accurate::fit_polynomial(data.x, data.y, {}, legacy.NDEG);
  if (!fit && fit.error().kind == ErrorKind::kTooFewDistinctX) {
    Vec<const float> fitstat(legacy.FITSTAT);
    const int fitted = static_cast<int>(fitstat(fitstat_slot::kDfRegression));
    fit = accurate::fit_polynomial(data.x, data.y, {}, fitted);
  }
  return fit;
}

LegacyResults results_of(const LegacyFit& legacy) {
  LegacyResults results;
  std::copy(std::begin(legacy.B), std::end(legacy.B), results.coefficients);
  results.r_squared_percent = Vec<const float>(legacy.FITSTAT)(fitstat_slot::kRSquared);
  return results;
}

// The data as both halves read them: the accurate reader's observations and the bytes the
// legacy computation reads. Without a degree or columns on the command line, the data file
// itself; else a legacy data file made from the observations.
struct CheckInput {
  input::DataSet data;
  std::string legacy_contents;
};

Expected<CheckInput> check_input_of(const InputOptions& input, const std::string& name, std::string contents) {
  const bool chosen = input.columns_chosen() || input.degree;
  input::ReadOptions options = read_options_of(input, true);
  options.data_file_only = !chosen;
  Expected<input::DataSet> read = read_observations(input.data_file, options, contents);
  if (!read) return read.error();
  if (!chosen) return CheckInput{std::move(*read), std::move(contents)};
  if (!input.degree && !read->file_degree) {
    return Error{ErrorKind::kInvalidArgument, name + " holds plain columns: --degree is required"};
  }
  const int degree = input.degree ? *input.degree : *read->file_degree;
  std::string legacy = legacy_data_of(*read, contents, degree);
  return CheckInput{std::move(*read), std::move(legacy)};
}

}  // namespace

int run_check(const CheckRun& run) {
  std::vector<OutputRequest> outputs;
  if (!run.plot_file.empty()) outputs.push_back({"--plot", run.plot_file, OutputKind::kPicture});
  if (const Expected<void> allowed = refuse_outputs({{"the data file", run.input.data_file}}, outputs, run.force);
      !allowed) {
    return fail(allowed.error().message, kExitUsage);
  }
  // Read once: a pipe gives its bytes to one reader only.
  const std::string name = data_display_name(run.input.data_file);
  Expected<std::string> contents = read_whole_data(run.input.data_file);
  if (!contents) return fail(contents.error().message);
  const bool chosen = run.input.columns_chosen() || run.input.degree;
  // Chosen columns are read before the legacy half, which reads the file made of them.
  Expected<CheckInput> read = chosen ? check_input_of(run.input, name, std::move(*contents))
                                     : CheckInput{{}, std::move(*contents)};
  if (!read) {
    return read.error().kind == ErrorKind::kInvalidArgument ? usage_error(read.error().message, "check")
                                                            : fail(read.error().message);
  }

  const LegacyHalf legacy = run_legacy_half(name, read->legacy_contents, run.json);
  const recio::TrapsHeld accurate_side;  // the accurate fit and the report: no traps
  // Memory that the accurate half cannot get is its own error, reported as `fit` reports
  // it, not the legacy run-time's ALLOCATE report.
  std::set_new_handler(nullptr);

  if (!chosen) {
    read = check_input_of(run.input, name, std::move(read->legacy_contents));
    if (!read) return fail(read.error().message);
  }
  const input::Series& data = read->data.series.front();
  const Expected<accurate::PolynomialFit> fit = fit_at_legacy_degree(data, legacy.fit);
  if (!fit) return fail(name + ": " + fit.error().message);

  const CheckComparison comparison = compare_with_legacy(results_of(legacy.fit), *fit, extent_of(data));
  const std::vector<std::string>& warnings = read->data.warnings;
  if (run.json) {
    std::cout << check_json(comparison, lines_of(legacy.console), warnings);
  } else {
    std::cout << (legacy.console.empty() ? "" : "\n") << check_text(comparison, warnings);
  }
  std::cout << std::flush;

  if (!run.plot_file.empty()) {
    PictureExtras extras;
    if (comparison.curve) extras.printed_coefficients = comparison.curve->printed_coefficients;
    SeriesResult drawn_series;
    drawn_series.data = &data;
    drawn_series.fit = *fit;
    const PictureSource source{name, read->data.x_header.value_or("x"), run.picture};
    if (const Expected<void> drawn = draw_fit(run.plot_file, {&drawn_series, 1}, source, extras); !drawn) {
      return fail(drawn.error().message);
    }
  }
  return comparison.contradicted() ? kExitCheckDisagrees : kExitResults;
}

}  // namespace polylsq::app
