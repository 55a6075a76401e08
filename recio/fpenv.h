// The floating-point environment of a run and the math-library functions.
//
// A run computes with round to nearest and with the invalid-operation, division-by-zero
// and overflow exceptions trapping; a trap ends the run with the ": MATH" report
// ("floating-point error: invalid", M6101, ...). The math functions report a domain,
// singularity or overflow error ("log: SING error", M62xx) before the hardware would trap.
#pragma once

#include <cfenv>

namespace polylsq::recio {

// Sets round to nearest, enables the three traps and installs the trap report.
// Idempotent. The trap report runs in the signal handler (an exception handler on
// Windows): it writes the owed console line end to standard output and the report to
// standard error and ends the process with status 1, without
// the hooks of testing.h (test it in a child process or a death test). The math-library
// reports below do go through the failure hook.
void enable_fp_traps();

// While it lives, the floating-point exceptions do not trap: an overflow gives an infinity,
// an invalid operation a NaN. Its end restores the caller's environment, traps included,
// and drops the exceptions raised meanwhile. For values that no result of the run shows.
class TrapsHeld {
 public:
  TrapsHeld();
  ~TrapsHeld();
  TrapsHeld(const TrapsHeld&) = delete;
  TrapsHeld& operator=(const TrapsHeld&) = delete;

 private:
  std::fenv_t caller_env_;
};

// Ordered comparisons: with a NaN operand they raise the invalid-operation exception,
// which ends the run when the traps are on, whatever instruction the compiler picks.
bool ordered_lt(double a, double b);
bool ordered_le(double a, double b);
bool ordered_gt(double a, double b);
bool ordered_ge(double a, double b);

// Math-library functions, evaluated in double. Arguments outside the domain end the run
// with the run-time's MATH report instead of producing a NaN or an infinity.
double rt_log(double x);   // x <= 0: SING (x == 0) or DOMAIN
double rt_exp(double x);   // result beyond the double range: OVERFLOW
double rt_sqrt(double x);  // x < 0: DOMAIN
double rt_sin(double x);
double rt_atan(double x);
double rt_asin(double x);  // |x| > 1: DOMAIN

}  // namespace polylsq::recio
