// The CSV tables that `polylsq fit` writes: the residual of every observation and the
// predictions asked for, one series after the other. Numbers are the shortest text that
// reads back as the same double ("0.1", "1e+300"; no negative zero); an undefined value is
// NA; a series name is quoted as CSV quotes a cell where it holds a comma, a quote, a line
// end or blanks at an end. Pure functions from the fits to bytes; lines end with LF.
#pragma once

#include <span>
#include <string>

#include "app/fit_series.h"

namespace polylsq::app {

// "x,y,fitted,residual[,weight],line[,series]": weight when the data are weighted (rows
// of weight 0 included), line the source line of the observation (data.lines; empty
// when not recorded), series (its name) when there are several.
std::string residuals_csv(std::span<const SeriesResult> series);

// "x,fit,se_fit,confidence_low,confidence_high,prediction_low,prediction_high[,series]":
// one row per prediction of each series.
std::string predictions_csv(std::span<const SeriesResult> series);

}  // namespace polylsq::app
