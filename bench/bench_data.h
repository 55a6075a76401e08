// Deterministic data for the benchmarks: realistic (x, y) observations with five decimals,
// as a data file holds them, and float vectors in the orders that stress a sort.
#pragma once

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace polylsq::bench {

struct Observations {
  std::vector<float> x;
  std::vector<float> y;
};

// A value rounded to five decimals, as the text "%.5f" would carry it.
inline double five_decimals(double v) { return std::round(v * 1e5) / 1e5; }

// n observations of a degree-5 polynomial with noise, x uniform in [-10, 10].
inline Observations make_observations(int n, unsigned seed = 20261207u) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> abscissa(-10.0, 10.0);
  std::normal_distribution<double> noise(0.0, 25.0);
  Observations obs;
  obs.x.reserve(static_cast<std::size_t>(n));
  obs.y.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double x = five_decimals(abscissa(rng));
    const double y =
        3.14159 - 2.5 * x + 0.75 * x * x - 0.125 * x * x * x + 0.01 * std::pow(x, 4) -
        0.002 * std::pow(x, 5) + noise(rng);
    obs.x.push_back(static_cast<float>(x));
    obs.y.push_back(static_cast<float>(five_decimals(y)));
  }
  return obs;
}

// The text of a data file: degree, count, then one "x y" line per observation.
inline std::string data_file_text(int ndeg, const Observations& obs) {
  std::string text = std::to_string(ndeg) + "\r\n" + std::to_string(obs.x.size()) + "\r\n";
  char line[64];
  for (std::size_t i = 0; i < obs.x.size(); ++i) {
    const int n = std::snprintf(line, sizeof line, "%.5f %.5f\r\n", double(obs.x[i]), double(obs.y[i]));
    text.append(line, static_cast<std::size_t>(n));
  }
  return text;
}

enum class Order { kRandom, kSorted, kReversed, kManyTies };

// n floats in the given order; kManyTies draws from 100 distinct values.
inline std::vector<float> make_values(int n, Order order, unsigned seed = 347u) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> uniform(-1000.0, 1000.0);
  std::uniform_int_distribution<int> level(0, 99);
  std::vector<float> v(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    switch (order) {
      case Order::kRandom: v[i] = static_cast<float>(uniform(rng)); break;
      case Order::kSorted: v[i] = static_cast<float>(i) * 0.5f; break;
      case Order::kReversed: v[i] = static_cast<float>(n - i) * 0.5f; break;
      case Order::kManyTies: v[i] = static_cast<float>(level(rng)) * 0.25f; break;
    }
  }
  return v;
}

}  // namespace polylsq::bench
