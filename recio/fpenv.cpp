// The floating-point environment: round to nearest, the three traps and the trap report,
// the trapping ordered comparisons, and the math-library functions with their reports.
#include "recio/fpenv.h"

#include <fenv.h>
#include <signal.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "recio/console.h"
#include "recio/exit_status.h"
#include "recio/run_end.h"
#include "recio/testing.h"

namespace polylsq::recio {
namespace {

// Largest argument whose exponential is finite in double.
constexpr double kExpLimit = 0x1.62e42fefa39efp+9;

void write_raw(int fd, const char* text, std::size_t length) {
  while (length > 0) {
    const ssize_t n = ::write(fd, text, length);
    if (n <= 0) {
      if (n < 0 && errno == EINTR) continue;
      return;
    }
    text += n;
    length -= static_cast<std::size_t>(n);
  }
}

template <std::size_t N>
void write_literal(int fd, const char (&text)[N]) {
  write_raw(fd, text, N - 1);
}

// A trapped exception's kind: its number, its message and its whole report.
struct TrapKind {
  int number;
  const char* message;
  const char* report;
};

TrapKind trap_kind(int si_code) {
  switch (si_code) {
    case FPE_FLTDIV:
    case FPE_INTDIV:
      return {6103, "floating-point error: divide by zero",
              "\r\nrun-time error M6103: MATH\r\n- floating-point error: divide by zero\r\n"};
    case FPE_FLTOVF:
    case FPE_INTOVF:
      return {6104, "floating-point error: overflow",
              "\r\nrun-time error M6104: MATH\r\n- floating-point error: overflow\r\n"};
    case FPE_FLTUND:
      return {6105, "floating-point error: underflow",
              "\r\nrun-time error M6105: MATH\r\n- floating-point error: underflow\r\n"};
    case FPE_FLTRES:
      return {6106, "floating-point error: inexact",
              "\r\nrun-time error M6106: MATH\r\n- floating-point error: inexact\r\n"};
    default:  // FPE_FLTINV, FPE_FLTSUB and anything unclassified
      return {6101, "floating-point error: invalid",
              "\r\nrun-time error M6101: MATH\r\n- floating-point error: invalid\r\n"};
  }
}

volatile TrapHook g_trap_hook = nullptr;

// The ": MATH" report of a trapped exception. Runs in the signal handler: only write(2)
// and _exit(2), texts fixed at compile time. A harness's trap hook takes the trap
// instead and does not return here.
void on_floating_point_trap(int, siginfo_t* info, void*) {
  const TrapKind kind = trap_kind(info->si_code);
  if (const TrapHook hook = g_trap_hook) hook(kind.number, kind.message);
  if (detail::g_console_line_owed) {
    detail::g_console_line_owed = 0;
    write_literal(STDOUT_FILENO, "\r\n");
  }
  write_raw(STDERR_FILENO, kind.report, std::strlen(kind.report));
  ::_exit(kExitRuntimeError);
}

// An ordered comparison with a NaN operand raises the invalid-operation exception.
bool unordered(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) {
    std::feraiseexcept(FE_INVALID);
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

void enable_fp_traps() {
  std::fesetround(FE_TONEAREST);
  std::feclearexcept(FE_ALL_EXCEPT);
  feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
  struct sigaction action {};
  action.sa_sigaction = on_floating_point_trap;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  sigaction(SIGFPE, &action, nullptr);
}

void set_trap_hook(TrapHook hook) { g_trap_hook = hook; }

TrapsHeld::TrapsHeld() { std::feholdexcept(&caller_env_); }
TrapsHeld::~TrapsHeld() { std::fesetenv(&caller_env_); }

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
