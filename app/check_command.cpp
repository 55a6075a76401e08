// `polylsq check`: legacy fit -> accurate fit -> comparison -> optional picture.
#include "app/check_command.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <new>
#include <string_view>

#include "accurate/polynomial_fit.h"
#include "app/check_report.h"
#include "app/fit_picture.h"
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

int fail(const std::string& message) {
  std::cerr << "polylsq: " << message << "\n";
  return kExitRuntimeError;
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

DataExtent extent_of(const input::DataSet& data) {
  const auto [x_low, x_high] = std::minmax_element(data.x.begin(), data.x.end());
  const auto [y_low, y_high] = std::minmax_element(data.y.begin(), data.y.end());
  return {*x_low, *x_high, *y_low, *y_high};
}

}  // namespace

int run_check(const CheckRun& run) {
  recio::enable_fp_traps();
  std::string legacy_console;
  const auto shown_on =
      run.json ? recio::platform::OutputStream::kStandardError : recio::platform::OutputStream::kStandardOutput;
  recio::set_console_sink([&legacy_console, shown_on](std::string_view bytes) {
    legacy_console.append(bytes);
    recio::platform::write_all(shown_on, bytes);
  });
  const LegacyFit legacy = legacy_fit(run.data_file);  // may end the run, as the legacy run
  recio::end_console_line();
  const recio::TrapsHeld accurate_side;  // the accurate fit and the report: no traps

  // Memory that the accurate half cannot get is its own error, reported as `fit` reports
  // it, not the legacy run-time's ALLOCATE report.
  std::set_new_handler(nullptr);

  std::FILE* file = recio::platform::open_c_file(run.data_file, "rb");
  if (file == nullptr) return fail(run.data_file + ": cannot be opened");
  input::ReadOptions options;
  options.data_file_only = true;
  const Expected<input::DataSet> read = input::read_data(file, run.data_file, options);
  std::fclose(file);
  if (!read) return fail(read.error().message);
  const input::DataSet& data = *read;

  Vec<const float> fitstat(legacy.FITSTAT);
  // The legacy degree; where the data hold too few distinct x for it, the degree the
  // legacy run could fit (it warns and fits that one).
  auto fit = accurate::fit_polynomial(data.x, data.y, {}, legacy.NDEG);
  if (!fit && fit.error().kind == ErrorKind::kTooFewDistinctX) {
    const int fitted = static_cast<int>(fitstat(fitstat_slot::kDfRegression));
    fit = accurate::fit_polynomial(data.x, data.y, {}, fitted);
  }
  if (!fit) return fail(run.data_file + ": " + fit.error().message);

  LegacyResults results;
  std::copy(std::begin(legacy.B), std::end(legacy.B), results.coefficients);
  results.r_squared_percent = fitstat(fitstat_slot::kRSquared);
  const CheckReport report = compare_with_legacy(results, *fit, extent_of(data));

  if (run.json) {
    std::cout << check_json(report, lines_of(legacy_console));
  } else {
    std::cout << (legacy_console.empty() ? "" : "\n") << check_text(report);
  }
  std::cout << std::flush;

  if (!run.plot_file.empty()) {
    PictureExtras extras;
    extras.legacy_coefficients = std::vector<double>(std::begin(legacy.B), std::end(legacy.B));
    if (auto error = draw_fit(run.plot_file, data, *fit, extras)) return fail(*error);
  }
  return report.marked_count == 0 ? kExitResults : kExitCheckDisagrees;
}

}  // namespace polylsq::app
