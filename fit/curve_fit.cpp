// The curve-fit entry RCURV: a front end over R2URV that checks the two counts and owns
// the workspace for the duration of one call. Sizes are computed in 64-bit arithmetic;
// a size that does not fit the allocator's size type is a refused request, never a
// smaller block.
#include "fit/curve_fit.h"
#include "fit/testing.h"

#include <cstdlib>
#include <limits>
#include <memory>

#include "fit/curve_fit_driver.h"
#include "recio/platform.h"
#include "support/error_handler.h"
#include "support/error_queries.h"
#include "support/routine_name.h"

namespace polylsq {
namespace {

// The fit writes all of a workspace block. For a large one, ask the system to back it with
// huge pages where it allows that: one page fault per 2 MiB instead of one per 4 KiB. Only
// advice: whatever the answer, the block and its contents are the same.
void* default_allocate(WorkspaceBlock, std::size_t bytes) {
  void* memory = std::malloc(bytes);
  if (memory != nullptr && bytes >= (std::size_t{8} << 20)) recio::platform::advise_large_pages(memory, bytes);
  return memory;
}
void default_release(WorkspaceBlock, void* memory) { std::free(memory); }

WorkspaceAllocator g_allocator{default_allocate, default_release};

// A block obtained from the allocator, given back on release() or, should a stop unwind
// through RCURV in a test or fuzz harness, on destruction.
class WorkspaceHold {
 public:
  explicit WorkspaceHold(WorkspaceBlock block) : block_(block) {}
  WorkspaceHold(const WorkspaceHold&) = delete;
  WorkspaceHold& operator=(const WorkspaceHold&) = delete;
  ~WorkspaceHold() { release(); }

  // One request of `count` (at least 1) elements of `element_size` bytes; status 0 on success.
  int request(std::int64_t count, std::size_t element_size) {
    const auto limit = static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max());
    if (count < 0 || static_cast<std::uint64_t>(count) > limit / element_size) return 1;
    memory_ = g_allocator.allocate(block_, static_cast<std::size_t>(count) * element_size);
    return memory_ == nullptr ? 1 : 0;
  }
  void release() {
    if (memory_ != nullptr) g_allocator.release(block_, memory_);
    memory_ = nullptr;
  }
  void* get() const { return memory_; }

 private:
  WorkspaceBlock block_;
  void* memory_ = nullptr;
};

}  // namespace

void set_workspace_allocator(WorkspaceAllocator allocator) {
  g_allocator.allocate = allocator.allocate != nullptr ? allocator.allocate : default_allocate;
  g_allocator.release = allocator.release != nullptr ? allocator.release : default_release;
}

void reset_workspace_allocator() { g_allocator = {default_allocate, default_release}; }

void RCURV(int NOBS, const float* XOBS, const float* YOBS, int NDEG, float* B, float* SSDEG,
           float* FITSTAT) {
  const RoutineName routine("RCURV");
  check_curve_fit_counts(NOBS, NDEG);
  if (error_recorded_here()) return;
  const std::int64_t n = NOBS;
  const std::int64_t d = NDEG;
  const std::int64_t LRWORK = (d + 3) * (d + 1) + 11 * (n + d) + 5;
  const std::int64_t LIWORK = n;
  WorkspaceHold rwork(WorkspaceBlock::kReal);
  WorkspaceHold iwork(WorkspaceBlock::kInteger);
  const int real_status = rwork.request(LRWORK, sizeof(float));
  const int integer_status = iwork.request(LIWORK, sizeof(int));
  if (real_status != 0 || integer_status != 0) {
    E1MES(5, 3, " ");  // type and code first; a pending text stays as it is
    MSG_SET_INT(1, NOBS);
    MSG_SET_INT(2, NDEG);
    E1MES(5, 3,
          "The required storage cannot be allocated based on NOBS = %(I1) and NDEG = "
          "%(I2).");
  } else {
    R2URV(NOBS, XOBS, YOBS, NDEG, B, SSDEG, FITSTAT, static_cast<float*>(rwork.get()),
          static_cast<int*>(iwork.get()));
  }
  rwork.release();
  iwork.release();
}

}  // namespace polylsq
