// The text report of `fit` and the picture's texts, from fits made here: the width of every
// line whatever the degree and options, the significant digits of --digits against values
// worked by hand, and the picture's title and axis names from the data or the command line.
#include "app/fit_report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <vector>

#include "accurate/polynomial_fit.h"
#include "app/fit_picture.h"
#include "app/report_text.h"

namespace polylsq::app {
namespace {

// n observations of a degree-`degree` polynomial plus a fixed wobble, with a header name.
input::Series wobbly_series(int n, int degree, std::string name) {
  input::Series series;
  series.name = name;
  series.header = name;
  for (int i = 0; i < n; ++i) {
    const double x = 1.0 + i * 0.37;
    series.x.push_back(x);
    series.y.push_back(std::pow(x, degree) / 7.0 - 3.0 * x + std::sin(3.0 * i));
  }
  return series;
}

SeriesResult result_of(const input::Series& data, int degree, const ReportOptions& options) {
  SeriesRequest request{degree, {2.5, 9.0}, options.level, options.confint};
  Expected<SeriesResult> result = fit_series(data, request);
  EXPECT_TRUE(result.has_value());
  return std::move(*result);
}

std::size_t widest_line(const std::string& text) {
  std::istringstream lines(text);
  std::size_t widest = 0;
  for (std::string line; std::getline(lines, line);) widest = std::max(widest, line.size());
  return widest;
}

TEST(FitReport, EveryLineStaysWithinTheWidth) {
  const struct {
    int degree;
    int digits;
    const char* name;
  } cases[] = {{1, 10, "y"}, {5, 17, "Volume"}, {10, 10, "Volume"}, {10, 17, "a rather long column name"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.degree);
    const input::Series data = wobbly_series(40, c.degree, c.name);
    const ReportOptions options{c.digits, 0.95, true, true};
    const SeriesResult result = result_of(data, c.degree, options);
    const FitSource source{"trees.csv", "trees.csv", "columns", "Girth", {}};
    const std::string text = fit_text(source, {&result, 1}, options);
    EXPECT_LE(widest_line(text), kReportWidth) << text;
    // The covariance matrix heads each power's column once, in as many blocks as needed.
    const std::size_t start = text.find("Covariance of the coefficients");
    std::istringstream matrix(text.substr(start, text.find("Predictions") - start));
    std::vector<int> columns;
    std::size_t blocks = 0;
    for (std::string line; std::getline(matrix, line);) {
      if (!line.starts_with("power")) continue;
      ++blocks;
      std::istringstream cells(line.substr(5));
      for (int power = 0; cells >> power;) columns.push_back(power);
    }
    std::vector<int> every_power(static_cast<std::size_t>(c.degree + 1));
    for (int power = 0; power <= c.degree; ++power) every_power[static_cast<std::size_t>(power)] = power;
    EXPECT_EQ(columns, every_power) << text;
    EXPECT_GE(blocks, c.degree == 10 ? 2u : 1u) << text;  // 11 columns of 10 digits exceed 100
  }
}

// The line through (1, 2), (2, 3), (3, 5), (4, 4), (5, 6): 1.3 + 0.9 x, standard errors
// sqrt(1.9/3 (1/5 + 9/10)) = 0.83466560... and sqrt(1.9/30) = 0.25166114..., t 1.5575099...
// and 3.5762373..., p 0.21722410... and 0.037386073..., R-squared 0.81, adjusted 0.74666...,
// residual SD sqrt(1.9/3) = 0.79582242... (worked by hand, rounded by hand below).
TEST(FitReport, DigitsSetTheSignificantDigitsOfEveryStatistic) {
  input::Series data;
  data.name = "y";
  data.x = {1, 2, 3, 4, 5};
  data.y = {2, 3, 5, 4, 6};
  const struct {
    int digits;
    std::vector<std::string> shown;
  } cases[] = {
      {3, {"0.835", "1.56", "0.217", "0.252", "3.58", "0.0374", "0.747", "0.796 on 3"}},
      {4, {"0.8347", "1.558", "0.2172", "0.2517", "3.576", "0.03739", "0.7467", "0.7958 on 3"}},
      {12, {"0.834665601703", "0.217224100431", "0.0373860734685", "0.746666666667"}},
  };
  for (const auto& c : cases) {
    const ReportOptions options{c.digits, 0.95, false, false};
    const SeriesResult result = result_of(data, 1, options);
    const std::string text = fit_text({"line.csv", "line.csv", "columns", "x", {}}, {&result, 1}, options);
    for (const std::string& shown : c.shown) {
      EXPECT_NE(text.find(" " + shown), std::string::npos) << c.digits << ": " << shown << "\n" << text;
    }
    EXPECT_NE(text.find("\ny = 1.300000 + 0.9000000 x\n"), std::string::npos) << text;  // always 7 digits
  }
}

// The picture's texts: from the data unless the command line gives them.
TEST(FitPicture, TitleAndAxisNamesComeFromTheDataUnlessGiven) {
  const input::Series volume = wobbly_series(12, 1, "Volume");
  const input::Series height = wobbly_series(12, 2, "Height");
  const ReportOptions options;
  const SeriesResult results[] = {result_of(volume, 1, options), result_of(height, 1, options)};
  const struct {
    std::size_t series;
    PictureTexts texts;
    const char* title_start;
    const char* x_label;
    const char* y_label;
  } cases[] = {
      {1, {}, "trees.csv: degree 1, n = 12, R² = ", "Girth", "Volume"},
      {2, {}, "trees.csv: degree 1", "Girth", "Volume, Height"},
      {2, {"Trees", "girth (in)", "ft, ft³"}, "Trees", "girth (in)", "ft, ft³"},
  };
  for (const auto& c : cases) {
    const PictureSource source{"trees.csv", "Girth", c.texts};
    const plot::PlotRequest request = picture_request({results, c.series}, source, {});
    EXPECT_TRUE(request.title.starts_with(c.title_start)) << request.title;
    EXPECT_EQ(request.x_label, c.x_label);
    EXPECT_EQ(request.y_label, c.y_label);
    EXPECT_EQ(request.more_series.size(), c.series - 1);
  }
}

}  // namespace
}  // namespace polylsq::app
