// Test-only switch of the curve fit: where RCURV takes its workspace from, so that a test
// can watch the requests and refuse one block. Included by tests only.
#pragma once

#include <cstddef>

namespace polylsq {

// The two workspace blocks of RCURV, requested in this order.
enum class WorkspaceBlock { kReal, kInteger };

// `allocate` returns a block of `bytes` bytes or nullptr when it refuses; `release` gives
// back a block that `allocate` returned. Default: std::malloc and std::free.
struct WorkspaceAllocator {
  void* (*allocate)(WorkspaceBlock block, std::size_t bytes);
  void (*release)(WorkspaceBlock block, void* memory);
};

// Installs `allocator`; a member left nullptr keeps its default.
void set_workspace_allocator(WorkspaceAllocator allocator);
// Back to std::malloc and std::free.
void reset_workspace_allocator();

}  // namespace polylsq
