// The residual and prediction tables byte for byte: exact lines whose fitted values are
// their observations, series names quoted as CSV quotes a cell, undefined values as NA.
#include "app/result_tables.h"

#include <gtest/gtest.h>

#include "accurate/polynomial_fit.h"

namespace polylsq::app {
namespace {

// y = 1 + 2x on x = 0, 0.5, 1 (source lines 2 to 4) under the name `name`.
input::Series exact_line(std::string name) {
  input::Series series;
  series.name = std::move(name);
  series.x = {0.0, 0.5, 1.0};
  series.y = {1.0, 2.0, 3.0};
  series.lines = {2, 3, 4};
  return series;
}

SeriesResult result_of(const input::Series& data, std::vector<double> at = {}) {
  Expected<SeriesResult> result = fit_series(data, {1, std::move(at), 0.95, false});
  EXPECT_TRUE(result.has_value());
  return std::move(*result);
}

TEST(ResultTables, SeriesNamesAreCsvCells) {
  const struct {
    const char* name;
    const char* cell;
  } cases[] = {{"Volume", "Volume"}, {"a,b", "\"a,b\""}, {"say \"hi\"", "\"say \"\"hi\"\"\""}, {" pad", "\" pad\""}};
  for (const auto& c : cases) {
    const input::Series first = exact_line("y");
    const input::Series second = exact_line(c.name);
    const SeriesResult results[] = {result_of(first), result_of(second)};
    const std::string cell = c.cell;
    EXPECT_EQ(residuals_csv(results),
              "x,y,fitted,residual,line,series\n0,1,1,0,2,y\n0.5,2,2,0,3,y\n1,3,3,0,4,y\n"
              "0,1,1,0,2," + cell + "\n0.5,2,2,0,3," + cell + "\n1,3,3,0,4," + cell + "\n");
  }
}

// Two observations leave no degrees of freedom for the error of a line: its predictions have
// no standard error and no intervals.
TEST(ResultTables, PredictionsWithoutSpreadAreNa) {
  const input::Series three = exact_line("y");  // a SeriesResult points at its series
  input::Series two = three;
  two.x.pop_back();
  two.y.pop_back();
  two.lines.pop_back();
  const SeriesResult defined = result_of(three, {2.0});
  const SeriesResult undefined = result_of(two, {2.0});
  EXPECT_EQ(predictions_csv({&defined, 1}),
            "x,fit,se_fit,confidence_low,confidence_high,prediction_low,prediction_high\n2,5,0,5,5,5,5\n");
  EXPECT_EQ(predictions_csv({&undefined, 1}),
            "x,fit,se_fit,confidence_low,confidence_high,prediction_low,prediction_high\n2,5,NA,NA,NA,NA,NA\n");
}

}  // namespace
}  // namespace polylsq::app
