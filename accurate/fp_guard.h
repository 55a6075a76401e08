// The floating-point environment of the accurate fit: whatever the caller has set (traps
// enabled by the legacy run, another rounding mode, flush to zero), the fit computes with
// the default environment: round to nearest, every exception masked. The caller's
// environment, flags included, comes back unchanged when the guard ends.
#pragma once

#include <cfenv>

namespace polylsq::accurate {

// Held for the lifetime of one public entry point; not copyable.
class FloatingPointGuard {
 public:
  FloatingPointGuard();
  ~FloatingPointGuard();
  FloatingPointGuard(const FloatingPointGuard&) = delete;
  FloatingPointGuard& operator=(const FloatingPointGuard&) = delete;

 private:
  std::fenv_t saved_;
};

}  // namespace polylsq::accurate
