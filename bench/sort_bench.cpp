// SVRGP on 10^6 values in four orders: random, already sorted, reversed, many ties.
#include <benchmark/benchmark.h>

#include <numeric>
#include <vector>

#include "bench/bench_data.h"
#include "fit/sort.h"

namespace {

using polylsq::bench::Order;

void BM_Svrgp(benchmark::State& state, Order order) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<float> ra = polylsq::bench::make_values(n, order);
  std::vector<float> rb(ra.size());
  std::vector<int> iperm(ra.size());
  for (auto _ : state) {
    state.PauseTiming();
    std::iota(iperm.begin(), iperm.end(), 1);
    state.ResumeTiming();
    polylsq::SVRGP(n, ra.data(), rb.data(), iperm.data());  // copies RA into RB first
    benchmark::DoNotOptimize(rb.data());
    benchmark::DoNotOptimize(iperm.data());
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK_CAPTURE(BM_Svrgp, random, Order::kRandom)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Svrgp, sorted, Order::kSorted)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Svrgp, reversed, Order::kReversed)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Svrgp, many_ties, Order::kManyTies)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
