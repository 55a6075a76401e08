// Two halves of a pass: the thread, and the calling thread when none can be started.
#include "accurate/halved_pass.h"

#include <new>
#include <system_error>
#include <thread>

#include "accurate/fp_guard.h"

namespace polylsq::accurate {

ObservationHalves halves_of(const Observations& data, std::size_t block) {
  const std::size_t n = data.x.size();
  const std::size_t cut = n / 2 - (n / 2) % block;
  const auto rows = [&](std::size_t from, std::size_t count) {
    return Observations{data.x.subspan(from, count), data.y.subspan(from, count),
                        data.w.empty() ? data.w : data.w.subspan(from, count)};
  };
  return {rows(0, cut), rows(cut, n - cut)};
}

void run_halves(PassThreads threads, const std::function<void()>& first,
                const std::function<void()>& second) {
  std::thread other;
  if (threads == PassThreads::kTwo) {
    try {
      other = std::thread([&second] {
        const FloatingPointGuard environment;
        second();
      });
    } catch (const std::system_error&) {  // no thread to be had: the calling thread runs both
    } catch (const std::bad_alloc&) {
    }
  }
  first();
  if (other.joinable()) {
    other.join();
  } else {
    second();
  }
}

}  // namespace polylsq::accurate
