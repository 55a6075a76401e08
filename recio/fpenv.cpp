// The floating-point environment: round to nearest, the three traps and the trap report,
// the trapping ordered comparisons, and the math-library functions with their reports.
#include "recio/fpenv.h"

#include <cmath>
#include <limits>
#include <string>

#include "recio/console.h"
#include "recio/exit_status.h"
#include "recio/platform.h"
#include "recio/run_end.h"
#include "recio/testing.h"

namespace polylsq::recio {
namespace {

// Largest argument whose exponential is finite in double.
constexpr double kExpLimit = 0x1.62e42fefa39efp+9;

// A trapped exception's kind: its number, its message and its whole report.
struct TrapKind {
  int number;
  const char* message;
  const char* report;
};

TrapKind trap_kind(platform::FpTrap trap) {
  switch (trap) {
    case platform::FpTrap::kDivideByZero:
      return {6103, "floating-point error: divide by zero",
              "\r\nrun-time error M6103: MATH\r\n- floating-point error: divide by zero\r\n"};
    case platform::FpTrap::kOverflow:
      return {6104, "floating-point error: overflow",
              "\r\nrun-time error M6104: MATH\r\n- floating-point error: overflow\r\n"};
    case platform::FpTrap::kUnderflow:
      return {6105, "floating-point error: underflow",
              "\r\nrun-time error M6105: MATH\r\n- floating-point error: underflow\r\n"};
    case platform::FpTrap::kInexact:
      return {6106, "floating-point error: inexact",
              "\r\nrun-time error M6106: MATH\r\n- floating-point error: inexact\r\n"};
    case platform::FpTrap::kInvalid:
      break;
  }
  return {6101, "floating-point error: invalid",
          "\r\nrun-time error M6101: MATH\r\n- floating-point error: invalid\r\n"};
}

volatile TrapHook g_trap_hook = nullptr;

// The ": MATH" report of a trapped exception. Runs in the signal or exception handler:
// only raw writes and the immediate exit, texts fixed at compile time. A harness's trap
// hook takes the trap instead and does not return here.
void on_floating_point_trap(platform::FpTrap trap) {
  const TrapKind kind = trap_kind(trap);
  if (const TrapHook hook = g_trap_hook) hook(kind.number, kind.message);
  if (detail::g_console_line_owed) {
    detail::g_console_line_owed = 0;
    platform::write_all(platform::OutputStream::kStandardOutput, "\r\n");
  }
  platform::write_all(platform::OutputStream::kStandardError, kind.report);
  platform::exit_now(kExitRuntimeError);
}

// An ordered comparison with a NaN operand raises the invalid-operation exception.
bool unordered(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) {
    platform::raise_invalid_operation();
    return true;
  }
  return false;
}

[[noreturn]] void math_error(std::string_view name, int number, std::string_view kind) {
  std::string message(name);
  message += ": ";
  message += kind;
  message += " error";
  detail::fail_math(number, message);
}

}  // namespace

void enable_fp_traps() { platform::enable_fp_traps(on_floating_point_trap); }

void set_trap_hook(TrapHook hook) { g_trap_hook = hook; }

TrapsHeld::TrapsHeld() { platform::hold_fp_exceptions(caller_env_); }
TrapsHeld::~TrapsHeld() { platform::restore_fp_environment(caller_env_); }

bool ordered_lt(double a, double b) { return !unordered(a, b) && a < b; }
bool ordered_le(double a, double b) { return !unordered(a, b) && a <= b; }
bool ordered_gt(double a, double b) { return !unordered(a, b) && a > b; }
bool ordered_ge(double a, double b) { return !unordered(a, b) && a >= b; }

double rt_log(double x) {
  if (x == 0.0) math_error("log", 6202, "SING");
  if (!std::isnan(x) && x < 0.0) math_error("log", 6201, "DOMAIN");
  return std::log(x);
}

double rt_exp(double x) {
  if (!std::isnan(x) && !std::isinf(x) && x > kExpLimit) math_error("exp", 6203, "OVERFLOW");
  return std::exp(x);
}

double rt_sqrt(double x) {
  if (!std::isnan(x) && x < 0.0) math_error("sqrt", 6201, "DOMAIN");
  return std::sqrt(x);
}

double rt_sin(double x) {
  if (std::isinf(x)) math_error("sin", 6201, "DOMAIN");
  return std::sin(x);
}

double rt_atan(double x) { return std::atan(x); }

double rt_asin(double x) {
  if (!std::isnan(x) && (x > 1.0 || x < -1.0)) math_error("asin", 6201, "DOMAIN");
  return std::asin(x);
}

}  // namespace polylsq::recio
