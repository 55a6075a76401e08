// Passes over many observations taken in two halves, the second half on a thread of its
// own when one can be started. The halves depend on the number of rows alone and their
// results are combined in order, so that the bits are the same whether the second thread
// ran or not.
#pragma once

#include <cstddef>
#include <functional>

#include "accurate/data_sums.h"

namespace polylsq::accurate {

// Passes over fewer rows run whole on the calling thread.
inline constexpr std::size_t kHalvedPassRows = std::size_t{1} << 16;

struct ObservationHalves {
  Observations first;
  Observations second;
};

// The rows in two halves, the first a whole number of `block` rows (block >= 1).
ObservationHalves halves_of(const Observations& data, std::size_t block);

// first() on the calling thread, second() on another where `threads` allows and a thread
// can be started, else after first(); returns when both have run. Neither may throw. The
// second thread computes in the default floating-point environment, as the fit does.
void run_halves(PassThreads threads, const std::function<void()>& first,
                const std::function<void()>& second);

}  // namespace polylsq::accurate
