// Generators of the hard data sets. Values are rounded to a fixed number of decimals, as a
// data file written with "%.Nf" would hold them once read back into doubles.
#include "tests/accurate/hard_families.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "tests/support_lib/split_mix.h"

namespace polylsq::accurate::testing {
namespace {

// SplitMix64, with the shapes of values the families draw.
class Random : public polylsq::testing::SplitMix64 {
 public:
  using SplitMix64::SplitMix64;
  double symmetric(double amplitude) { return amplitude * (2.0 * uniform() - 1.0); }
  double integer(std::int64_t amplitude) {  // uniform in -amplitude..amplitude
    return static_cast<double>(static_cast<std::int64_t>(next() % (2 * amplitude + 1)) -
                               amplitude);
  }
};

double decimals(double v, int places) {
  const double scale = std::pow(10.0, places);
  return std::round(v * scale) / scale;
}

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

// n abscissas evenly over [lo, lo + span], six decimals; y = 10 + 5 sin(3u) + noise with
// u = (x - lo) / span.
DataSet far_from_zero(double lo, double span, int n, int degree, std::uint64_t seed) {
  Random random(seed);
  DataSet set{"far from zero: x in [" + number(lo) + ", " + number(lo + span) + "], degree " +
                  std::to_string(degree),
              degree, {}, {}, {}};
  for (int i = 0; i < n; ++i) {
    const double x = decimals(lo + span * i / (n - 1), 6);
    const double u = (x - lo) / span;
    set.x.push_back(x);
    set.y.push_back(decimals(10.0 + 5.0 * std::sin(3.0 * u) + random.symmetric(0.01), 6));
  }
  return set;
}

// y = sum_{k <= degree} x^k + integer noise at x = first, first + step, ...
DataSet raw_power(double first, double step, int n, int degree, std::int64_t noise,
                  std::uint64_t seed) {
  Random random(seed);
  DataSet set{"raw powers: x = " + number(first) + ".." + number(first + step * (n - 1)) +
                  ", degree " + std::to_string(degree) + ", noise +-" + number(noise),
              degree, {}, {}, {}};
  for (int i = 0; i < n; ++i) {
    const double x = first + step * i;
    double y = 0.0, power = 1.0;
    for (int k = 0; k <= degree; ++k, power *= x) y += power;
    set.x.push_back(x);
    set.y.push_back(y + (noise > 0 ? random.integer(noise) : 0.0));
  }
  return set;
}

// y = 1e8 + 0.5 sin(2 pi x) + noise, six decimals, x in [0, 1].
DataSet huge_mean(int n, int degree, std::uint64_t seed) {
  Random random(seed);
  DataSet set{"huge mean: y = 1e8 + small, degree " + std::to_string(degree), degree, {}, {}, {}};
  for (int i = 0; i < n; ++i) {
    const double x = decimals(static_cast<double>(i) / (n - 1), 6);
    set.x.push_back(x);
    set.y.push_back(decimals(1e8 + 0.5 * std::sin(6.283185307179586 * x) + random.symmetric(1e-4), 6));
  }
  return set;
}

// 82 abscissas scattered over [-9, -3] (seven decimals); y = 0.85 + 0.05 sin(1.3 x) + noise.
DataSet narrow_high_degree(int degree, std::uint64_t seed) {
  Random random(seed);
  DataSet set{"narrow range: x in [-9, -3], degree " + std::to_string(degree), degree, {}, {}, {}};
  for (int i = 0; i < 82; ++i) {
    const double x = decimals(-9.0 + 6.0 * random.uniform(), 7);
    set.x.push_back(x);
    set.y.push_back(decimals(0.85 + 0.05 * std::sin(1.3 * x) + random.symmetric(0.003), 7));
  }
  return set;
}

// x = u * 10^power, u evenly over [0.5, 2] (six decimals); y = 1 + 2u - u^2 + 0.3u^3 + noise.
DataSet scaled_abscissas(int power, int degree, std::uint64_t seed) {
  Random random(seed);
  DataSet set{"scaled: x = u * 1e" + std::to_string(power) + ", degree " + std::to_string(degree),
              degree, {}, {}, {}};
  const double scale = std::pow(10.0, power);
  for (int i = 0; i < 30; ++i) {
    const double u = decimals(0.5 + 1.5 * i / 29.0, 6);
    set.x.push_back(u * scale);
    set.y.push_back(decimals(1.0 + 2.0 * u - u * u + 0.3 * u * u * u + random.symmetric(0.01), 6));
  }
  return set;
}

// Weights 0.5..2 (three decimals), every seventh weight 0.
DataSet weighted(DataSet set, std::uint64_t seed) {
  Random random(seed);
  set.name = "weighted " + set.name;
  for (std::size_t i = 0; i < set.x.size(); ++i) {
    set.w.push_back(i % 7 == 3 ? 0.0 : decimals(0.5 + 1.5 * random.uniform(), 3));
  }
  return set;
}

}  // namespace

std::vector<DataSet> hard_families() {
  return {
      far_from_zero(1000.0, 10.0, 41, 3, 1),
      far_from_zero(1000.0, 10.0, 41, 5, 2),
      far_from_zero(1e4, 1.0, 41, 3, 3),
      far_from_zero(1e4, 1.0, 41, 5, 4),
      raw_power(1000.0, 0.25, 41, 5, 3, 5),
      raw_power(0.0, 1.0, 21, 5, 0, 6),
      raw_power(0.0, 1.0, 21, 5, 1, 7),
      raw_power(0.0, 1.0, 21, 5, 1000, 8),
      raw_power(0.0, 1.0, 21, 5, 10'000'000, 9),
      raw_power(0.0, 1.0, 26, 4, 100, 10),
      raw_power(0.0, 1.0, 31, 6, 0, 11),
      raw_power(0.0, 1.0, 31, 6, 10, 12),
      raw_power(0.0, 1.0, 31, 6, 1'000'000'000, 13),
      huge_mean(50, 3, 14),
      huge_mean(50, 5, 15),
      narrow_high_degree(7, 16),
      narrow_high_degree(8, 17),
      narrow_high_degree(10, 18),
      scaled_abscissas(-20, 3, 19),
      scaled_abscissas(-10, 4, 20),
      scaled_abscissas(10, 4, 21),
      scaled_abscissas(20, 3, 22),
      weighted(raw_power(0.0, 1.0, 21, 5, 1, 23), 24),
      weighted(far_from_zero(1000.0, 10.0, 41, 5, 25), 26),
      weighted(huge_mean(50, 3, 27), 28),
      weighted(narrow_high_degree(10, 29), 30),
      weighted(scaled_abscissas(20, 3, 31), 32),
      clustered(),
  };
}

DataSet clustered() {
  return {"clustered: x = 0..9 and 1e6, degree 3",
          3,
          {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 1e6},
          {1, 2, 1, 3, 5, 2, 6, 3, 2, 1, 7},
          {}};
}

DataSet exact_quadratic(int n) {
  DataSet set{"exact quadratic", 2, {}, {}, {}};
  for (int i = 0; i < n; ++i) {
    set.x.push_back(i);
    set.y.push_back(1 - 2 * i + 3 * i * i);
  }
  return set;
}

DataSet norris() {
  DataSet set{"NIST Norris", 1, {}, {}, {}};
  set.x = {0.2,   337.4, 118.2, 884.6, 10.1,  226.5, 666.3, 996.3, 448.6, 777.0, 558.2, 0.4,
           0.6,   775.5, 666.9, 338.0, 447.5, 11.6,  556.0, 228.1, 995.8, 887.6, 120.2, 0.3,
           0.3,   556.8, 339.1, 887.2, 999.0, 779.0, 11.1,  118.3, 229.2, 669.1, 448.9, 0.5};
  set.y = {0.1,   338.8, 118.1, 888.0, 9.2,   228.1, 668.5, 998.5, 449.1, 778.9, 559.2, 0.3,
           0.1,   778.1, 668.8, 339.3, 448.9, 10.8,  557.7, 228.3, 998.0, 888.8, 119.6, 0.3,
           0.6,   557.6, 339.3, 888.0, 998.5, 778.9, 10.2,  117.6, 228.9, 668.4, 449.2, 0.2};
  return set;
}

DataSet wampler1() {
  DataSet set{"NIST Wampler1", 5, {}, {}, {}};
  set.y = {1,       6,       63,      364,     1365,    3906,    9331,
           19608,   37449,   66430,   111111,  177156,  271453,  402234,
           579195,  813616,  1118481, 1508598, 2000719, 2613660, 3368421};
  for (int i = 0; i <= 20; ++i) set.x.push_back(i);
  return set;
}

}  // namespace polylsq::accurate::testing
