// `polylsq degrees`: data reader -> one degree table per series -> text or JSON report ->
// the picture asked for.
#include "app/degrees_command.h"

#include <iostream>
#include <vector>

#include "app/command_status.h"
#include "app/data_input.h"
#include "app/degree_picture.h"
#include "app/degree_report.h"
#include "app/output_target.h"

namespace polylsq::app {
namespace {

// The table of every series of `data`, or the first failure, the series named when there
// are several.
Expected<std::vector<SeriesTable>> tables_of(const DegreesRun& run, const input::DataSet& data,
                                             const std::string& name) {
  std::vector<SeriesTable> tables;
  for (const input::Series& series : data.series) {
    Expected<accurate::DegreeTable> table = accurate::degree_table(series.x, series.y, series.w, run.max_degree);
    if (!table) {
      const std::string which = data.series.size() > 1 ? "series " + series.name + ": " : "";
      return Error{table.error().kind, name + ": " + which + table.error().message};
    }
    tables.push_back({series.name, std::move(*table)});
  }
  return tables;
}

}  // namespace

int run_degrees(const DegreesRun& run) {
  std::vector<OutputRequest> outputs;
  if (!run.plot_file.empty()) outputs.push_back({"--plot", run.plot_file, OutputKind::kPicture});
  const std::vector<InputFile> inputs{{"the data file", run.input.data_file}};
  if (const Expected<void> allowed = refuse_outputs(inputs, outputs, run.force); !allowed) {
    return fail(allowed.error().message, kExitUsage);
  }
  const std::string name = data_display_name(run.input.data_file);
  const Expected<input::DataSet> observations = read_observations(run.input.data_file, read_options_of(run.input, false));
  if (!observations) return fail(observations.error().message);
  const input::DataSet& data = *observations;

  const Expected<std::vector<SeriesTable>> tables = tables_of(run, data, name);
  if (!tables) return fail(tables.error().message);
  DegreeSource source{name, data.format == input::DataFormat::kDataFile ? "data file" : "columns", data.warnings};
  if (!run.plot_file.empty() && tables->size() > 1) {
    source.warnings.push_back("--plot: the picture shows the first series, " + tables->front().name);
  }
  std::cout << (run.json ? degrees_json(*tables, source, run.criterion)
                         : degrees_text(*tables, source, run.criterion))
            << std::flush;

  if (!run.plot_file.empty()) {
    const Expected<void> drawn =
        draw_degrees(run.plot_file, data.series.front(), tables->front().table, run.criterion);
    if (!drawn) return fail(drawn.error().message);
  }
  return kExitResults;
}

}  // namespace polylsq::app
