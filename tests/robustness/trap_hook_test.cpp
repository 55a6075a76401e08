// The trap hook: an in-process harness receives each trapped exception's number and
// message from the SIGFPE handler and leaves it with siglongjmp, so that a trap is a
// designed end of a run there and not the end of the harness.
#include <gtest/gtest.h>

#include <csetjmp>
#include <limits>
#include <string>

#include "recio/fpenv.h"
#include "recio/testing.h"
#include "support_lib/case_name.h"

namespace polylsq::robustness {
namespace {

sigjmp_buf g_trap_exit;
int g_number = 0;
std::string g_message;

void take_trap(int number, const char* message) {
  g_number = number;
  g_message = message;
  siglongjmp(g_trap_exit, 1);
}

volatile float g_large = std::numeric_limits<float>::max();
volatile double g_zero = 0.0;
volatile double g_nan = std::numeric_limits<double>::quiet_NaN();

struct TrapCase {
  const char* name;
  void (*raise)();
  int number;
  const char* message;
};

const TrapCase kTraps[] = {
    {"Overflow", [] { g_large = float(double(g_large) * 10.0); }, 6104,
     "floating-point error: overflow"},
    {"DivideByZero", [] { g_zero = 1.0 / g_zero; }, 6103, "floating-point error: divide by zero"},
    {"OrderedComparisonWithNan", [] { g_zero = recio::ordered_lt(g_nan, 1.0) ? 1.0 : 2.0; }, 6101,
     "floating-point error: invalid"},
};

void PrintTo(const TrapCase& c, std::ostream* os) { *os << c.name; }

class TrapHook : public ::testing::TestWithParam<TrapCase> {
 protected:
  void SetUp() override { recio::set_trap_hook(take_trap); }
  void TearDown() override {
    recio::set_trap_hook(nullptr);
    recio::enable_fp_traps();  // the handler's floating-point state is not the run's
  }
};

TEST_P(TrapHook, ReceivesTheNumberAndMessageAndLeavesTheHandler) {
  g_number = 0;
  g_message.clear();
  recio::enable_fp_traps();
  if (sigsetjmp(g_trap_exit, 1) == 0) {
    GetParam().raise();
    ADD_FAILURE() << "no trap";
  }
  EXPECT_EQ(g_number, GetParam().number);
  EXPECT_EQ(g_message, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(Kinds, TrapHook, ::testing::ValuesIn(kTraps), testing::CaseName());

TEST(TrapHookDeathTest, WithoutAHookATrapEndsTheProcessWithTheReport) {
  recio::set_trap_hook(nullptr);
  EXPECT_EXIT(
      {
        recio::enable_fp_traps();
        g_zero = 1.0 / g_zero;
      },
      ::testing::ExitedWithCode(1), "run-time error M6103: MATH\r\n- floating-point error: divide by zero");
}

}  // namespace
}  // namespace polylsq::robustness
