// The accurate fit end to end (checks, both data passes, solve, statistics) at degree 5 and
// 10, its first data pass alone in each build (AVX2 / fused multiply-add, portable), and
// the degree table of degrees 0..10.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "accurate/data_sums.h"
#include "accurate/degree_table.h"
#include "accurate/polynomial_fit.h"

namespace {

struct Data {
  std::vector<double> x, y;
};

// n observations like a data file's "-3.14159 27.18282": x uniform in [-10, 10], y a
// degree-5 polynomial plus noise, both with five decimals.
Data make_data(int n) {
  std::mt19937 rng(20261207u);
  std::uniform_real_distribution<double> abscissa(-10.0, 10.0);
  std::normal_distribution<double> noise(0.0, 25.0);
  auto five_decimals = [](double v) { return std::round(v * 1e5) / 1e5; };
  Data d;
  for (int i = 0; i < n; ++i) {
    const double x = five_decimals(abscissa(rng));
    const double y = 3.14159 - 2.5 * x + 0.75 * x * x - 0.125 * x * x * x +
                     0.01 * std::pow(x, 4) - 0.002 * std::pow(x, 5) + noise(rng);
    d.x.push_back(x);
    d.y.push_back(five_decimals(y));
  }
  return d;
}

// Weights from 0.5 to 2 with three decimals.
std::vector<double> weights(std::size_t n) {
  std::vector<double> w;
  for (std::size_t i = 0; i < n; ++i) w.push_back(0.5 + 0.001 * static_cast<double>(i % 1501));
  return w;
}

void BM_FitPolynomial(benchmark::State& state) {
  const Data d = make_data(static_cast<int>(state.range(0)));
  const int degree = static_cast<int>(state.range(1));
  for (auto _ : state) {
    auto fit = polylsq::accurate::fit_polynomial(d.x, d.y, {}, degree);
    benchmark::DoNotOptimize(fit);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FitPolynomial)
    ->ArgsProduct({{1'000, 100'000, 1'000'000}, {5, 10}})
    ->Unit(benchmark::kMillisecond);

void BM_MomentPass(benchmark::State& state) {
  const Data d = make_data(static_cast<int>(state.range(0)));
  const auto kernel = state.range(1) ? polylsq::accurate::Kernel::kFastest
                                     : polylsq::accurate::Kernel::kPortable;
  const auto threads = state.range(2) == 2 ? polylsq::accurate::PassThreads::kTwo
                                           : polylsq::accurate::PassThreads::kOne;
  const polylsq::accurate::DataScaling scaling{0.0, 4, 10, 0};
  for (auto _ : state) {
    auto sums = polylsq::accurate::sum_moments({d.x, d.y, {}}, scaling, 5, kernel, threads);
    benchmark::DoNotOptimize(sums);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetLabel(std::string(state.range(1) ? "fastest" : "portable") +
                 (state.range(2) == 2 ? ", two threads" : ", one thread"));
}
BENCHMARK(BM_MomentPass)
    ->ArgsProduct({{1'000'000}, {0, 1}, {1, 2}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The degree table of degrees 0..10 against BM_FitPolynomial/n/10: one moment pass of
// degree 10 and one table pass, against the two passes of one fit.
void BM_DegreeTable(benchmark::State& state) {
  const Data d = make_data(static_cast<int>(state.range(0)));
  const std::vector<double> w = state.range(1) ? weights(d.x.size()) : std::vector<double>{};
  for (auto _ : state) {
    auto table = polylsq::accurate::degree_table(d.x, d.y, w, 10);
    benchmark::DoNotOptimize(table);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetLabel(state.range(1) ? "weighted" : "unweighted");
}
BENCHMARK(BM_DegreeTable)
    ->ArgsProduct({{1'000, 100'000, 1'000'000}, {0}})
    ->Args({1'000'000, 1})
    ->Unit(benchmark::kMillisecond);

void BM_FitPolynomialWeighted(benchmark::State& state) {
  const Data d = make_data(static_cast<int>(state.range(0)));
  const std::vector<double> w = weights(d.x.size());
  for (auto _ : state) {
    auto fit = polylsq::accurate::fit_polynomial(d.x, d.y, w, 10);
    benchmark::DoNotOptimize(fit);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FitPolynomialWeighted)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
