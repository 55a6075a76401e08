// The curve-fit entry: checks NOBS and NDEG, allocates the driver's workspace on the heap,
// calls R2URV and releases the workspace. A workspace request that cannot be represented
// or that the allocator refuses counts as failed (type 5, code 3).
#pragma once

#include <cstddef>

namespace polylsq {

void RCURV(int NOBS, const float* XOBS, const float* YOBS, int NDEG, float* B, float* SSDEG,
           float* FITSTAT);

// The two workspace blocks of RCURV, requested in this order.
enum class WorkspaceBlock { kReal, kInteger };

// Where RCURV takes its workspace from: `allocate` returns a block of `bytes` bytes or
// nullptr when it refuses; `release` gives back a block that `allocate` returned.
// Default: std::malloc and std::free. Replaceable so that tests can refuse one block.
struct WorkspaceAllocator {
  void* (*allocate)(WorkspaceBlock block, std::size_t bytes);
  void (*release)(WorkspaceBlock block, void* memory);
};

// Installs `allocator`; a member left nullptr keeps its default.
void set_workspace_allocator(WorkspaceAllocator allocator);
// Back to std::malloc and std::free.
void reset_workspace_allocator();

}  // namespace polylsq
