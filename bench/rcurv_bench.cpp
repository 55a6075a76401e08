// RCURV at degree 5 on random realistic observations: the whole fit, workspace included.
#include <benchmark/benchmark.h>

#include "bench/bench_data.h"
#include "fit/curve_fit.h"
#include "fit/curve_fit_driver.h"
#include "recio/testing.h"

namespace {

void BM_RcurvDegree5(benchmark::State& state) {
  // An ordinary fit prints nothing; should one warn, its bytes must not cost terminal time.
  polylsq::recio::set_console_sink([](std::string_view) {});
  const int n = static_cast<int>(state.range(0));
  const polylsq::bench::Observations obs = polylsq::bench::make_observations(n);
  constexpr int kDegree = 5;
  float B[kDegree + 1] = {};
  float SSDEG[kDegree + 1] = {};
  float FITSTAT[polylsq::fitstat_slot::kSize] = {};
  for (auto _ : state) {
    polylsq::RCURV(n, obs.x.data(), obs.y.data(), kDegree, B, SSDEG, FITSTAT);
    benchmark::DoNotOptimize(B);
    benchmark::DoNotOptimize(FITSTAT);
  }
  state.SetItemsProcessed(state.iterations() * n);
  polylsq::recio::set_console_sink(nullptr);
}
BENCHMARK(BM_RcurvDegree5)
    ->Arg(300)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
