// The error handler's name stack: names are stored cut or blank-padded to 32 characters
// and a pop matches its push when both agree once padded, silently; any other pop is the
// handler's terminal "does not match" error, which stops the run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/error_handler.h"
#include "support_lib/capture.h"

namespace {

using polylsq::E1POP;
using polylsq::E1PSH;

struct NamePair {
  std::string pushed;
  std::string popped;
  bool match;
};

TEST(NameStack, PopMatchesPushExactlyWhenTheBlankPaddedNamesAgree) {
  const std::string name32 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";  // exactly the stored width
  const std::vector<NamePair> pairs = {
      {"RCURV ", "RCURV", true},
      {"RCURV", "RCURV     ", true},
      {"RCURV ", "RCURV   ", true},
      {"RCURV", "RCURV ", true},
      {"C1WFR ", "C1WFR", true},
      {"RCURV ", "RCURW", false},
      {"RCURV ", "RCUR", false},      // the stored name has a V where the pop has a blank
      {"RCUR ", "RCURV", false},
      {"", "", true},
      {"", " ", true},
      {"A", "", false},
      {name32, name32, true},
      {name32 + "XYZ", name32, true},        // cut to 32 on the push
      {name32, name32 + "   ", true},        // blanks beyond the width match the padding
      {name32, name32 + "  Z", false},       // anything else beyond the width does not
      {name32, name32.substr(0, 31), false},  // the stored 32nd character is not a blank
  };
  for (const NamePair& p : pairs) {
    const polylsq::testing::Run r = polylsq::testing::run_captured([&] {
      E1PSH(p.pushed);
      E1POP(p.popped);
    });
    SCOPED_TRACE('"' + p.pushed + "\" popped as \"" + p.popped + '"');
    EXPECT_EQ(r.stopped, !p.match);
    if (p.match) {
      EXPECT_EQ(r.console, "");
    } else {
      EXPECT_NE(r.console.find("TERMINAL ERROR 2 from"), std::string::npos);
    }
  }
}

}  // namespace
