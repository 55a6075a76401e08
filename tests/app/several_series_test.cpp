// `polylsq fit` with several y columns: each series is fitted exactly as if it were alone
// (same bits), the JSON lists them with the input's name, the residual table names them.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/accurate_run.h"

namespace polylsq::testing {
namespace {

// a = 1.3 + 0.9 t on its five rows (worked by hand); b = 1 + 2 t exactly on its four.
const std::string kTwoSeries = "\"t\",\"a\",\"b\",\n1,2,NA,\n2,3,5,\n3,5,7,\n4,4,null,\n5,6,11,\n6,,13,\n";

TEST_F(AccurateCommands, EverySeriesIsFittedAsIfAlone) {
  const std::vector<std::string> alone_options[] = {{"--y", "a"}, {"--y", "b"}};
  json alone[2];
  for (int k = 0; k < 2; ++k) {
    std::vector<std::string> options{"--degree", "1", "--x", "t", "--confint", "--at", "2.5"};
    options.insert(options.end(), alone_options[k].begin(), alone_options[k].end());
    alone[k] = fit_json("two.csv", kTwoSeries, options);
    alone[k].erase("warnings");
  }
  expect_close(alone[0]["coefficients"][0], 1.3, "intercept of a");
  expect_close(alone[1]["coefficients"][1], 2.0, "slope of b");
  const std::vector<std::string> spellings[] = {
      {"--x", "t", "--y", "a,b"}, {"--x", "t", "--y", "2,3"}, {"--x", "t", "--y", "a", "--y", "3"},
      {"--x", "1", "--y", "a", "--y", "b"}};
  for (const std::vector<std::string>& spelling : spellings) {
    std::vector<std::string> options{"--degree", "1", "--confint", "--at", "2.5"};
    options.insert(options.end(), spelling.begin(), spelling.end());
    const json several = fit_json("two.csv", kTwoSeries, options);
    EXPECT_EQ(keys_of(several), (std::set<std::string>{"input", "series", "warnings"}));
    EXPECT_EQ(several["input"], "two.csv");
    ASSERT_EQ(several["series"].size(), 2u);
    for (int k = 0; k < 2; ++k) {
      json series = several["series"][k];
      EXPECT_EQ(series["y"], k == 0 ? "a" : "b");
      series.erase("y");
      series.erase("warnings");
      EXPECT_EQ(series, alone[k]) << spelling.back();  // numbers in shortest form: same bits
    }
  }
}

TEST_F(AccurateCommands, TheResidualTableOfSeveralSeriesNamesThemAndTheirLines) {
  write_file(dir_ / "two.csv", kTwoSeries);
  const ChildRun outcome = run({"fit", "--degree", "1", "--y", "a,b", "--residuals", "r.csv", "two.csv"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const std::string table = read_file(dir_ / "r.csv").value_or("");
  EXPECT_TRUE(table.starts_with("x,y,fitted,residual,line,series\n1,2,")) << table;
  EXPECT_TRUE(table.ends_with("\n2,5,5,0,3,b\n3,7,7,0,4,b\n5,11,11,0,6,b\n6,13,13,0,7,b\n")) << table;
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 10);
  // One block per series, headed by its name, with its own equation.
  EXPECT_NE(outcome.out.find("Series 1 of 2: a\n"), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find("Series 2 of 2: b\n"), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find("\nb = 1.000000 + 2.000000 t\n"), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find("two.csv: line 2: NA cell, row skipped"), std::string::npos) << outcome.out;
}

}  // namespace
}  // namespace polylsq::testing
