// `polylsq fit --weights`, `--at`, `--level`, `--band` and `--residuals` on the real binary:
// a weighted straight line and its intervals against closed forms, bad weights, the
// residual table, and files written whole or not at all (integer weights against repeated
// rows: tests/accurate/polynomial_fit_test.cpp).
#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>

#include "app/accurate_run.h"

namespace polylsq::testing {
namespace {

// Observations (x, y, w); the row of weight 0 counts in nothing.
const std::string kWeighted = "x y w\n1 2 1\n2 3 2\n3 5 1\n4 4 0\n5 6 3\n";

// The weighted least-squares line of kWeighted and its statistics, in closed form.
struct WeightedLine {
  double intercept, slope, sse, weight_sum, x_mean, sxx;
  int df_error;
  double variance() const { return sse / df_error; }
  double fit(double x) const { return intercept + slope * x; }
  double se_fit(double x) const {  // sigma sqrt(1/sum w + (x - mean)^2 / Sxx)
    return std::sqrt(variance() * (1.0 / weight_sum + (x - x_mean) * (x - x_mean) / sxx));
  }
};

WeightedLine weighted_line() {
  const double x[] = {1, 2, 3, 5}, y[] = {2, 3, 5, 6}, w[] = {1, 2, 1, 3};
  WeightedLine line{};
  double y_mean = 0.0;
  for (int i = 0; i < 4; ++i) {
    line.weight_sum += w[i];
    line.x_mean += w[i] * x[i];
    y_mean += w[i] * y[i];
  }
  line.x_mean /= line.weight_sum;
  y_mean /= line.weight_sum;
  double sxy = 0.0;
  for (int i = 0; i < 4; ++i) {
    line.sxx += w[i] * (x[i] - line.x_mean) * (x[i] - line.x_mean);
    sxy += w[i] * (x[i] - line.x_mean) * (y[i] - y_mean);
  }
  line.slope = sxy / line.sxx;
  line.intercept = y_mean - line.slope * line.x_mean;
  for (int i = 0; i < 4; ++i) {
    const double r = y[i] - line.fit(x[i]);
    line.sse += w[i] * r * r;
  }
  line.df_error = 2;
  return line;
}

// Student's t quantile with 2 degrees of freedom, in closed form: (2p - 1) / sqrt(2p(1 - p)).
double t2_quantile(double p) { return (2 * p - 1) / std::sqrt(2 * p * (1 - p)); }

// The confidence intervals of the coefficients (coefficient -+ t se) and, when asked, their
// covariance: s^2 (1/W + m^2/Sxx), -m s^2/Sxx and s^2/Sxx for the weighted mean m.
void expect_coefficient_statistics(const json& fit, const WeightedLine& line, bool covariance, double level) {
  const double s2 = line.variance();
  const double off_diagonal = -line.x_mean * s2 / line.sxx;
  const double cov[2][2] = {{s2 * (1 / line.weight_sum + line.x_mean * line.x_mean / line.sxx), off_diagonal},
                            {off_diagonal, s2 / line.sxx}};
  const double estimate[2] = {line.intercept, line.slope};
  const double q = t2_quantile((1 + level) / 2);
  EXPECT_EQ(fit.contains("covariance"), covariance);
  for (int k = 0; k < 2; ++k) {
    const double se = std::sqrt(cov[k][k]);
    if (fit.contains("confidence_intervals")) {
      expect_close(fit["confidence_intervals"][k][0], estimate[k] - q * se, "coefficient low");
      expect_close(fit["confidence_intervals"][k][1], estimate[k] + q * se, "coefficient high");
    }
    for (int j = 0; j < 2 && covariance; ++j) expect_close(fit["covariance"][k][j], cov[k][j], "covariance");
  }
}

// The x to predict at come from --at or from a file; the weights from --weights or a
// named column; --confint and --cov add the coefficients' intervals and covariance.
TEST_F(AccurateCommands, AWeightedLineAndItsIntervalsMatchTheClosedForms) {
  const WeightedLine line = weighted_line();
  write_file(dir_ / "at.csv", "x,note\n3.7,a\nNA,b\n10,c\n");
  const struct {
    double level;
    std::vector<std::string> options;
  } cases[] = {
      {0.95, {"--weights", "--at", "3.7,10"}},
      {0.99, {"--weights-column", "w", "--at-file", "at.csv", "--confint", "--cov"}},
      {0.9, {"--weights-column", "3", "--at", "3.7", "--at-file", "at.csv", "--confint"}},
  };
  for (const auto& c : cases) {
    const double level = c.level;
    SCOPED_TRACE(level);
    std::vector<std::string> options{"--degree", "1", "--level", std::to_string(level)};
    options.insert(options.end(), c.options.begin(), c.options.end());
    json fit = fit_json("weighted.txt", kWeighted, options);
    expect_coefficient_statistics(fit, line, c.options.back() == "--cov", level);
    EXPECT_EQ(fit.contains("confidence_intervals"), c.options.size() > 3);
    if (c.options.size() == 7) {  // 3.7 from --at as well as from the file
      fit["predictions"].erase(0);
    }
    EXPECT_EQ(fit["level"], level);
    EXPECT_EQ(fit["n"], 4);
    EXPECT_EQ(fit["anova"]["df_error"], 2);
    expect_close(fit["coefficients"][0], line.intercept, "intercept");
    expect_close(fit["coefficients"][1], line.slope, "slope");
    expect_close(fit["anova"]["ss_error"], line.sse, "weighted SSE");
    expect_close(fit["residual_sd"], std::sqrt(line.variance()), "residual sd");
    ASSERT_EQ(fit["predictions"].size(), 2u);
    const double q = t2_quantile((1 + level) / 2);
    for (const json& at : fit["predictions"]) {
      EXPECT_EQ(keys_of(at), (std::set<std::string>{"x", "fit", "se_fit", "confidence", "prediction"}));
      const double x = at["x"].get<double>();
      const double se = line.se_fit(x);
      const double spread = std::sqrt(se * se + line.variance());  // a new observation of weight 1
      expect_close(at["fit"], line.fit(x), "fit");
      expect_close(at["se_fit"], se, "se_fit");
      expect_close(at["confidence"][0], line.fit(x) - q * se, "confidence low");
      expect_close(at["confidence"][1], line.fit(x) + q * se, "confidence high");
      expect_close(at["prediction"][0], line.fit(x) - q * spread, "prediction low");
      expect_close(at["prediction"][1], line.fit(x) + q * spread, "prediction high");
    }
    // 10 lies beyond the x of the observations used (1 to 5): flagged.
    json warnings = fit["warnings"];
    if (std::find(c.options.begin(), c.options.end(), "--at-file") != c.options.end()) {
      EXPECT_EQ(warnings[0], "at.csv: column 1 (x) of 2 used");
      EXPECT_EQ(warnings[1], "at.csv: line 3: NA cell, row skipped");
      warnings.erase(0);
      warnings.erase(0);
    }
    EXPECT_EQ(warnings, json::parse(R"(["the prediction at x = 10 extrapolates beyond the data's x range [1, 5]",
                                        "1 observation has weight 0 and is not used"])"));
  }
}

struct BadWeight {
  const char* name;
  std::string data;
  std::string err;
};

void PrintTo(const BadWeight& c, std::ostream* os) { *os << c.name; }

const BadWeight kBadWeights[] = {
    {"Negative", "1 2 1\n2 3 -1\n3 4 1\n", "polylsq: w.txt: line 2: weight \"-1\" is negative\n"},
    {"NotANumber", "1 2 1\n2 3 NaN\n3 4 1\n", "polylsq: w.txt: line 2: \"NaN\" is not a number\n"},
    {"Infinite", "1 2 1\n2 3 inf\n3 4 1\n", "polylsq: w.txt: line 2: \"inf\" is not a number\n"},
    {"Missing", "1 2 1\n2 3\n3 4 1\n", "polylsq: w.txt: line 2: 2 values, expected 3 (x y w)\n"},
    {"DataFileFormat", "1\n3\n1 2\n2 3\n3 4\n",
     "polylsq: w.txt: --weights needs plain columns, not the data-file format\n"},
};

class Weights : public AccurateCommands, public ::testing::WithParamInterface<BadWeight> {};

TEST_P(Weights, ThatCannotBeUsedAreAnErrorWithTheirLine) {
  write_file(dir_ / "w.txt", GetParam().data);
  const ChildRun outcome = run({"fit", "--weights", "--degree", "1", "w.txt"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err, GetParam().err);
}

INSTANTIATE_TEST_SUITE_P(Bad, Weights, ::testing::ValuesIn(kBadWeights),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AccurateCommands, TheResidualTableHoldsEveryObservationExactly) {
  // y = 1 + 2x exactly: fitted values are y, residuals 0; the weight-0 row is listed too.
  write_file(dir_ / "line.txt", "0 1 1\n0.5 2 2\n1 3 0\n1.5 4 1\n");
  const ChildRun outcome = run({"fit", "--weights", "--degree", "1", "--residuals", "r.csv", "line.txt"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(read_file(dir_ / "r.csv"),
            "x,y,fitted,residual,weight,line\n0,1,1,0,1,1\n0.5,2,2,0,2,2\n1,3,3,0,0,3\n1.5,4,4,0,1,4\n");
  // The predictions of an exact line: its values, with no spread.
  write_file(dir_ / "at.txt", "3\n-1\n");
  const ChildRun predicted =
      run({"fit", "--weights", "--degree", "1", "--at-file", "at.txt", "--predictions", "p.csv", "line.txt"});
  EXPECT_EQ(predicted.status, 0) << predicted.err;
  EXPECT_EQ(read_file(dir_ / "p.csv"),
            "x,fit,se_fit,confidence_low,confidence_high,prediction_low,prediction_high\n3,7,0,7,7,7,7\n"
            "-1,-1,0,-1,-1,-1,-1\n");

  // Unwritable: an error after the report, nothing left behind, the picture still written.
  const ChildRun refused =
      run({"fit", "--degree", "1", "--weights", "--plot", "p.svg", "--band", "--residuals", "none/r.csv", "line.txt"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "polylsq: cannot write none/r.csv: No such file or directory\n");
  EXPECT_NE(read_file(dir_ / "p.svg").value_or("").find("95% confidence band"), std::string::npos);
  EXPECT_EQ(names_in(dir_), (std::set<std::string>{"line.txt", "r.csv", "at.txt", "p.csv", "p.svg"}));
}

// The row of weight 0 is drawn as a ring above and has no residual below: 5 + 4 markers,
// and a marker and a ring in the legend; the title counts the 4 rows the fit used.
TEST_F(AccurateCommands, AWeightedPictureShowsRowsOfWeightZeroHollow) {
  write_file(dir_ / "weighted.txt", kWeighted);
  EXPECT_EQ(run({"fit", "--weights", "--degree", "1", "--plot", "w.svg", "weighted.txt"}).status, 0);
  const std::string svg = read_file(dir_ / "w.svg").value_or("");
  EXPECT_NE(svg.find(">weighted.txt: degree 1, n = 4 (and 1 of weight 0, not used), R² = "), std::string::npos) << svg;
  std::size_t circles = 0;
  for (std::size_t at = svg.find("<circle"); at != std::string::npos; at = svg.find("<circle", at + 1)) ++circles;
  EXPECT_EQ(circles, 11u);
  EXPECT_NE(svg.find(">not fitted (weight 0)</text>"), std::string::npos);
  const std::size_t rings = svg.find("<g fill=\"none\"");
  ASSERT_NE(rings, std::string::npos);
  // one ring in its group: the circle after it lies past the group's end
  EXPECT_EQ(svg.find("<circle", svg.find("<circle", rings) + 1), svg.find("<circle", svg.find("</g>", rings)));
}

TEST_F(AccurateCommands, PredictionOptionsAreCheckedOnTheCommandLine) {
  write_file(dir_ / "data.txt", "1 2\n2 3\n3 5\n");
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--at", "x"}, "polylsq: --at: \"x\" is not a finite number\n"},
      {{"--at", "inf"}, "polylsq: --at: \"inf\" is not a finite number\n"},
      {{"--level", "0"}, "polylsq: --level: \"0\" is not a number between 0 and 1\n"},
      {{"--level", "1.5"}, "polylsq: --level: \"1.5\" is not a number between 0 and 1\n"},
      {{"--band"}, "polylsq: --band requires --plot\n"},
  };
  for (const auto& [options, err] : cases) {
    std::vector<std::string> args{"fit", "--degree", "1"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back("data.txt");
    const ChildRun outcome = run(args);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.err, err + "Run 'polylsq fit --help' for usage.\n");
  }
}

}  // namespace
}  // namespace polylsq::testing
