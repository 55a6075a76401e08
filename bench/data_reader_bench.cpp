// The data reader of the accurate fit on 10^6 observations like "-3.14159 27.18282", in the
// data-file format and as plain columns (blank- and comma-separated, and a third column read as y
// by name), read from a file opened anew for each iteration. Counters: observations per second, and
// the process's peak resident memory per observation (including the process's own baseline).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "input/data_reader.h"

namespace {

enum class Layout { kDataFile, kBlankColumns, kCsvWithHeader, kCsvThirdColumnChosen };

// A temporary file of `n` observations with five decimals, written line by line so that
// the benchmark process never holds the text.
class GeneratedFile {
 public:
  GeneratedFile(int n, Layout layout) {
    char path[] = "/tmp/polylsq_reader_bench_XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0) std::abort();
    path_ = path;
    std::FILE* f = ::fdopen(fd, "wb");
    if (f == nullptr) std::abort();
    if (layout == Layout::kDataFile) std::fprintf(f, "5\n%d\n", n);
    if (layout == Layout::kCsvWithHeader) std::fputs("x,y\n", f);
    if (layout == Layout::kCsvThirdColumnChosen) std::fputs("x,noise,y\n", f);
    const char* const line_format = layout == Layout::kCsvWithHeader ? "%.5f,%.5f\n"
                                    : layout == Layout::kCsvThirdColumnChosen
                                        ? "%.5f,%.5f,%.5f\n"
                                        : "%.5f %.5f\n";
    std::mt19937 rng(20261207u);
    std::uniform_real_distribution<double> abscissa(-10.0, 10.0);
    std::normal_distribution<double> noise(0.0, 25.0);
    for (int i = 0; i < n; ++i) {
      const double x = abscissa(rng);
      const double y = 3.14159 + x * (-2.5 + x * 0.75) * x + noise(rng);
      if (layout == Layout::kCsvThirdColumnChosen) {
        std::fprintf(f, line_format, x, noise(rng), y);
      } else {
        std::fprintf(f, line_format, x, y);
      }
    }
    if (std::fclose(f) != 0) std::abort();
  }
  ~GeneratedFile() { ::unlink(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

void BM_ReadData(benchmark::State& state, Layout layout) {
  const int n = static_cast<int>(state.range(0));
  const GeneratedFile file(n, layout);
  polylsq::input::ReadOptions options;
  if (layout == Layout::kCsvThirdColumnChosen) options.y_columns = {{0, "y"}};
  for (auto _ : state) {
    std::FILE* f = std::fopen(file.path().c_str(), "rb");
    if (f == nullptr) std::abort();
    const auto data = polylsq::input::read_data(f, "bench", options);
    std::fclose(f);
    if (!data || data->series.front().x.size() != static_cast<std::size_t>(n)) {
      state.SkipWithError("the generated file did not read");
      break;
    }
    benchmark::DoNotOptimize(data->series.front().x.data());
  }
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  state.counters["observations"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * n, benchmark::Counter::kIsRate);
  state.counters["peak_rss_bytes_per_obs"] = static_cast<double>(usage.ru_maxrss) * 1024.0 / n;
}

BENCHMARK_CAPTURE(BM_ReadData, data_file, Layout::kDataFile)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadData, blank_columns, Layout::kBlankColumns)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadData, csv_with_header, Layout::kCsvWithHeader)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadData, csv_third_column_chosen, Layout::kCsvThirdColumnChosen)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
