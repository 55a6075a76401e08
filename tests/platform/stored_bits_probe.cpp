// Fits many generated data sets with RCURV and prints, for each, every stored result as its
// bit pattern (B, SSDEG, FITSTAT) and the console records the fit wrote, so that a script
// can compare a Windows build with the Linux build bit for bit beyond the recorded fidelity
// cases. The data come from integers (SplitMix64), the same on every platform:
//   stored_bits_probe FIRST_SEED COUNT
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fit/curve_fit.h"
#include "recio/fpenv.h"
#include "recio/io.h"
#include "tests/support_lib/split_mix.h"

namespace {

using Sequence = polylsq::testing::SplitMix64;

// A degree 1 to 5 fit of 4 to 300 abscissas in [-20, 20] and a noisy polynomial response
// with decimal values of up to five places, scaled by 10^-3 to 10^6.
void fit_one(std::uint64_t seed, std::string& console) {
  Sequence seq(seed);
  const int degree = static_cast<int>(seq.between(1, 5));
  const int count = static_cast<int>(seq.between(degree + 3, 300));
  const double scale = static_cast<double>(seq.between(1, 1'000'000'000)) / 1e3;
  std::int64_t coefficient[6];
  for (std::int64_t& c : coefficient) c = seq.between(-500'000, 500'000);
  const std::int64_t noise = seq.between(0, 5'000'000);
  const std::int64_t span = seq.between(1, 20);
  std::vector<float> x, y;
  for (int i = 0; i < count; ++i) {
    const double xi = static_cast<double>(2 * i - count) * static_cast<double>(span) / count +
                      static_cast<double>(seq.between(0, 99)) / 1e4;
    double yi = 0.0;
    for (int k = degree; k >= 0; --k) yi = yi * xi + static_cast<double>(coefficient[k]) / 1e5;
    yi += static_cast<double>(seq.between(-noise, noise)) / 1e5;
    x.push_back(static_cast<float>(xi));
    y.push_back(static_cast<float>(yi * scale / 1e3));
  }
  float B[6] = {}, SSDEG[6] = {}, FITSTAT[10] = {};
  console.clear();
  polylsq::RCURV(count, x.data(), y.data(), degree, B, SSDEG, FITSTAT);
  polylsq::recio::end_console_line();
  std::printf("%llu", static_cast<unsigned long long>(seed));
  for (const float* values : {B, SSDEG}) {
    for (int k = 0; k < 6; ++k) std::printf(" %08x", std::bit_cast<std::uint32_t>(values[k]));
  }
  for (const float value : FITSTAT) std::printf(" %08x", std::bit_cast<std::uint32_t>(value));
  std::printf(" console %zu bytes\n", console.size());
  std::fwrite(console.data(), 1, console.size(), stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const std::uint64_t first = std::strtoull(argv[1], nullptr, 10);
  const std::uint64_t count = std::strtoull(argv[2], nullptr, 10);
  polylsq::recio::enable_fp_traps();
  std::string console;
  polylsq::recio::set_console_sink([&console](std::string_view bytes) { console.append(bytes); });
  for (std::uint64_t seed = first; seed < first + count; ++seed) fit_one(seed, console);
  return 0;
}
