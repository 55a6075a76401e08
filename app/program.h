// The legacy run: one run from the data file ("B2F.txt") to the result file ("F2B.txt"),
// the console report, the pause for the Enter key and the stop.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "fit/curve_fit_driver.h"

namespace polylsq::app {

// The legacy program fits degrees 0 to 5: its result file holds the six coefficients.
constexpr int kLegacyMaxDegree = 5;
constexpr int kLegacyCoefficients = kLegacyMaxDegree + 1;

// The legacy program's variables: the data as read (in single precision) and the fit's
// results.
struct LegacyFit {
  int NDEG = 0;
  int NOBS = 0;
  std::vector<float> XOBS;
  std::vector<float> YOBS;
  float B[kLegacyCoefficients] = {};
  float SSDEG[kLegacyCoefficients] = {};
  float FITSTAT[fitstat_slot::kSize] = {};
};

// The legacy computation without its report: reads `data_file` with the run-time's
// list-directed reads and fits it with RCURV, its messages on the console as the legacy run
// shows them. As in the legacy run, a failing read ends the process with the run-time's
// report (status 1), and NDEG above 5 or a TERMINAL or FATAL message with the stop
// (status 3). The traps must be on (recio::enable_fp_traps). With `contents`, the reads
// take these bytes, read from `data_file` by the caller, instead of opening the file.
LegacyFit legacy_fit(const std::string& data_file,
                     std::optional<std::string_view> contents = std::nullopt);

// Runs the whole legacy program: banner; NDEG, NOBS and the NOBS pairs (x, y) read from
// the data file; the fit by RCURV; B(1..6) and R-squared written to the result file; the
// report on the console; one console line read (unless `run.pause` is off); the stop.
// NDEG above 5 is rejected right after it is read, before anything else is read.
// Every end of the run goes through the run-time (the stop, or a run-time error report)
// or the error handler's stop: it never returns.
[[noreturn]] void run_program(const LegacyRun& run = {});

}  // namespace polylsq::app
