// What `polylsq fit --json` shows of its fits: one JSON object for scripts, numbers in
// full precision (the shortest text that reads back as the same double), an undefined
// value null (always with a warning), no negative zero. Pure functions from the fits to
// text.
#pragma once

#include <span>
#include <string>

#include "app/fit_report.h"

namespace polylsq::app {

// One series: the fit object, exactly these keys: degree, degree_chosen_by (the criterion's
// name, only when --degree auto chose the degree), n, coefficients (ascending
// powers), standard_errors, t_values, p_values, r_squared (a fraction),
// adjusted_r_squared, residual_sd, anova {ss_regression, ss_error, df_regression,
// df_error, f, p}, warnings (the reader's, the series', the fit's); and only where an
// option asks: level (of the intervals shown), predictions (an array of {x, fit, se_fit,
// confidence: [low, high], prediction: [low, high]}), confidence_intervals ([low, high]
// per coefficient), covariance (a list of rows).
// Several: {"input": the file as named ("-" for standard input), "series": [{"y": the
// series' name, ...its fit object with its own warnings...}, ...], "warnings": the
// reader's}. Ends with a line end.
std::string fit_json(const FitSource& source, std::span<const SeriesResult> series,
                     const ReportOptions& options);

}  // namespace polylsq::app
