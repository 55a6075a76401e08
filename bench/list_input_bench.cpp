// The list-directed reader as the program uses it: open unit 1 on a data file of 10^6
// observations, read NDEG, NOBS and one (x, y) statement per observation, close the unit.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bench_data.h"
#include "recio/io.h"

namespace {

constexpr int kUnit = 1;

// A data file in a fresh temporary folder, removed when the benchmark ends.
class TempDataFile {
 public:
  explicit TempDataFile(const std::string& text) {
    char folder[] = "/tmp/polylsq_bench_XXXXXX";
    if (::mkdtemp(folder) == nullptr) std::abort();
    folder_ = folder;
    path_ = folder_ + "/B2F.txt";
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    if (f == nullptr || std::fwrite(text.data(), 1, text.size(), f) != text.size()) std::abort();
    std::fclose(f);
  }
  ~TempDataFile() {
    ::unlink(path_.c_str());
    ::rmdir(folder_.c_str());
  }
  const std::string& path() const { return path_; }

 private:
  std::string folder_;
  std::string path_;
};

void BM_ReadDataFile(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const TempDataFile file(
      polylsq::bench::data_file_text(5, polylsq::bench::make_observations(n)));
  for (auto _ : state) {
    int ndeg = 0;
    int nobs = 0;
    float x = 0.0f;
    float y = 0.0f;
    float checksum = 0.0f;
    polylsq::recio::open_unit(kUnit, file.path());
    polylsq::recio::read_list(kUnit, {&ndeg});
    polylsq::recio::read_list(kUnit, {&nobs});
    for (int i = 0; i < nobs; ++i) {
      polylsq::recio::read_list(kUnit, {&x, &y});
      checksum += x;
    }
    polylsq::recio::close_unit(kUnit);
    benchmark::DoNotOptimize(checksum);
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ReadDataFile)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
