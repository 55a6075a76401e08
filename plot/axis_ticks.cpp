// Axis ranges, round tick steps and tick label text.
#include "plot/axis_ticks.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace polylsq::plot {
namespace {

constexpr double kMaxDouble = std::numeric_limits<double>::max();
constexpr double kZeroSpanWidening = 0.1;  // of the value, each side
constexpr double kMarginFraction = 0.05;   // of the span, each side
// Labels needing more digits than this show an offset instead.
constexpr int kMaxLabelDigits = 7;
// Labels in units of a power of ten from this decimal exponent of the largest label up, and
// below the other.
constexpr int kLargeLabelExponent = 7;
constexpr int kSmallLabelExponent = -4;
// The offset itself is written in full (fixed) within these exponents.
constexpr int kFixedOffsetMaxExponent = 15;
// Tick numbers (tick / step) stay integers a double holds exactly.
constexpr double kMaxTickNumber = 1e15;
constexpr std::int64_t kMaxTickCount = 1000;
constexpr int kStepAttempts = 8;  // from the lower bound, 1-2-5 steps reach a fitting one in 3

double clamp_to_doubles(double value) { return std::clamp(value, -kMaxDouble, kMaxDouble); }

double half_span(double low, double high) { return high / 2 - low / 2; }  // never overflows

std::uint64_t magnitude_of(std::int64_t value) {
  return value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

std::string digits_of(std::uint64_t value) {
  std::array<char, 24> buffer{};
  const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
  return std::string(buffer.data(), end);
}

int digit_count(std::uint64_t value) { return static_cast<int>(digits_of(value).size()); }

// The double nearest significand * 10^exponent; none when beyond the double range.
std::optional<double> decimal_value(std::int64_t significand, int exponent) {
  std::array<char, 48> text{};
  char* end = std::to_chars(text.data(), text.data() + 24, significand).ptr;
  *end++ = 'e';
  end = std::to_chars(end, text.data() + text.size(), exponent).ptr;
  double value = 0;
  const auto [parsed_end, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc{} || parsed_end != end) return std::nullopt;
  return value;
}

struct Step {
  int mantissa = 1;  // 1, 2 or 5
  int exponent = 0;
  double value = 1;
};

// The smallest of 1, 2, 5 x 10^k that is at least `raw` (> 0); 1e308 when none is a double.
Step smallest_round_step_above(double raw) {
  const int guess = static_cast<int>(std::floor(std::log10(raw)));
  std::optional<Step> best;
  for (int exponent = guess - 1; exponent <= guess + 2; ++exponent) {
    for (int mantissa : {1, 2, 5}) {
      const std::optional<double> value = decimal_value(mantissa, exponent);
      if (value && *value >= raw && (!best || *value < best->value))
        best = Step{mantissa, exponent, *value};
    }
  }
  return best.value_or(Step{1, 308, 1e308});
}

// 1 -> 2 -> 5 -> 10 times the same power; unchanged when the next is beyond the doubles.
Step next_round_step(Step step) {
  Step next = step;
  if (step.mantissa == 1) next.mantissa = 2;
  if (step.mantissa == 2) next.mantissa = 5;
  if (step.mantissa == 5) next = Step{1, step.exponent + 1, 0};
  const std::optional<double> value = decimal_value(next.mantissa, next.exponent);
  if (!value) return step;
  next.value = *value;
  return next;
}

// Significands (in units of 10^step.exponent) and values of the multiples of `step` within
// `range`. False when the tick numbers would pass kMaxTickNumber or kMaxTickCount.
bool ticks_at(AxisRange range, Step step, std::vector<std::int64_t>& significands,
              std::vector<double>& values) {
  significands.clear();
  values.clear();
  const double first = std::ceil(range.low / step.value);
  const double last = std::floor(range.high / step.value);
  if (!(std::fabs(first) <= kMaxTickNumber && std::fabs(last) <= kMaxTickNumber)) return false;
  const auto first_number = static_cast<std::int64_t>(first);
  const auto last_number = static_cast<std::int64_t>(last);
  if (last_number - first_number > kMaxTickCount) return false;
  // One number either side: the quotients above may be off by one through rounding.
  for (std::int64_t number = first_number - 1; number <= last_number + 1; ++number) {
    const std::int64_t significand = number * step.mantissa;
    const std::optional<double> value = decimal_value(significand, step.exponent);
    if (!value || *value < range.low || *value > range.high) continue;
    significands.push_back(significand);
    values.push_back(*value);
  }
  return true;
}

std::int64_t power_of_ten(int exponent) {
  std::int64_t power = 1;
  for (int i = 0; i < exponent; ++i) power *= 10;
  return power;
}

std::int64_t floor_to_multiple(std::int64_t value, std::int64_t unit) {
  std::int64_t quotient = value / unit;
  if (value % unit != 0 && value < 0) --quotient;
  return quotient * unit;
}

std::uint64_t largest_magnitude(const std::vector<std::int64_t>& values) {
  std::uint64_t largest = 0;
  for (std::int64_t v : values) largest = std::max(largest, magnitude_of(v));
  return largest;
}

// Decimal exponent of the largest |significand * 10^exponent|; nullopt when all are zero.
std::optional<int> leading_exponent(const std::vector<std::int64_t>& significands, int exponent) {
  const std::uint64_t largest = largest_magnitude(significands);
  if (largest == 0) return std::nullopt;
  return digit_count(largest) - 1 + exponent;
}

// Fills labels, offset and offset_text for ticks at significands[i] * 10^exponent.
void label_ticks(std::vector<std::int64_t> significands, int exponent, Ticks& ticks) {
  if (significands.empty()) return;
  if (digit_count(largest_magnitude(significands)) > kMaxLabelDigits) {
    // 100000000.00002 .. 100000000.0001 -> offset 100000000, labels 0.00002 .. 0.0001
    const std::int64_t spread = significands.back() - significands.front();
    const std::int64_t unit = power_of_ten(digit_count(magnitude_of(spread)));
    const std::int64_t offset = floor_to_multiple(significands.front(), unit);
    for (std::int64_t& s : significands) s -= offset;
    if (offset != 0) {
      const int offset_exponent = digit_count(magnitude_of(offset)) - 1 + exponent;
      const bool fixed =
          offset_exponent >= kSmallLabelExponent && offset_exponent <= kFixedOffsetMaxExponent;
      ticks.offset = decimal_value(offset, exponent).value_or(0);
      ticks.offset_text = decimal_text(static_cast<std::int64_t>(magnitude_of(offset)), exponent,
                                       fixed ? NumberForm::kFixed : NumberForm::kScientific);
    }
  }
  const std::optional<int> lead = leading_exponent(significands, exponent);
  if (lead && (*lead >= kLargeLabelExponent || *lead < kSmallLabelExponent)) {
    ticks.power = *lead;  // 2e9 .. 8e9 -> "2" .. "8", power 9
  }
  for (std::int64_t s : significands)
    ticks.labels.push_back(decimal_text(s, exponent - ticks.power, NumberForm::kFixed));
}

// "10⁹", "10⁻⁵": the power with superscript digits.
std::string power_of_ten_text(int power) {
  static const char* const kSuperscriptDigits[] = {"\u2070", "\u00b9", "\u00b2", "\u00b3",
                                                   "\u2074", "\u2075", "\u2076", "\u2077",
                                                   "\u2078", "\u2079"};
  std::string text = power < 0 ? "10\u207b" : "10";
  for (const char digit : digits_of(static_cast<std::uint64_t>(std::abs(power)))) {
    text += kSuperscriptDigits[digit - '0'];
  }
  return text;
}

bool is_axis_range(AxisRange range) {
  return std::isfinite(range.low) && std::isfinite(range.high) && range.low < range.high;
}

}  // namespace

AxisRange drawable_extent(double low, double high) {
  if (!(std::isfinite(low) && std::isfinite(high) && low <= high)) low = high = 0;
  const double magnitude = std::max(std::fabs(low), std::fabs(high));
  const double min_half = std::max(kMinAxisSpan, magnitude * kMinRelativeAxisSpan) / 2;
  const double half = half_span(low, high);
  if (half >= min_half) return {low, high};
  const double mid = low / 2 + high / 2;
  double widened = 0;
  if (half == 0) widened = magnitude > 0 ? magnitude * kZeroSpanWidening : 1.0;
  widened = std::max(widened, min_half);
  return {clamp_to_doubles(mid - widened), clamp_to_doubles(mid + widened)};
}

AxisRange axis_range_for(double low, double high) {
  const AxisRange extent = drawable_extent(low, high);
  const double margin = half_span(extent.low, extent.high) * (2 * kMarginFraction);
  return {clamp_to_doubles(extent.low - margin), clamp_to_doubles(extent.high + margin)};
}

double range_fraction(double value, AxisRange range) {
  const double span = range.high - range.low;
  if (std::isfinite(span)) {
    const double direct = (value - range.low) / span;
    if (!std::isinf(direct)) return direct;
  }
  return (value / 2 - range.low / 2) / half_span(range.low, range.high);
}

std::string decimal_text(std::int64_t significand, int exponent, NumberForm form) {
  if (significand == 0) return "0";
  std::string digits = digits_of(magnitude_of(significand));
  std::string text = significand < 0 ? "-" : "";
  if (form == NumberForm::kScientific) {
    const int power = exponent + static_cast<int>(digits.size()) - 1;
    digits.erase(digits.find_last_not_of('0') + 1);
    text += digits[0];
    if (digits.size() > 1) text += "." + digits.substr(1);
    text += power < 0 ? "e-" : "e+";
    const std::string power_digits = digits_of(static_cast<std::uint64_t>(std::abs(power)));
    if (power_digits.size() < 2) text += '0';
    return text + power_digits;
  }
  if (exponent >= 0) return text + digits + std::string(static_cast<std::size_t>(exponent), '0');
  const int integer_digits = static_cast<int>(digits.size()) + exponent;
  std::string integer_part = "0";
  std::string fraction = digits;
  if (integer_digits > 0) {
    integer_part = digits.substr(0, static_cast<std::size_t>(integer_digits));
    fraction = digits.substr(static_cast<std::size_t>(integer_digits));
  } else {
    fraction.insert(0, static_cast<std::size_t>(-integer_digits), '0');
  }
  fraction.erase(fraction.find_last_not_of('0') + 1);
  text += integer_part;
  if (!fraction.empty()) text += "." + fraction;
  return text;
}

Ticks choose_ticks(AxisRange range, int max_ticks) {
  Ticks ticks;
  if (!is_axis_range(range)) return ticks;
  max_ticks = std::clamp(max_ticks, 3, 50);
  // Below span / (max_ticks + 1) every step leaves more than max_ticks ticks.
  const double least_step = half_span(range.low, range.high) / ((max_ticks + 1) / 2.0);
  if (!(least_step > 0)) return ticks;  // neighbouring subnormals
  Step step = smallest_round_step_above(least_step);
  std::vector<std::int64_t> significands;
  for (int attempt = 0; attempt < kStepAttempts; ++attempt, step = next_round_step(step)) {
    if (!ticks_at(range, step, significands, ticks.values)) return Ticks{};
    if (significands.size() <= static_cast<std::size_t>(max_ticks)) break;
  }
  label_ticks(std::move(significands), step.exponent, ticks);
  return ticks;
}

std::string axis_title(std::string_view name, const Ticks& ticks) {
  std::string title(name);
  if (!ticks.offset_text.empty()) {
    title += (ticks.offset > 0 ? " \u2212 " : " + ") + ticks.offset_text;
  }
  if (ticks.power != 0) title += " (\u00d7 " + power_of_ten_text(ticks.power) + ")";
  return title;
}

}  // namespace polylsq::plot
