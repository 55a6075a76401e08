// The residual table of `polylsq fit --residuals` for 10^6 observations of a degree-5 fit:
// evaluating the curve and writing five numbers and the source line a row.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "accurate/polynomial_fit.h"
#include "app/result_tables.h"

namespace {

// x uniform in [-10, 10] with five decimals, y a quintic plus noise, the source line of
// each row its index plus 2 (after a header).
polylsq::input::Series make_series(std::size_t n) {
  std::mt19937 rng(20261208u);
  std::uniform_real_distribution<double> abscissa(-10.0, 10.0);
  std::normal_distribution<double> noise(0.0, 25.0);
  const auto five_decimals = [](double v) { return std::round(v * 1e5) / 1e5; };
  polylsq::input::Series series;
  series.name = "y";
  for (std::size_t i = 0; i < n; ++i) {
    const double x = five_decimals(abscissa(rng));
    series.x.push_back(x);
    series.y.push_back(five_decimals(3.14159 - 2.5 * x + 0.75 * x * x - 0.002 * std::pow(x, 5) + noise(rng)));
    series.lines.push_back(i + 2);
  }
  return series;
}

void BM_ResidualTable(benchmark::State& state) {
  const polylsq::input::Series series = make_series(static_cast<std::size_t>(state.range(0)));
  polylsq::app::SeriesResult result;
  result.data = &series;
  result.fit = *polylsq::accurate::fit_polynomial(series.x, series.y, {}, 5);
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string table = polylsq::app::residuals_csv({&result, 1});
    bytes = table.size();
    benchmark::DoNotOptimize(table.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ResidualTable)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
