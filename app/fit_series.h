// One series of `polylsq fit` and what the command line asks of it: the accurate fit of
// its observations at the degree asked, the predictions at the x values asked (with their
// intervals), the confidence intervals of the coefficients. Every series of a data set is
// fitted alone, exactly as if it were the only one.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "accurate/polynomial_fit.h"
#include "accurate/prediction.h"
#include "input/series.h"
#include "text/expected.h"

namespace polylsq::app {

// A prediction asked for with --at or --at-file.
struct PredictionAt {
  double x = 0.0;
  accurate::Prediction prediction;
};

// What is asked of every series.
struct SeriesRequest {
  int degree = 0;
  std::vector<double> at;  // x values to predict at, in order
  double level = 0.95;     // of every interval
  bool confint = false;    // the coefficients' confidence intervals
};

// The criterion that chose the degree of a fit (--degree auto) and why.
struct DegreeChosenBy {
  std::string criterion;  // "bic"
  std::string reason;     // "the smallest BIC of degrees 0 to 5"
};

struct SeriesResult {
  const input::Series* data = nullptr;  // the observations, owned by the caller
  accurate::PolynomialFit fit;
  std::vector<PredictionAt> predictions;  // one per x asked, in order
  // Asked for and defined (error degrees of freedom): one per coefficient.
  std::optional<std::vector<accurate::Interval>> coefficient_intervals;
  // The predictions that extrapolate beyond the x range of the observations used, and
  // those of the degree choice.
  std::vector<std::string> warnings;
  std::optional<DegreeChosenBy> degree_chosen_by;  // empty: the degree was given
};

// The fit of `data` with what `request` asks, or the first failure: the fit's, or a
// prediction's or an interval's (the message naming the x: "--at 3: ...").
Expected<SeriesResult> fit_series(const input::Series& data, const SeriesRequest& request);

}  // namespace polylsq::app
