// `polylsq check`: legacy fit -> accurate fit -> comparison -> optional picture.
#include "app/check_command.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <new>
#include <string_view>

#include "accurate/polynomial_fit.h"
#include "app/check_report.h"
#include "app/data_input.h"
#include "app/fit_picture.h"
#include "app/output_target.h"
#include "app/program.h"
#include "fit/curve_fit_driver.h"
#include "input/data_reader.h"
#include "recio/exit_status.h"
#include "recio/fpenv.h"
#include "recio/io.h"
#include "recio/platform.h"
#include "support/index.h"

namespace polylsq::app {
namespace {

int fail(const std::string& message, int status = kExitRuntimeError) {
  std::cerr << "polylsq: " << message << "\n";
  return status;
}

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

DataExtent extent_of(const input::Series& data) {
  const auto [x_low, x_high] = std::minmax_element(data.x.begin(), data.x.end());
  const auto [y_low, y_high] = std::minmax_element(data.y.begin(), data.y.end());
  return {*x_low, *x_high, *y_low, *y_high};
}

}  // namespace

int run_check(const CheckRun& run) {
  std::vector<OutputRequest> outputs;
  if (!run.plot_file.empty()) outputs.push_back({"--plot", run.plot_file, OutputKind::kPicture});
  if (auto refusal = refuse_outputs(run.data_file, outputs, run.force)) return fail(*refusal, kExitUsage);
  // Read once: a pipe gives its bytes to one reader only.
  const std::string name = data_display_name(run.data_file);
  const Expected<std::string> read_once = read_whole_data(run.data_file);
  if (!read_once) return fail(read_once.error().message);
  const std::string& contents = *read_once;

  recio::enable_fp_traps();
  std::string legacy_console;
  bool console_failed = false;
  const auto shown_on =
      run.json ? recio::platform::OutputStream::kStandardError : recio::platform::OutputStream::kStandardOutput;
  recio::set_console_sink([&legacy_console, &console_failed, shown_on](std::string_view bytes) {
    legacy_console.append(bytes);
    const bool written = recio::platform::write_all(shown_on, bytes);
    if (!written && shown_on == recio::platform::OutputStream::kStandardOutput) console_failed = true;
  });
  const LegacyFit legacy = legacy_fit(name, contents);  // may end the run, as the legacy run
  recio::end_console_line();
  recio::set_console_sink(nullptr);
  if (console_failed) std::cout.setstate(std::ios::badbit);  // reported with standard output's end
  const recio::TrapsHeld accurate_side;  // the accurate fit and the report: no traps

  // Memory that the accurate half cannot get is its own error, reported as `fit` reports
  // it, not the legacy run-time's ALLOCATE report.
  std::set_new_handler(nullptr);

  std::FILE* file = recio::platform::open_memory_c_file(contents);
  if (file == nullptr) return fail(name + ": could not be read");
  input::ReadOptions options;
  options.data_file_only = true;
  const Expected<input::DataSet> read = input::read_data(file, name, options);
  std::fclose(file);
  if (!read) return fail(read.error().message);
  const input::Series& data = read->series.front();

  Vec<const float> fitstat(legacy.FITSTAT);
  // The legacy degree; where the data hold too few distinct x for it, the degree the
  // legacy run could fit (it warns and fits that one).
  auto fit = accurate::fit_polynomial(data.x, data.y, {}, legacy.NDEG);
  if (!fit && fit.error().kind == ErrorKind::kTooFewDistinctX) {
    const int fitted = static_cast<int>(fitstat(fitstat_slot::kDfRegression));
    fit = accurate::fit_polynomial(data.x, data.y, {}, fitted);
  }
  if (!fit) return fail(name + ": " + fit.error().message);

  LegacyResults results;
  std::copy(std::begin(legacy.B), std::end(legacy.B), results.coefficients);
  results.r_squared_percent = fitstat(fitstat_slot::kRSquared);
  CheckReport report = compare_with_legacy(results, *fit, extent_of(data));
  report.warnings = read->warnings;

  if (run.json) {
    std::cout << check_json(report, lines_of(legacy_console));
  } else {
    std::cout << (legacy_console.empty() ? "" : "\n") << check_text(report);
  }
  std::cout << std::flush;

  if (!run.plot_file.empty()) {
    PictureExtras extras;
    if (report.curve) extras.printed_coefficients = report.curve->printed_coefficients;
    if (auto error = draw_fit(run.plot_file, data, *fit, extras)) return fail(*error);
  }
  return report.contradicted() ? kExitCheckDisagrees : kExitResults;
}

}  // namespace polylsq::app
