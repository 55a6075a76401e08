// Input checks and scalings of the accurate fit.
#include "accurate/fit_input.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>

#include "accurate/fit_limits.h"
#include "accurate/halved_pass.h"
#include "text/message_text.h"

namespace polylsq::accurate {
namespace {

using text::counted;
using text::shortest_text;

Error error(ErrorKind kind, std::string message,
            std::optional<std::size_t> observation = std::nullopt) {
  return Error{kind, std::move(message), observation};
}

// "<count> <what> cannot determine a polynomial of degree d: at least p are needed"
std::string too_few_text(const std::string& what, int degree) {
  const int needed = degree + 1;
  return what + " cannot determine a polynomial of degree " + std::to_string(degree) +
         ": at least " + std::to_string(needed) + (needed == 1 ? " is" : " are") + " needed";
}

// The first observation with a non-finite value or a negative weight; only called when
// the fast scan found one.
Error first_bad_value(const Observations& data) {
  const bool weighted = !data.w.empty();
  for (std::size_t i = 0; i < data.x.size(); ++i) {
    const std::string where = "observation " + std::to_string(i + 1) + ": ";
    if (!std::isfinite(data.x[i])) {
      return error(ErrorKind::kNonFiniteValue,
                   where + "x is not a finite number (" + shortest_text(data.x[i]) + ")", i);
    }
    if (!std::isfinite(data.y[i])) {
      return error(ErrorKind::kNonFiniteValue,
                   where + "y is not a finite number (" + shortest_text(data.y[i]) + ")", i);
    }
    if (weighted && !std::isfinite(data.w[i])) {
      return error(ErrorKind::kNonFiniteValue,
                   where + "the weight is not a finite number (" + shortest_text(data.w[i]) + ")",
                   i);
    }
    if (weighted && data.w[i] < 0.0) {
      return error(ErrorKind::kNegativeWeight,
                   where + "the weight " + shortest_text(data.w[i]) + " is negative", i);
    }
  }
  return error(ErrorKind::kNonFiniteValue, "a value is not a finite number");
}

// Facts about the used observations, gathered in one scan.
struct Survey {
  bool all_valid = true;
  std::int64_t used = 0;
  double x_min = 0.0, x_max = 0.0;
  double y_abs_max = 0.0;
  double w_max = 0.0;
  double first_y = 0.0;
  bool y_varies = false;
};

template <bool kWeighted>
Survey survey(const Observations& data) {
  Survey s;
  const std::size_t n = data.x.size();
  s.x_min = INFINITY;
  s.x_max = -INFINITY;
  bool have_first = false;
  for (std::size_t i = 0; i < n; ++i) {
    const double x = data.x[i], y = data.y[i];
    const double w = kWeighted ? data.w[i] : 1.0;
    // x - x is 0 for every finite x and NaN otherwise.
    s.all_valid &= (x - x == 0.0) & (y - y == 0.0) & (w - w == 0.0) & (w >= 0.0);
    if (kWeighted && !(w > 0.0)) continue;
    ++s.used;
    s.x_min = std::min(s.x_min, x);
    s.x_max = std::max(s.x_max, x);
    s.y_abs_max = std::max(s.y_abs_max, std::fabs(y));
    s.w_max = std::max(s.w_max, w);
    if (!have_first) {
      s.first_y = y;
      have_first = true;
    }
    s.y_varies |= (y != s.first_y);
  }
  return s;
}

// The survey of the rows of `first` followed by those of `second`: the same as one scan,
// the first of equal extremes kept as std::min and std::max keep it.
Survey joined(const Survey& first, const Survey& second) {
  Survey s;
  s.all_valid = first.all_valid && second.all_valid;
  s.used = first.used + second.used;
  s.x_min = std::min(first.x_min, second.x_min);
  s.x_max = std::max(first.x_max, second.x_max);
  s.y_abs_max = std::max(first.y_abs_max, second.y_abs_max);
  s.w_max = std::max(first.w_max, second.w_max);
  s.first_y = first.used > 0 ? first.first_y : second.first_y;
  s.y_varies = first.y_varies || second.y_varies ||
               (first.used > 0 && second.used > 0 && first.first_y != second.first_y);
  return s;
}

template <bool kWeighted>
Survey survey_halves(const Observations& data) {
  if (data.x.size() < kHalvedPassRows) return survey<kWeighted>(data);
  const ObservationHalves halves = halves_of(data, 1);
  Survey first, second;
  run_halves(PassThreads::kTwo, [&] { first = survey<kWeighted>(halves.first); },
             [&] { second = survey<kWeighted>(halves.second); });
  return joined(first, second);
}

}  // namespace

int count_distinct_x(const Observations& data, int limit) {
  double seen[kMaxCoefficients + 1];
  int count = 0;
  for (std::size_t i = 0; i < data.x.size() && count < limit; ++i) {
    if (!data.w.empty() && !(data.w[i] > 0.0)) continue;
    if (std::find(seen, seen + count, data.x[i]) == seen + count) seen[count++] = data.x[i];
  }
  return count;
}

namespace {

// Smallest e with 2^e > v (v > 0), 0 for v == 0.
int exponent_above(double v) { return v > 0.0 ? std::ilogb(v) + 1 : 0; }

DataScaling choose_scaling(const Survey& s, bool weighted) {
  DataScaling scaling;
  scaling.center = s.x_min / 2 + s.x_max / 2;
  scaling.x_exponent =
      exponent_above(std::max(s.x_max - scaling.center, scaling.center - s.x_min));
  scaling.y_exponent = exponent_above(s.y_abs_max);
  if (weighted) {
    // Even, so that the residual standard deviation scales back by an exact power of two.
    scaling.w_exponent = exponent_above(s.w_max);
    scaling.w_exponent += scaling.w_exponent & 1;
  }
  return scaling;
}

}  // namespace

Expected<CheckedInput> check_input(const Observations& data, int degree) {
  if (degree < 0 || degree > kMaxDegree) {
    return error(ErrorKind::kDegreeOutOfRange,
                 "the degree must be an integer from 0 to " + std::to_string(kMaxDegree) +
                     " (it is " + std::to_string(degree) + ")");
  }
  const std::size_t n = data.x.size();
  if (data.y.size() != n) {
    return error(ErrorKind::kSizeMismatch, "x has " + counted(n, "value") + " but y has " +
                                               std::to_string(data.y.size()));
  }
  const bool weighted = !data.w.empty();
  if (weighted && data.w.size() != n) {
    return error(ErrorKind::kSizeMismatch,
                 "there are " + counted(data.w.size(), "weight") + " for " +
                     counted(n, "observation"));
  }
  const Survey s = weighted ? survey_halves<true>(data) : survey_halves<false>(data);
  if (!s.all_valid) return first_bad_value(data);

  const int p = degree + 1;
  if (s.used < p) {
    const std::string what =
        weighted ? counted(s.used, "observation") + " of positive weight"
                 : counted(s.used, "observation");
    return error(ErrorKind::kTooFewObservations, too_few_text(what, degree));
  }
  const int distinct = count_distinct_x(data, p);
  if (distinct == 1 && degree >= 1) {
    return error(ErrorKind::kConstantX,
                 "x is constant (" + shortest_text(s.x_min) + "): a polynomial of degree " +
                     std::to_string(degree) + " needs at least " + std::to_string(p) +
                     " distinct x values");
  }
  if (distinct < p) {
    return error(ErrorKind::kTooFewDistinctX,
                 too_few_text(counted(distinct, "distinct x value"), degree));
  }

  CheckedInput checked;
  checked.scaling = choose_scaling(s, weighted);
  checked.used = s.used;
  checked.zero_weights = static_cast<std::int64_t>(n) - s.used;
  if (!s.y_varies) checked.constant_y = s.first_y;
  return checked;
}

}  // namespace polylsq::accurate
