// Axis ranges and tick marks of the plots: ticks at 1, 2 or 5 times a power of ten, labelled from
// their decimal digits (significand and exponent) so that no binary rounding noise reaches the
// text; very large or small labels share one power of ten, in the axis title. Pure functions of
// plain numbers; no failure path: inputs outside the domain give a documented fallback.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace polylsq::plot {

// Closed interval of data values; an axis range has finite low < high.
struct AxisRange {
  double low = 0;
  double high = 0;
};

// Smallest span an axis shows, absolute (keeps tick steps normal doubles) and relative to
// the largest magnitude (keeps tick labels within about 14 significant digits).
inline constexpr double kMinAxisSpan = 1e-300;
inline constexpr double kMinRelativeAxisSpan = 1e-12;

// The extent that shows data spanning [low, high] (finite, low <= high): the data span
// itself when it is wide enough; a zero span widened to 10% of the value on each side (1 at
// zero); a span narrower than the minimum widened symmetrically to it. Ends are clamped to
// the double range. Non-finite or reversed input is treated as [0, 0].
AxisRange drawable_extent(double low, double high);

// The axis range for data spanning [low, high]: drawable_extent plus a margin of 5% of its
// span on each side, clamped to the double range. Same input domain as drawable_extent.
AxisRange axis_range_for(double low, double high);

// Position of `value` in `range`: 0 at low, 1 at high. NaN for NaN; may be infinite when
// value is far outside a narrow range.
double range_fraction(double value, AxisRange range);

enum class NumberForm { kFixed, kScientific };

// Text of significand * 10^exponent, shortest form without trailing zeros:
// fixed (15, -1) -> "1.5", (5, 3) -> "5000"; scientific (15, 11) -> "1.5e+12",
// (2, -20) -> "2e-20", (1, 5) -> "1e+05". Zero is "0" in both forms; negatives start with '-'.
std::string decimal_text(std::int64_t significand, int exponent, NumberForm form);

struct Ticks {
  std::vector<double> values;       // ascending, within the range
  std::vector<std::string> labels;  // one per value: (value - offset) / 10^power, fixed form
  double offset = 0;                // nonzero when the labels would need more than 7 digits
  std::string offset_text;          // |offset| as text, empty when offset is 0
  int power = 0;                    // nonzero when the largest label is 1e7 or more or below 1e-4
};

// Ticks at multiples of the smallest spacing of 1, 2 or 5 x 10^k that leaves at most `max_ticks`
// ticks (clamped to 3..50) in `range`. Labels are fixed-form decimals; when the largest would be
// 1e7 or more or below 1e-4, all are divided by the power of ten of the largest (0 .. 1e7 -> "0" ..
// "1" with power 7). When the labels would need more than 7 significant digits, they show the ticks
// less a round offset near the first tick. Returns no ticks when the range is not an axis range or
// is so narrow for its magnitude that tick numbers (tick / spacing) would pass 10^15.
Ticks choose_ticks(AxisRange range, int max_ticks);

// Axis title with the tick offset and power: ("x", offset 1e8) -> "x − 100000000",
// offset -5 -> "x + 5", power 9 -> "x (× 10⁹)", power -5 -> "x (× 10⁻⁵)"; the name alone
// when there are neither.
std::string axis_title(std::string_view name, const Ticks& ticks);

}  // namespace polylsq::plot
