// What `polylsq fit` shows of its fits as text for people: per series the heading, the
// equation, the coefficient table, the summary, the analysis of variance, and what the
// options ask (the coefficients' intervals, their covariance, predictions); then the
// warnings. No line is wider than kReportWidth unless one word is (a long file name).
// Pure functions from the fits to text.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "app/fit_series.h"

namespace polylsq::app {

// The report's facts besides the fits.
struct FitSource {
  std::string name;    // the file as named on the command line, "standard input" for "-"
  std::string input;   // the file as named on the command line, "-" for standard input
  std::string format;  // "data file" or "columns"
  std::string x_name;  // the x column's header name, else "x"
  std::vector<std::string> warnings;  // of the reader, shown before the fits' own
};

// What the report shows besides the fit itself.
struct ReportOptions {
  int digits = 10;          // significant digits of every statistic of the text
  double level = 0.95;      // of the intervals
  bool confint = false;     // the coefficients' confidence intervals
  bool covariance = false;  // the coefficients' covariance matrix
};

// The name of a series in the report: its y column's header name, else "y".
std::string y_name_of(const SeriesResult& series);

// The text report. One series: its block, then every warning (the reader's, the series',
// the fit's). Several: a block per series headed "Series K of N: NAME" with its own
// warnings, then the reader's. A block: "Polynomial fit of degree D to N observations
// (NAME, FORMAT[, weighted])", with --degree auto "Degree chosen by CRITERION: WHY", the
// equation (fit_equation.h), the coefficient table (power, coefficient, standard error,
// t value, Pr(>|t|), with --confint the interval's bounds), R-squared, adjusted R-squared, residual SD, observations, the analysis of
// variance, with --cov the covariance matrix labelled by powers, the predictions (x, fit,
// se(fit), confidence and prediction bounds). Statistics with `digits` significant
// digits; an undefined value reads "undefined".
std::string fit_text(const FitSource& source, std::span<const SeriesResult> series,
                     const ReportOptions& options);

}  // namespace polylsq::app
