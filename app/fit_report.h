// What `polylsq fit` shows of an accurate fit: a text report for people and one JSON
// object for scripts. Pure functions from the fit to text.
#pragma once

#include <string>
#include <vector>

#include "accurate/polynomial_fit.h"
#include "accurate/prediction.h"

namespace polylsq::app {

// The report's heading facts besides the fit itself.
struct FitSource {
  std::string name;         // the file as named on the command line, "standard input" for "-"
  std::string format;       // "data file" or "columns"
  std::vector<std::string> warnings;  // of the reader, shown before the fit's own
};

// A prediction asked for with --at, and the level of its intervals.
struct PredictionAt {
  double x = 0.0;
  accurate::Prediction prediction;
};
struct Predictions {
  double level = 0.95;
  std::vector<PredictionAt> rows;  // empty: none asked for
};

// The text report: heading, coefficient table (power, coefficient, standard error, t,
// Pr(>|t|)) with at least 10 significant digits, R-squared, adjusted R-squared, residual
// standard deviation, n, the analysis of variance, the predictions (x, fit, its standard
// error, confidence and prediction intervals), and the warnings. An undefined value reads
// "undefined".
std::string fit_text(const accurate::PolynomialFit& fit, const FitSource& source,
                     const Predictions& predictions = {});

// One JSON object, exactly these keys: degree, n, coefficients (ascending powers),
// standard_errors, t_values, p_values, r_squared (a fraction), adjusted_r_squared,
// residual_sd, anova {ss_regression, ss_error, df_regression, df_error, f, p}, warnings;
// and, when predictions were asked for, predictions: an array of {x, fit, se_fit,
// confidence: [low, high], prediction: [low, high]}. An undefined value is null; numbers
// are the shortest text that reads back as the same double. Ends with a line end.
std::string fit_json(const accurate::PolynomialFit& fit, const FitSource& source,
                     const Predictions& predictions = {});

}  // namespace polylsq::app
