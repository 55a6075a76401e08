// The straight line of weighted least squares in closed form, from sums about the weighted
// mean, evaluated in double: the independent reference of the line tests (about 1e-15
// relative on their small data).
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

namespace polylsq::accurate::testing {

struct TextbookLine {
  double sum_of_weights;
  double x_mean;
  double sxx;           // sum of w (x - x_mean)^2
  double intercept;     // a in y = a + b x
  double slope;         // b
  double residual_var;  // s^2 = SSE / (n - 2)
};

// Weights empty means every weight is 1.
inline TextbookLine textbook_line(const std::vector<double>& x, const std::vector<double>& y,
                                  const std::vector<double>& w) {
  const auto weight = [&](std::size_t i) { return w.empty() ? 1.0 : w[i]; };
  double sw = 0, swx = 0, swy = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    sw += weight(i);
    swx += weight(i) * x[i];
    swy += weight(i) * y[i];
  }
  const double xbar = swx / sw, ybar = swy / sw;
  double sxx = 0, sxy = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    sxx += weight(i) * (x[i] - xbar) * (x[i] - xbar);
    sxy += weight(i) * (x[i] - xbar) * (y[i] - ybar);
  }
  const double b = sxy / sxx, a = ybar - b * xbar;
  double sse = 0;
  for (std::size_t i = 0; i < x.size(); ++i) sse += weight(i) * std::pow(y[i] - a - b * x[i], 2);
  return {sw, xbar, sxx, a, b, sse / static_cast<double>(x.size() - 2)};
}

// Student's t quantile at (1 + level) / 2 with 2 degrees of freedom: t / sqrt(2 + t^2) = level.
inline double t_quantile_2df(double level) {
  return level * std::sqrt(2.0 / (1.0 - level * level));
}

}  // namespace polylsq::accurate::testing
