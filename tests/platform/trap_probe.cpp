// Ends a run through one floating-point trap or math-library report, so that a script can
// compare the bytes and the exit status of a Windows build with those of the Linux build:
//   trap_probe invalid|divide|overflow|float-overflow|nan-compare|held-overflow|log-zero
// The run shows "before", does the named operation and shows "after" if it goes on.
#include <cfloat>
#include <limits>
#include <string_view>

#include "recio/fpenv.h"
#include "recio/io.h"
#include "recio/run_end.h"

namespace {

using namespace polylsq::recio;

// Operands the compiler cannot fold.
volatile double g_zero = 0.0;
volatile double g_one = 1.0;
volatile double g_big = DBL_MAX;
volatile float g_big_float = FLT_MAX;
volatile double g_nan = std::numeric_limits<double>::quiet_NaN();

struct Operation {
  const char* name;
  void (*run)();
};

const Operation kOperations[] = {
    {"invalid", [] { g_one = g_zero / g_zero; }},
    {"divide", [] { g_one = g_one / g_zero; }},
    {"overflow", [] { g_one = g_big * 2.0; }},
    {"float-overflow", [] { g_big_float = static_cast<float>(g_big_float * 2.0); }},
    {"nan-compare", [] { g_one = ordered_lt(g_nan, 1.0) ? 1.0 : 2.0; }},
    // Held: an infinity and no report; after the hold the same product traps.
    {"held-overflow",
     [] {
       {
         const TrapsHeld held;
         g_one = g_big * 2.0;
       }
       write_list(kStarUnit, {g_one > DBL_MAX ? "held: infinity" : "held: finite"});
       g_one = g_big * 2.0;
     }},
    {"log-zero", [] { g_one = rt_log(g_zero); }},
};

}  // namespace

int main(int argc, char** argv) {
  enable_fp_traps();
  const std::string_view wanted = argc > 1 ? argv[1] : "";
  for (const Operation& operation : kOperations) {
    if (wanted != operation.name) continue;
    write_list(kStarUnit, {"before"});
    operation.run();
    write_list(kStarUnit, {"after"});
    stop();
  }
  return 2;
}
