// Stand-in routines and expected records shared by the error handler's suites: the
// (x, y) fit's two outer levels, a routine called by the user, traceback rows.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "support/error_handler.h"
#include "support_lib/aliases.h"

namespace polylsq::handler_testing {

// RCURV calling R2URV, whose body is `inner`.
inline void rcurv_over_r2urv(const std::function<void()>& inner) {
  E1PSH("RCURV ");
  E1PSH("R2URV ");
  inner();
  E1POP("R2URV");
  E1POP("RCURV");
}

// A routine called by the user (level 2) named TESTR, whose body is `body`.
inline CapturedRun at_level_two(const std::function<void()>& body) {
  return run_captured([&] {
    E1PSH("TESTR ");
    body();
    E1POP("TESTR");
  });
}

inline std::string warning_line(const std::string& text) {
  return " *** WARNING  ERROR 1 from TESTR" + text;
}

inline const Records kTraceHeader = {
    "     Here is a traceback of subprogram calls in reverse order:",
    "     Routine name                    Error type  Error code",
    "     ------------                    ----------  ----------",
};

inline std::string trace_row(const std::string& name, int type, int code, bool internal) {
  char row[128];
  std::snprintf(row, sizeof row, "     %-32s%6d      %6d%s", name.c_str(), type, code,
                internal ? "    (Called internally)" : "");
  return row;
}

inline Records concat(Records a, const Records& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace polylsq::handler_testing
