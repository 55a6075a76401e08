// largest_magnitude and roots_between against hand-derived extrema and roots: interior
// maxima, irrational places, multiple roots, roots 1e-20 apart, degree 10.
#include "app/polynomial_extremum.h"

#include <gtest/gtest.h>

#include <string>

namespace polylsq::app {
namespace {

using Poly = std::vector<WideReal>;

// The bisection resolves t to 2^-120; a root of even multiplicity of p' (a flat extremum)
// moves its value by far less than this.
const WideReal kPlace = ldexp(WideReal(1), -100);

WideReal wide(const char* decimal) { return WideReal(decimal); }

struct ExtremumRow {
  std::string name;
  Poly p;  // ascending powers
  WideReal low, high;
  WideReal t, value;  // derived by hand
};

// clang-format off
TEST(LargestMagnitude, LiesAtAnEndOrAtTheRootOfTheDerivativeDerivedByHand) {
  const WideReal root_two_thirds = sqrt(WideReal(2) / 3);
  const ExtremumRow rows[] = {
      // p' = 3t^2 - 3: p(-1) = 2.5 beats p(1) = -1.5 and the ends p(-/+1.9) = -0.659, 1.659.
      {"interior maximum of a cubic", {wide("0.5"), -3, 0, 1}, wide("-1.9"), wide("1.9"), -1, wide("2.5")},
      // p' = 3t^2 - 2 at sqrt(2/3): p = -(4/3) sqrt(2/3) = -1.0887; p(1.5) = 0.375.
      {"irrational place", {0, -2, 0, 1}, 0, wide("1.5"), root_two_thirds, -WideReal(4) / 3 * root_two_thirds},
      // (t^2 - 1/4)^5: p' = 10 t (t^2 - 1/4)^4 changes sign only at 0, p(0) = -1/1024;
      // p(+/-0.6) = 0.11^5.
      {"degree 10 with fourfold roots of p'", {wide("-0.0009765625"), 0, wide("0.01953125"), 0,
        wide("-0.15625"), 0, wide("0.625"), 0, wide("-1.25"), 0, 1},
       wide("-0.6"), wide("0.6"), 0, wide("-0.0009765625")},
      {"constant: the lower end", {3}, 2, 5, 2, 3},
      {"one point", {1, 1}, wide("0.25"), wide("0.25"), wide("0.25"), wide("1.25")},
      // Leading zeros do not count: p = 1 - t^2 peaks at 0 inside [-0.5, 0.5].
      {"leading zeros", {1, 0, -1, 0, 0}, wide("-0.5"), wide("0.5"), 0, 1},
  };
  for (const ExtremumRow& row : rows) {
    SCOPED_TRACE(row.name);
    const Extremum found = largest_magnitude(row.p, row.low, row.high, ldexp(WideReal(1), -120));
    EXPECT_LT(abs(found.t - row.t), kPlace) << found.t;
    EXPECT_LT(abs(found.value - row.value), kPlace) << found.value;
  }
}
// clang-format on

// (t - 0.5)(t - 0.5 - 1e-20): two roots 1e-20 apart, the derivative's root between them.
TEST(RootsBetween, SeparatesRootsThatAlmostCoincide) {
  const WideReal a = wide("0.5"), b = wide("0.5") + wide("1e-20");
  const std::vector<WideReal> pair = roots_between(Poly{a * b, -(a + b), 1}, 0, 1, ldexp(WideReal(1), -120));
  ASSERT_EQ(pair.size(), 2u);
  EXPECT_LT(abs(pair[0] - a), wide("1e-30"));
  EXPECT_LT(abs(pair[1] - b), wide("1e-30"));
  EXPECT_TRUE(roots_between(Poly{1, 0, 1}, -2, 2, ldexp(WideReal(1), -120)).empty());  // t^2 + 1
}

}  // namespace
}  // namespace polylsq::app
