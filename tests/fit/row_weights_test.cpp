// C1WFR: the four outcomes, the order in which frequency and weight are read, the missing
// count moved by INC, and the long and short messages for negative values.
#include "fit/row_weights.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "support_lib/aliases.h"

namespace polylsq {
namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kUntouched = 123.0f;  // left in an output that must not be assigned

struct Outcome {
  float frq = kUntouched;
  float wt = kUntouched;
  int istat = -99;
  int nmiss = 10;
  std::string console;
  bool stopped = false;
};

// One row (row 2 of a 3 x 3 matrix: column 2 frequencies, column 3 weights).
Outcome examine(float frequency, float weight, int ifrq, int iwt, int inc, int invoke = 0,
                int invnum = 0) {
  float x[9] = {0.0f, 0.0f, 0.0f, 1.0f, frequency, 1.0f, 1.0f, weight, 1.0f};
  Outcome o;
  auto r = run_captured([&] {
    C1WFR(invoke, invnum, x, 3, 2, inc, ifrq, iwt, 0.0f, o.nmiss, o.frq, o.wt, o.istat);
  });
  o.console = r.console;
  o.stopped = r.stopped;
  return o;
}

TEST(C1wfr, OutcomesWithoutMessages) {
  struct Case {
    const char* what;
    float frequency, weight;
    int ifrq, iwt, inc;
    float frq, wt;
    int istat, nmiss;
  };
  const Case cases[] = {
      {"no columns", 5.0f, 5.0f, 0, 0, 1, 1.0f, 1.0f, 0, 10},
      {"no columns, taken out", 5.0f, 5.0f, 0, -1, -1, -1.0f, 1.0f, 0, 10},
      {"both read", 2.5f, 0.5f, 2, 3, 1, 2.5f, 0.5f, 0, 10},
      {"both read, taken out", 2.5f, 0.5f, 2, 3, -1, -2.5f, 0.5f, 0, 10},
      {"zero weight is usable", 3.0f, 0.0f, 2, 3, 1, 3.0f, 0.0f, 0, 10},
      {"zero frequency", 0.0f, 0.5f, 2, 3, 1, 0.0f, kUntouched, 1, 10},
      {"minus zero frequency", -0.0f, 0.5f, 2, 3, 1, -0.0f, kUntouched, 1, 10},
      {"missing weight", 2.0f, kNaN, 2, 3, 1, 2.0f, kNaN, 2, 11},
      {"missing weight, taken out", 2.0f, kNaN, 2, 3, -1, -2.0f, kNaN, 2, 9},
      {"missing frequency", kNaN, 0.5f, 2, 3, 1, kNaN, 0.5f, 2, 11},
      {"missing frequency, no weight column", kNaN, 0.5f, 2, 0, -1, kNaN, 1.0f, 2, 9},
      {"both missing: counted once", kNaN, kNaN, 2, 3, 1, kNaN, kNaN, 2, 11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Outcome o = examine(c.frequency, c.weight, c.ifrq, c.iwt, c.inc);
    EXPECT_EQ(o.istat, c.istat);
    EXPECT_EQ(o.nmiss, c.nmiss);
    if (std::isnan(c.frq)) {
      EXPECT_TRUE(std::isnan(o.frq));
    } else {
      EXPECT_EQ(o.frq, c.frq);
      EXPECT_EQ(std::signbit(o.frq), std::signbit(c.frq));
    }
    if (std::isnan(c.wt)) {
      EXPECT_TRUE(std::isnan(o.wt));
    } else {
      EXPECT_EQ(o.wt, c.wt);
    }
    EXPECT_EQ(o.console, "");
    EXPECT_FALSE(o.stopped);
  }
}

TEST(C1wfr, NegativeValuesAreFatalInLongAndShortForms) {
  struct Case {
    const char* what;
    float frequency, weight;
    int invoke, invnum;
    float frq, wt;
    const char* console;
  };
  const Case cases[] = {
      {"frequency, short", -2.0f, 0.5f, 0, 17, -2.0f, 0.5f,
       "\r\n*** FATAL    ERROR 2 from C1WFR.  The frequency for row 2 of X is"
       "\r\n***          -2.000000E+00.  Frequencies must be nonnegative."},
      {"frequency, long", -2.0f, 0.5f, 1, 17, -2.0f, 0.5f,
       "\r\n*** FATAL    ERROR 2 from C1WFR.  The frequency for row 2 of X on invocation"
       "\r\n***          number 17 of this routine is -2.000000E+00.  Frequencies must "
       "\r\n***          be nonnegative."},
      {"weight, short", 3.0f, -0.5f, 0, 4, 3.0f, -0.5f,
       "\r\n*** FATAL    ERROR 1 from C1WFR.  The weight for row 2 of X was"
       "\r\n***          -5.000000E-01.  Weights must be nonnegative."},
      {"weight, long", 3.0f, -0.5f, 2, 4, 3.0f, -0.5f,
       "\r\n*** FATAL    ERROR 1 from C1WFR.  The weight for row 2 of X on invocation"
       "\r\n***          number 4 of this routine was -5.000000E-01.  Weights must be "
       "\r\n***          nonnegative."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Outcome o = examine(c.frequency, c.weight, 2, 3, 1, c.invoke, c.invnum);
    EXPECT_EQ(o.console, std::string(c.console) + "\r\nStop - Program terminated.\r\n");
    EXPECT_TRUE(o.stopped);
    EXPECT_EQ(o.istat, 3);
    EXPECT_EQ(o.nmiss, 10);
    EXPECT_EQ(o.frq, c.frq);
    EXPECT_EQ(o.wt, c.wt);
  }
}

TEST(C1wfr, MissingFrequencyThenNegativeWeightCountsAndFails) {
  const Outcome o = examine(kNaN, -1.0f, 2, 3, -1);
  EXPECT_EQ(o.nmiss, 9);
  EXPECT_EQ(o.istat, 3);
  EXPECT_EQ(o.console,
            "\r\n*** FATAL    ERROR 1 from C1WFR.  The weight for row 2 of X was"
            "\r\n***          -1.000000E+00.  Weights must be nonnegative."
            "\r\nStop - Program terminated.\r\n");
}

TEST(C1wfr, ZeroFrequencyDoesNotReadANegativeWeight) {
  const Outcome o = examine(0.0f, -1.0f, 2, 3, 1);
  EXPECT_EQ(o.istat, 1);
  EXPECT_EQ(o.wt, kUntouched);
  EXPECT_EQ(o.console, "");
}

}  // namespace
}  // namespace polylsq
