// Holds and restores the caller's floating-point environment around the accurate fit.
#include "accurate/fp_guard.h"

namespace polylsq::accurate {

// feholdexcept saves the environment and masks the traps; the default environment then
// also brings round to nearest and, on x86, clears flush-to-zero and denormals-are-zero.
// fesetenv (not feupdateenv) on the way out: the exceptions raised inside must not be
// re-raised into a caller whose traps are enabled.
FloatingPointGuard::FloatingPointGuard() {
  std::feholdexcept(&saved_);
  std::fesetenv(FE_DFL_ENV);
}

FloatingPointGuard::~FloatingPointGuard() { std::fesetenv(&saved_); }

}  // namespace polylsq::accurate
