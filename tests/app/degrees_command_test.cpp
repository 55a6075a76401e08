// `polylsq degrees` and `polylsq fit --degree auto` on the real binary: R's figures on data
// worked by hand, the text's heading and recommendation, weights that change the choice,
// the fit of the recommended degree, several series each with its own degree, the picture,
// and the data that make no table.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <sstream>

#include "app/accurate_run.h"

namespace polylsq::testing {
namespace {

// y = 0, 1, 0, 1 on x = 0..3 (worked by hand). Degree 0: SSE 1, leverages 1/4. Degree 1:
// slope 0.2, SSE 0.8, SSR 0.2, leverages 0.7, 0.3, 0.3, 0.7, residuals -0.2, 0.6, -0.6, 0.2.
// The degree line (7) is not the table's business.
const std::string kFour = "7\n4\n0 0\n1 1\n2 0\n3 1\n";

// A line (y = 1 + 2x and noise of at most 0.04) on x = 1..7; on x = 8..10 points 5(x - 7)^2
// above it (100 noise sizes and more), of weight 0.
const std::string kLineAndOutliers =
    "1 3.03 1\n2 4.98 1\n3 7.01 1\n4 8.96 1\n5 11.02 1\n6 13.01 1\n7 14.99 1\n8 22 0\n9 39 0\n10 66 0\n";

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST_F(AccurateCommands, DegreesJsonGivesRsFiguresForEachDegree) {
  write_file(dir_ / "four.txt", kFour);
  const ChildRun outcome = run({"degrees", "--json", "four.txt"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const json table = json::parse(outcome.out);
  EXPECT_EQ(keys_of(table), (std::set<std::string>{"input", "n", "max_degree", "degrees", "recommended",
                                                    "criterion", "warnings"}));
  EXPECT_EQ(table["n"], 4);
  EXPECT_EQ(table["max_degree"], 2);  // the least of 10, 4 distinct x less 1, 4 observations less 2
  ASSERT_EQ(table["degrees"].size(), 3u);
  const json& zero = table["degrees"][0];
  const json& one = table["degrees"][1];
  EXPECT_EQ(keys_of(zero), (std::set<std::string>{"degree", "residual_sd", "r_squared", "adjusted_r_squared", "aic",
                                                   "aicc", "bic", "loocv_rmse", "f_p_value"}));
  // -2 log L = n (log(2 pi) + 1 - log n + log SSE); k = p + 1 parameters.
  const double c = 4 * (std::log(2 * std::numbers::pi) + 1 - std::log(4.0));
  expect_close(zero["residual_sd"], std::sqrt(1.0 / 3), "sd 0");
  expect_close(zero["aic"], c + 4, "aic 0");
  expect_close(zero["aicc"], c + 4 + 12, "aicc 0");  // 2k(k+1)/(n-k-1) = 12 with k = 2
  expect_close(zero["bic"], c + 2 * std::log(4.0), "bic 0");
  expect_close(zero["loocv_rmse"], 2.0 / 3, "loocv 0");  // r / (3/4), PRESS 16/9
  EXPECT_EQ(zero["f_p_value"], nullptr);
  expect_close(one["residual_sd"], std::sqrt(0.4), "sd 1");
  expect_close(one["r_squared"], 0.2, "r2 1");
  expect_close(one["adjusted_r_squared"], -0.2, "adjusted r2 1");
  expect_close(one["aic"], c + 4 * std::log(0.8) + 6, "aic 1");
  EXPECT_EQ(one["aicc"], nullptr);  // n - k - 1 = 0
  expect_close(one["bic"], c + 4 * std::log(0.8) + 3 * std::log(4.0), "bic 1");
  expect_close(one["loocv_rmse"], std::sqrt(260.0) / 21, "loocv 1");  // PRESS 1040/441
  // F = 0.5 on 1 and 2 degrees of freedom: p = 1 - t / sqrt(t^2 + 2), t^2 = F.
  expect_close(one["f_p_value"], 1 - std::sqrt(0.2), "p 1");
  EXPECT_EQ(table["recommended"], (json{{"aic", 0}, {"aicc", 0}, {"bic", 0}, {"ftest", 0}, {"loocv", 0}}));
  EXPECT_EQ(table["criterion"], "bic");
  const std::vector<std::string> warnings = table["warnings"];
  EXPECT_NE(std::find(warnings.begin(), warnings.end(), "degree 1: AICc is undefined: it needs more than 4 observations"),
            warnings.end());
}

TEST_F(AccurateCommands, DegreesTextNamesTheDegreesTheRecommendationAndWhy) {
  write_file(dir_ / "four.txt", kFour);
  const ChildRun outcome = run({"degrees", "--criterion", "ftest", "four.txt"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const std::vector<std::string> lines = lines_of(outcome.out);
  ASSERT_GE(lines.size(), 10u) << outcome.out;
  EXPECT_EQ(lines[0], "Degrees 0 to 2 for 4 observations (four.txt, data file)");
  EXPECT_EQ(lines[3].substr(0, 6), "     0");
  EXPECT_EQ(lines[3].back(), '*');  // loocv recommends 0; degree 0 has no p
  EXPECT_EQ(lines[7], "* the degree each criterion recommends: bic 0, aic 0, aicc 0, loocv 0, ftest 0");
  EXPECT_EQ(lines[8], "Recommended by ftest: degree 0, the added term of degree 1 is not significant at 0.05 (F test)");
  EXPECT_EQ(lines[10], "Warnings");
}

TEST_F(AccurateCommands, DegreesMaxDegreeCutsTheTableOrIsReducedWithAWarning) {
  write_file(dir_ / "four.txt", kFour);
  const json cut = json::parse(run({"degrees", "--json", "--max-degree", "1", "four.txt"}).out);
  EXPECT_EQ(cut["max_degree"], 1);
  EXPECT_EQ(cut["degrees"].size(), 2u);
  const json reduced = json::parse(run({"degrees", "--json", "--max-degree", "40", "four.txt"}).out);
  EXPECT_EQ(reduced["max_degree"], 2);
  EXPECT_EQ(reduced["warnings"][0],
            "a maximum degree of 40 was asked for; the table ends at degree 2, the least of 10, the distinct x "
            "values less 1 and the observations less 2");
}

TEST_F(AccurateCommands, DegreesWeightsChangeTheRecommendedDegree) {
  write_file(dir_ / "w.txt", kLineAndOutliers);
  const json weighted = json::parse(run({"degrees", "--json", "--weights", "w.txt"}).out);
  EXPECT_EQ(weighted["n"], 7);
  EXPECT_EQ(weighted["recommended"]["bic"], 1);  // the line of the observations used
  std::string unweighted_text;
  for (const std::string& line : lines_of(kLineAndOutliers)) unweighted_text += line.substr(0, line.rfind(' ')) + "\n";
  write_file(dir_ / "u.txt", unweighted_text);
  const json unweighted = json::parse(run({"degrees", "--json", "u.txt"}).out);
  EXPECT_EQ(unweighted["n"], 10);
  EXPECT_GT(unweighted["recommended"]["bic"], 1);  // no line passes near the last three
}

TEST_F(AccurateCommands, FitDegreeAutoIsTheFitOfTheDegreeItsCriterionRecommends) {
  write_file(dir_ / "w.txt", kLineAndOutliers);
  const json table = json::parse(run({"degrees", "--json", "--weights", "w.txt"}).out);
  for (const char* criterion : {"bic", "aic", "aicc", "loocv", "ftest"}) {
    const int degree = table["recommended"][criterion];
    const json chosen = fit_json("w.txt", kLineAndOutliers, {"--weights", "--degree", "auto", "--criterion", criterion});
    const json given = fit_json("w.txt", kLineAndOutliers, {"--weights", "--degree", std::to_string(degree)});
    EXPECT_EQ(chosen["degree"], degree) << criterion;
    EXPECT_EQ(chosen["degree_chosen_by"], criterion);
    EXPECT_FALSE(given.contains("degree_chosen_by"));
    EXPECT_EQ(chosen["coefficients"], given["coefficients"]) << criterion;  // the same bits
    EXPECT_EQ(chosen["residual_sd"], given["residual_sd"]) << criterion;
  }
  const ChildRun text = run({"fit", "--weights", "--degree", "auto", "--max-degree", "3", "w.txt"});
  const std::vector<std::string> lines = lines_of(text.out);
  ASSERT_GE(lines.size(), 2u) << text.err;
  EXPECT_EQ(lines[0], "Polynomial fit of degree 1 to 7 observations (w.txt, columns, weighted)");
  EXPECT_EQ(lines[1], "Degree chosen by bic: the smallest BIC of degrees 0 to 3");
}

TEST_F(AccurateCommands, DegreesPictureShowsTheRecommendedDegreeAndItsNeighbours) {
  write_file(dir_ / "w.txt", kLineAndOutliers);
  const ChildRun outcome = run({"degrees", "--weights", "--criterion", "loocv", "--plot", "d.svg", "w.txt"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const json table = json::parse(run({"degrees", "--json", "--weights", "w.txt"}).out);
  const int k = table["recommended"]["loocv"];
  ASSERT_GT(k, 0);
  ASSERT_LT(k, table["max_degree"].get<int>());
  const std::string svg = read_file(dir_ / "d.svg").value_or("");
  EXPECT_NE(svg.find("<!-- Generator: polylsq -->"), std::string::npos);
  for (const std::string& label : {"degree " + std::to_string(k) + " (loocv)", "degree " + std::to_string(k - 1),
                                   "degree " + std::to_string(k + 1)}) {
    EXPECT_NE(svg.find(">" + label + "<"), std::string::npos) << label;
  }
  EXPECT_EQ(svg.find(">degree " + std::to_string(k + 2) + "<"), std::string::npos);
  EXPECT_NE(outcome.out.find("Recommended by loocv: degree " + std::to_string(k)), std::string::npos);
}

// y = 1 + 2x and y = 1 - x + x^3 on x = -1.5..1.5 in steps of 0.2, each with the same noise
// of at most 0.05; the cubic's terms of degrees 1 and 3 move y by more than 5 noise sizes
// over the range, its degree-2 term is 0.
const std::string kLineAndCubic =
    "x,line,cubic\n-1.5,-1.9700,-0.8450\n-1.3,-1.6500,0.0530\n-1.1,-1.1800,0.7890\n-0.9,-0.7600,1.2110\n"
    "-0.7,-0.4100,1.3470\n-0.5,-0.0400,1.3350\n-0.3,0.4500,1.3230\n-0.1,0.7800,1.0790\n0.1,1.2100,0.9110\n"
    "0.3,1.5700,0.6970\n0.5,1.9600,0.5850\n0.7,2.4200,0.6630\n0.9,2.8500,0.8790\n1.1,3.1900,1.2210\n"
    "1.3,3.5700,1.8670\n1.5,4.0400,2.9150\n";

TEST_F(AccurateCommands, EachSeriesGetsItsOwnDegree) {
  const struct {
    std::vector<std::string> command;
    std::string name_key;         // of the series' name in its object
    json::json_pointer degree;    // of the degree the default criterion gives it
  } cases[] = {
      {{"degrees", "--json", "--max-degree", "5"}, "series", json::json_pointer("/recommended/bic")},
      {{"fit", "--json", "--degree", "auto", "--max-degree", "5"}, "y", json::json_pointer("/degree")},
  };
  write_file(dir_ / "two.csv", kLineAndCubic);
  const int true_degree[] = {1, 3};
  for (const auto& c : cases) {
    std::vector<std::string> args = c.command;
    args.insert(args.end(), {"--y", "line,cubic", "two.csv"});
    const ChildRun several = run(args);
    ASSERT_EQ(several.status, 0) << several.err;
    const json objects = json::parse(several.out)["series"];
    ASSERT_EQ(objects.size(), 2u) << c.command[0];
    for (int k = 0; k < 2; ++k) {
      const std::string name = k == 0 ? "line" : "cubic";
      json object = objects[k];
      EXPECT_EQ(object[c.name_key], name) << c.command[0];
      EXPECT_EQ(object[c.degree], true_degree[k]) << c.command[0] << " " << name;
      args = c.command;
      args.insert(args.end(), {"--y", name, "two.csv"});
      json alone = json::parse(run(args).out);
      for (const char* key : {"series", "y", "warnings", "input"}) {
        object.erase(key);
        alone.erase(key);
      }
      EXPECT_EQ(object, alone) << c.command[0] << " " << name;  // chosen as if alone: same bits
    }
  }
}

TEST_F(AccurateCommands, DataThatMakeNoTableFailWithTheReason) {
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"degrees", "one.txt"},
       "polylsq: one.txt: 1 observation cannot make a degree table: at least 2 are needed\n"},
      {{"fit", "--degree", "auto", "one.txt"},
       "polylsq: one.txt: 1 observation cannot make a degree table: at least 2 are needed\n"},
      {{"degrees", "--weights", "zero.txt"},
       "polylsq: zero.txt: 1 observation of positive weight cannot make a degree table: at least 2 are needed\n"},
  };
  write_file(dir_ / "one.txt", "1 2\n");
  write_file(dir_ / "zero.txt", "1 2 1\n2 3 0\n3 5 0\n");
  for (const auto& c : cases) {
    const ChildRun outcome = run(c.args);
    EXPECT_EQ(outcome.status, 1) << c.args[0];
    EXPECT_EQ(outcome.err, c.err);
    EXPECT_EQ(outcome.out, "");
  }
}

}  // namespace
}  // namespace polylsq::testing
