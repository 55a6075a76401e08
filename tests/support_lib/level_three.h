// A library function called from a stand-in routine at level 2, so that the function runs
// at level 3 and the type and code it leaves can be read afterwards, as its callers do.
#pragma once

#include <functional>
#include <string>

namespace polylsq::testing {

struct LevelThreeOutcome {
  float value = 0.0f;  // what `body` returned
  int type = -2;       // N1RTY(1) and N1RCD(1) after the call
  int code = -2;
  std::string console;  // the run's console bytes
};

// Calls `body` from a stand-in routine "TEST" at level 2 in a captured run; the run must
// not stop (a failed expectation otherwise).
LevelThreeOutcome outcome_of(const std::function<float()>& body);

}  // namespace polylsq::testing
