// `polylsq check` on the real binary judging the polynomial that the result file's printed
// coefficients describe: a quartic far from zero whose printed curve is useless though most
// figures agree, and the picture of the printed curve (coefficients that print no number:
// check_comparison_test.cpp).
#include <gtest/gtest.h>

#include <cmath>

#include "app/accurate_run.h"

namespace polylsq::testing {
namespace {

// (x - 105)^2 - 5 on x = 100..110 by halves, moved alternately by +0.25 and -0.25 (exact
// binary fractions), fitted by a quartic: x^4 is 10^8 and more there, so 3 decimals of its
// coefficient cannot give a curve of size 20.
std::string quartic_near_100() {
  std::string text = "4\n21\n";
  for (int i = 0; i <= 20; ++i) {
    const double x = 100 + 0.5 * i;
    const double y = (x - 105) * (x - 105) - 5 + (i % 2 == 0 ? 0.25 : -0.25);
    text += std::to_string(x) + " " + std::to_string(y) + "\n";
  }
  return text;
}

// The printed polynomial at x from the result-file texts, in long double.
long double printed_at(const json& figures, double x) {
  long double value = 0;
  for (int k = 5; k >= 0; --k) value = value * x + std::stold(figures[k]["legacy_text"].get<std::string>());
  return value;
}

TEST_F(AccurateCommands, CheckMarksAPrintedQuarticThatMissesTheData) {
  write_file(dir_ / "quartic.txt", quartic_near_100());
  const ChildRun as_json = run({"check", "--json", "quartic.txt"});
  EXPECT_EQ(as_json.status, 4);
  const json report = json::parse(as_json.out);
  const json& curve = report["curve"];
  ASSERT_TRUE(curve.is_object()) << as_json.out;
  const double at_x = curve["at_x"].get<double>();
  EXPECT_TRUE(at_x == 100 || at_x == 110) << at_x;  // the difference is a polynomial of size
                                                    // x^k at its ends
  const long double printed = printed_at(report["figures"], at_x);
  EXPECT_NEAR(curve["printed_value"].get<double>(), static_cast<double>(printed), 1e-9 * std::fabs(printed));
  // The fit passes within the noise of the data: 20 - 0.25 or + 0.25 at either end.
  EXPECT_NEAR(curve["accurate_value"].get<double>(), 20.0, 0.5);
  EXPECT_GT(curve["max_difference"].get<double>(), 1000.0);
  EXPECT_EQ(curve["marked"], true);
  EXPECT_NE(report["verdict"].get<std::string>().find("the polynomial of the printed coefficients is "),
            std::string::npos);

  const ChildRun text = run({"check", "--plot", "quartic.svg", "quartic.txt"});
  EXPECT_EQ(text.status, 4);
  EXPECT_NE(text.out.find("\nCurve of the printed coefficients against the accurate fit\n"
                          "  largest difference  "),
            std::string::npos)
      << text.out;
  const std::string svg = read_file(dir_ / "quartic.svg").value_or("");
  EXPECT_NE(svg.find(">result file</text>"), std::string::npos);
  EXPECT_NE(svg.find(">leaves the frame</text>"), std::string::npos);
}

}  // namespace
}  // namespace polylsq::testing
