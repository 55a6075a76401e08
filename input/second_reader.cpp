// The second thread: readings posted and done are counted in two atomics, each waited for
// by spinning, then by the atomic's wait.
#include "input/second_reader.h"

#include <new>
#include <system_error>
#include <utility>

#if defined(__linux__)
#include <sched.h>
#endif

namespace polylsq::input {
namespace {

// Spins of a wait before it sleeps: about half a millisecond (0.5 ms measured on a 2-core
// x86-64 machine).
constexpr int kSpins = 1 << 14;

inline void pause() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#else
  std::this_thread::yield();
#endif
}

// Returns once `counter` is no longer `seen`.
void wait_for_change(const std::atomic<std::uint32_t>& counter, std::uint32_t seen) {
  for (int spin = 0; spin < kSpins; ++spin) {
    if (counter.load(std::memory_order_acquire) != seen) return;
    pause();
  }
  while (counter.load(std::memory_order_acquire) == seen) {
    counter.wait(seen, std::memory_order_acquire);
  }
}

}  // namespace

bool second_core_available() {
#if defined(__linux__)
  cpu_set_t cores;
  if (sched_getaffinity(0, sizeof cores, &cores) == 0) return CPU_COUNT(&cores) >= 2;
#endif
  return std::thread::hardware_concurrency() >= 2;
}

SecondReader::~SecondReader() {
  if (!thread_.joinable()) return;
  wait_for_done();  // a reading under way still reads its bytes
  ending_ = true;
  posted_.fetch_add(1, std::memory_order_release);
  posted_.notify_one();
  thread_.join();
}

bool SecondReader::start(std::string_view bytes, const PlainRowForm& form,
                         std::size_t most_rows) {
  if (!thread_.joinable()) {
    try {
      thread_ = std::thread([this] { serve(); });
    } catch (const std::system_error&) {
      return false;
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  bytes_ = bytes;
  form_ = form;
  most_rows_ = most_rows;
  posted_.fetch_add(1, std::memory_order_release);
  posted_.notify_one();
  return true;
}

void SecondReader::wait_for_done() noexcept {
  const std::uint32_t posted = posted_.load(std::memory_order_relaxed);
  std::uint32_t done = done_.load(std::memory_order_acquire);
  while (done != posted) {
    wait_for_change(done_, done);
    done = done_.load(std::memory_order_acquire);
  }
}

PlainRun SecondReader::finish() {
  wait_for_done();
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  return run_;
}

void SecondReader::abandon() noexcept {
  wait_for_done();
  failure_ = nullptr;
}

void SecondReader::serve() {
  std::uint32_t seen = 0;
  for (;;) {
    wait_for_change(posted_, seen);
    seen = posted_.load(std::memory_order_acquire);
    if (ending_) return;
    try {
      run_ = scan_plain_rows_into(bytes_, form_, most_rows_, columns_);
    } catch (...) {  // memory that ran out: rethrown on the reading thread
      failure_ = std::current_exception();
    }
    done_.store(seen, std::memory_order_release);
    done_.notify_one();
  }
}

}  // namespace polylsq::input
