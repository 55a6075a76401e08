// Holds and restores the caller's floating-point environment around the accurate fit on
// Windows, where the C library's environment calls of MinGW-w64 leave the SSE control and
// status register (MXCSR, which all double arithmetic uses) as it is.
#include "accurate/fp_guard.h"

#include <xmmintrin.h>

namespace polylsq::accurate {
namespace {

// Every exception masked, no flag raised, round to nearest, no flush to zero.
constexpr unsigned kDefaultMxcsr = 0x1F80;

}  // namespace

// The x87 part through the C library as elsewhere; MXCSR kept in the environment's own field.
FloatingPointGuard::FloatingPointGuard() {
  const unsigned caller_mxcsr = _mm_getcsr();
  std::feholdexcept(&saved_);
  std::fesetenv(FE_DFL_ENV);
  saved_.__mxcsr = caller_mxcsr;
  _mm_setcsr(kDefaultMxcsr);
}

FloatingPointGuard::~FloatingPointGuard() {
  std::fesetenv(&saved_);
  _mm_setcsr(saved_.__mxcsr);
}

}  // namespace polylsq::accurate
