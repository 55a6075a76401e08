// The error-state queries as a caller sees them, their terminal error for a bad
// argument, and the shared integer checks with their messages and running codes.
#include "support/error_queries.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/argument_checks.h"
#include "support/error_handler.h"
#include "support_lib/aliases.h"

namespace polylsq {
namespace {

void callee(const char* pushed, const char* popped, int type, int code) {
  E1PSH(pushed);
  if (type != 0) E1MES(type, code, "inner");
  E1POP(popped);
}

TEST(N1rty, StatesSeenByACallerFollowItsCalls) {
  struct Seen {
    int own_type, own_code, callee_type, callee_code;
  };
  std::vector<Seen> seen;
  auto look = [&] { seen.push_back({N1RTY(0), N1RCD(0), N1RTY(1), N1RCD(1)}); };
  CapturedRun r = run_captured([&] {
    E1PSH("RCURV ");
    look();  // nothing called yet
    callee("CLEAN ", "CLEAN", 0, 0);
    look();  // a callee returned without an error
    E1PSH("R2URV ");
    callee("R2ORP ", "R2ORP", 4, 7);  // passed up through R2URV
    E1POP("R2URV");
    look();
    E1MES(0, 0, " ");
    look();  // own level cleared, the callee's slot kept
    callee("CLEAN ", "CLEAN", 0, 0);
    look();
    E1POP("RCURV");
    E1PSH("RCURV ");
    look();  // the slot above was reset when RCURV popped
    E1POP("RCURV");
  });
  EXPECT_EQ(r.console, "");
  ASSERT_EQ(seen.size(), 6u);
  const Seen expected[] = {{0, 0, -1, -1}, {0, 0, 0, 0}, {4, 7, 4, 7}, {0, 0, 4, 7}, {0, 0, 0, 0}, {0, 0, -1, -1}};
  for (std::size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].own_type, expected[i].own_type) << i;
    EXPECT_EQ(seen[i].own_code, expected[i].own_code) << i;
    EXPECT_EQ(seen[i].callee_type, expected[i].callee_type) << i;
    EXPECT_EQ(seen[i].callee_code, expected[i].callee_code) << i;
  }
}

TEST(N1rty, ArgumentsOtherThanZeroOrOneAreTerminalErrorsOfTheCaller) {
  struct Case {
    const char* what;
    std::function<void()> query;
    const char* first_line;
  };
  const Case cases[] = {
      {"N1RTY(2)", [] { N1RTY(2); },
       " *** TERMINAL ERROR 1 from TESTR.  The argument passed to N1RTY must be 0 or"},
      {"N1RTY(-1)", [] { N1RTY(-1); },
       " *** TERMINAL ERROR 1 from TESTR.  The argument passed to N1RTY must be 0 or"},
      {"N1RCD(-1)", [] { N1RCD(-1); },
       " *** TERMINAL ERROR 1 from TESTR.  The argument passed to N1RCD must be 0 or"},
  };
  for (const Case& c : cases) {
    bool returned = false;
    CapturedRun r = run_captured([&] {
      E1PSH("TESTR ");
      c.query();
      returned = true;
    });
    EXPECT_FALSE(returned) << c.what;
    SCOPED_TRACE(c.what);
    expect_console(r, {"", c.first_line, " ***          1."}, true);
  }
}

TEST(N1rcd, BadArgumentBelowLevelTwoShowsTheTraceback) {
  CapturedRun r = run_captured([] {
    E1PSH("RCURV ");
    E1PSH("R2URV ");
    E1MES(3, 4, "earlier");
    N1RCD(5);
  });
  const Records expected = {
      "",
      " *** TERMINAL ERROR 1 from R2URV.  The argument passed to N1RCD must be 0 or",
      " ***          1.",
      "     Here is a traceback of subprogram calls in reverse order:",
      "     Routine name                    Error type  Error code",
      "     ------------                    ----------  ----------",
      "     R2URV                                5           1    (Called internally)",
      "     RCURV                                0           0",
      "     USER                                 0           0",
  };
  expect_console(r, expected, true);
}

// ---- CHECK_INT_RANGE and CHECK_INT_ORDER ----

struct CheckCase {
  const char* what;
  std::function<void(int&)> check;
  int code_in;
  Records printed;  // empty: the check passes
};

TEST(ArgumentChecks, FailuresPrintTheirMessageAndEveryCheckAdvancesTheCode) {
  const CheckCase cases[] = {
      {"lower bound fails", [](int& code) { CHECK_INT_RANGE(0, "NOBS", 1, -1, code); }, 4,
       {"", " *** TERMINAL ERROR 4 from R2ORP.  NOBS = 0.  NOBS must be greater than or",
        " ***          equal to 1."}},
      {"lower bound holds", [](int& code) { CHECK_INT_RANGE(1, "NOBS", 1, -1, code); }, 4, {}},
      {"range above", [](int& code) { CHECK_INT_RANGE(9, "NDEG", 0, 5, code); }, 2,
       {"", " *** TERMINAL ERROR 2 from R2ORP.  NDEG = 9.  NDEG must be greater than or",
        " ***          equal to 0 and less than or equal to 5."}},
      {"range below", [](int& code) { CHECK_INT_RANGE(-1, "NDEG", 0, 5, code); }, 3,
       {"", " *** TERMINAL ERROR 3 from R2ORP.  NDEG = -1.  NDEG must be greater than or",
        " ***          equal to 0 and less than or equal to 5."}},
      {"range low end", [](int& code) { CHECK_INT_RANGE(0, "NDEG", 0, 5, code); }, 2, {}},
      {"range high end", [](int& code) { CHECK_INT_RANGE(5, "NDEG", 0, 5, code); }, 2, {}},
      {"one-value range", [](int& code) { CHECK_INT_RANGE(4, "K", 3, 3, code); }, 1,
       {"", " *** TERMINAL ERROR 1 from R2ORP.  K = 4.  K must be greater than or equal to",
        " ***          3 and less than or equal to 3."}},
      {"order fails", [](int& code) { CHECK_INT_ORDER(3, "IRSP", 2, "NCOL", code); }, 6,
       {"", " *** TERMINAL ERROR 6 from R2ORP.  IRSP = 3 and NCOL = 2.  IRSP must be less",
        " ***          than or equal to NCOL."}},
      {"order equal", [](int& code) { CHECK_INT_ORDER(2, "IRSP", 2, "NCOL", code); }, 6, {}},
  };
  for (const CheckCase& c : cases) {
    int code = c.code_in;
    CapturedRun r = run_captured([&] {
      E1PSH("R2ORP ");
      c.check(code);
    });
    EXPECT_EQ(code, c.code_in + 1) << c.what;
    EXPECT_EQ(r.console, c.printed.empty() ? "" : console_view(c.printed, false)) << c.what;
  }
}

TEST(ArgumentChecks, AFailureDoesNotStopLaterChecksAndThePopStops) {
  int code = 1;
  CapturedRun r = run_captured([&] {
    E1PSH("R2ORP ");
    CHECK_INT_RANGE(0, "NOBS", 1, -1, code);
    CHECK_INT_RANGE(-2, "NCOL", 1, -1, code);
    CHECK_INT_RANGE(3, "LDX", 1, -1, code);
    E1POP("R2ORP");
  });
  const Records expected = {
      "",
      " *** TERMINAL ERROR 1 from R2ORP.  NOBS = 0.  NOBS must be greater than or",
      " ***          equal to 1.",
      "",
      " *** TERMINAL ERROR 2 from R2ORP.  NCOL = -2.  NCOL must be greater than or",
      " ***          equal to 1.",
  };
  EXPECT_EQ(code, 4);
  expect_console(r, expected, true);
}

}  // namespace
}  // namespace polylsq
