// render_svg on noisy data around a quadratic, from a hundred to ten million observations:
// the cost of sampling, residuals, marker thinning and writing the document.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "plot/svg_plot.h"

namespace {

double quadratic(double x) { return 0.5 * x * x - 3 * x + 2; }

void BM_RenderSvg(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  std::vector<double> x(n), y(n);
  for (std::size_t i = 0; i < n; ++i) {
    x[i] = 20.0 * static_cast<double>(i) / static_cast<double>(n);
    y[i] = quadratic(x[i]) + 5 * std::sin(1e3 * x[i]);
  }
  const polylsq::plot::PlotRequest request{
      x,
      y,
      {{quadratic, "accurate fit", false}, {quadratic, "result file", true}},
      polylsq::plot::Band{[](double v) {
                            return std::pair{quadratic(v) - 4, quadratic(v) + 4};
                          },
                          "95% confidence band"},
      "degree 2"};
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string svg = polylsq::plot::render_svg(request);
    bytes = svg.size();
    benchmark::DoNotOptimize(svg.data());
  }
  state.counters["svg_bytes"] = static_cast<double>(bytes);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(n));
}
BENCHMARK(BM_RenderSvg)
    ->Arg(100)
    ->Arg(10'000)
    ->Arg(1'000'000)
    ->Arg(10'000'000)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
