// What `polylsq degrees` shows of degree tables: a text report for people and one JSON
// object for scripts, one table per series. Pure functions from the tables to text.
#pragma once

#include <string>
#include <vector>

#include "accurate/degree_table.h"

namespace polylsq::app {

// The table of one series and the series' name.
struct SeriesTable {
  std::string name;
  accurate::DegreeTable table;
};

// The report's heading facts besides the tables.
struct DegreeSource {
  std::string name;                   // the file as named on the command line, "standard input" for "-"
  std::string format;                 // "data file" or "columns"
  std::vector<std::string> warnings;  // of the reader, shown with every table before its own
};

// Per table: a heading (its degrees, n and the observations of weight 0, the source, the
// series' name when there are several), one row per degree (residual SD, R-squared,
// adjusted R-squared, AIC, AICc, BIC, leave-one-out RMSE, p of the F test, each to 10
// significant digits or "undefined"; no p for degree 0), a '*' after the value of the
// degree each criterion recommends, a line listing those degrees, a line naming the
// degree of `criterion` and why, and the warnings.
std::string degrees_text(const std::vector<SeriesTable>& tables, const DegreeSource& source,
                         accurate::DegreeCriterion criterion);

// Per table one object, exactly these keys: input, n, max_degree (the table's highest
// degree), degrees (per degree: degree, residual_sd, r_squared, adjusted_r_squared, aic,
// aicc, bic, loocv_rmse, f_p_value), recommended {bic, aic, aicc, loocv, ftest},
// criterion, warnings; an undefined value is null. One table: that object; several:
// {"series": [...]}, each object with the key series (its name) after input. Ends with a
// line end.
std::string degrees_json(const std::vector<SeriesTable>& tables, const DegreeSource& source,
                         accurate::DegreeCriterion criterion);

}  // namespace polylsq::app
