// The main program: reads the data file, calls the curve fit once, writes the result file,
// then shows the report and waits for the Enter key. It checks nothing itself beyond the
// upper bound of NDEG (the result file holds six coefficients); every other check of the
// input is RCURV's, and every record goes through the run-time's statements.
#include "app/program.h"

#include <cstddef>
#include <string>
#include <vector>

#include "fit/curve_fit.h"
#include "fit/curve_fit_driver.h"
#include "recio/fpenv.h"
#include "recio/io.h"
#include "recio/run_end.h"
#include "support/error_handler.h"
#include "support/index.h"
#include "support/routine_name.h"

namespace polylsq::app {
namespace {

constexpr int kFileUnit = 1;     // the data file while reading, then the result file
constexpr int kConsoleUnit = 6;  // formatted console records

// Observations reserved before reading: the arrays grow with the data actually read, so
// a count far beyond the file's contents ends at its end, not in a giant allocation.
constexpr int kInitialReserve = 4096;

constexpr const char* kHyphens = "------------------------------------- ";

// A degree above 5 would lose terms of the result file silently: a terminal error in the
// handler's layout, under the program's name, which stops the run when it is popped.
void reject_degree(int NDEG) {
  const RoutineName routine("POLYLSQ");
  MSG_SET_INT(1, NDEG);
  E1MES(5, 1,
        "NDEG = %(I1).  The degree of the polynomial to be fit must be less than or equal "
        "to 5.");
}

// One read statement per observation; an item that the data leave unset (a null value
// or a slash) keeps the initial zero.
void read_observations(LegacyFit& v) {
  if (v.NOBS > 0) {
    const auto reserve = static_cast<std::size_t>(v.NOBS < kInitialReserve ? v.NOBS : kInitialReserve);
    v.XOBS.reserve(reserve);
    v.YOBS.reserve(reserve);
  }
  for (int i = 1; i <= v.NOBS; ++i) {
    float x = 0.0f;
    float y = 0.0f;
    recio::read_list(kFileUnit, {&x, &y});
    v.XOBS.push_back(x);
    v.YOBS.push_back(y);
  }
}

void write_results(LegacyFit& v, const std::string& result_file) {
  Vec b(v.B), fitstat(v.FITSTAT);
  recio::open_unit(kFileUnit, result_file);
  for (int i = 1; i <= kLegacyCoefficients; ++i) recio::write_formatted(kFileUnit, "(F10.3)", {b(i)});
  recio::write_formatted(kFileUnit, "(F12.4)", {fitstat(fitstat_slot::kRSquared)});
  recio::close_unit(kFileUnit);
}

void show_report(LegacyFit& v) {
  Vec b(v.B), fitstat(v.FITSTAT);
  recio::write_list(recio::kStarUnit, {kHyphens});
  for (int i = 1; i <= kLegacyCoefficients; ++i) {
    recio::write_formatted(kConsoleUnit, "('   B(',I1,') = ',F9.3)", {i, b(i)});
  }
  recio::write_formatted(kConsoleUnit, "('   R-squared = ',F12.4)",
                         {fitstat(fitstat_slot::kRSquared)});
  recio::write_list(recio::kStarUnit, {kHyphens});
  recio::write_list(recio::kStarUnit, {" "});
  recio::write_list(recio::kStarUnit, {"   --- Calculation was finished ---"});
  recio::write_list(recio::kStarUnit, {" "});
  recio::write_list(recio::kStarUnit, {"   -------  Push Enter key  -------"});
}

}  // namespace

LegacyFit legacy_fit(const std::string& data_file, std::optional<std::string_view> contents) {
  LegacyFit v;  // all zero at the start, as the program's variables
  if (contents) {
    recio::open_unit_on_contents(kFileUnit, data_file, *contents);
  } else {
    recio::open_unit(kFileUnit, data_file);
  }
  recio::read_list(kFileUnit, {&v.NDEG});
  if (v.NDEG > kLegacyMaxDegree) {
    recio::close_unit(kFileUnit);
    reject_degree(v.NDEG);  // a terminal error: the handler stops the run
  }
  recio::read_list(kFileUnit, {&v.NOBS});
  read_observations(v);
  recio::close_unit(kFileUnit);

  RCURV(v.NOBS, v.XOBS.data(), v.YOBS.data(), v.NDEG, v.B, v.SSDEG, v.FITSTAT);
  return v;
}

void run_program(const LegacyRun& run) {
  recio::enable_fp_traps();

  recio::write_list(recio::kStarUnit, {" "});
  recio::write_list(recio::kStarUnit, {"  --- Least Squares Approximation ---"});
  recio::write_list(recio::kStarUnit, {" "});

  LegacyFit v = legacy_fit(run.data_file);

  write_results(v, run.result_file);  // complete before the report starts
  show_report(v);

  if (run.pause) recio::read_list(recio::kStarUnit, {});
  recio::stop();
}

}  // namespace polylsq::app
