// The fit object of the C interface: the engine's fit, owned by the caller through its
// handle, and what the fit and degree-table calls share (the observations as spans, the
// copies of figures into caller buffers).
#pragma once

#include <cstddef>
#include <limits>
#include <optional>
#include <span>
#include <vector>

#include "accurate/polynomial_fit.h"
#include "polylsq/polylsq.h"

struct polylsq_fit {
  polylsq::accurate::PolynomialFit fit;
};

namespace polylsq::capi {

// An undefined figure as the C interface shows it.
inline constexpr double kUndefined = std::numeric_limits<double>::quiet_NaN();

inline double or_undefined(const std::optional<double>& value) {
  return value ? *value : kUndefined;
}

// The observations of a fit or degree-table call, or the POLYLSQ_INVALID_ARGUMENT
// message when x or y is NULL with count > 0. weights NULL (or count 0): unweighted.
struct Observations {
  std::span<const double> x, y, w;
};
const char* missing_observations(const double* x, const double* y, std::size_t count);
Observations observations(const double* x, const double* y, const double* weights,
                          std::size_t count);

// Copies min(capacity, values.size()) values into out, each through `shown`; returns
// values.size().
template <class T, class Shown>
std::size_t copy_values(const std::vector<T>& values, double* out, std::size_t capacity,
                        Shown shown) {
  if (out != nullptr) {
    for (std::size_t i = 0; i < values.size() && i < capacity; ++i) out[i] = shown(values[i]);
  }
  return values.size();
}

}  // namespace polylsq::capi
