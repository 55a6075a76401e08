// `polylsq fit`: data reader -> accurate fit -> text or JSON report -> optional picture.
#include "app/fit_command.h"

#include <cstdio>
#include <iostream>
#include <variant>

#include "accurate/data_reader.h"
#include "accurate/fit_limits.h"
#include "accurate/polynomial_fit.h"
#include "app/fit_picture.h"
#include "app/fit_report.h"
#include "recio/exit_status.h"
#include "recio/platform.h"

namespace polylsq::app {
namespace {

int fail(const std::string& message, int status = kExitRuntimeError) {
  std::cerr << "polylsq: " << message << "\n";
  return status;
}

// The data of `run`, or why there is none.
std::variant<accurate::DataSet, std::string> read_observations(const FitRun& run,
                                                               const std::string& name) {
  const bool from_input = run.data_file == "-";
  std::FILE* file = from_input ? stdin : recio::platform::open_c_file(run.data_file, "rb");
  if (file == nullptr) return name + ": cannot be opened";
  accurate::ReadResult result = accurate::read_data(file, name, {});
  if (!from_input) std::fclose(file);
  if (auto* error = std::get_if<accurate::ReadError>(&result)) return error->message;
  return std::get<accurate::DataSet>(std::move(result));
}

}  // namespace

int run_fit(const FitRun& run) {
  const std::string name = run.data_file == "-" ? "standard input" : run.data_file;
  auto observations = read_observations(run, name);
  if (auto* message = std::get_if<std::string>(&observations)) return fail(*message);
  const accurate::DataSet& data = std::get<accurate::DataSet>(observations);

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

  const FitSource source{name, data.format == accurate::DataFormat::kDataFile ? "data file" : "columns",
                         data.warnings};
  std::cout << (run.json ? fit_json(*fit, source) : fit_text(*fit, source)) << std::flush;

  if (!run.plot_file.empty()) {
    if (auto error = draw_fit(run.plot_file, data, *fit, {})) return fail(*error);
  }
  return kExitResults;
}

}  // namespace polylsq::app
