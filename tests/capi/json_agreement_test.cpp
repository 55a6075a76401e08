// The library and `polylsq fit --json` on the same observations give the same doubles, bit
// for bit (JSON shows every number as the shortest text that reads back the same, and no
// negative zero; the library's NaN is JSON's null), and the same warnings. The program
// runs on a file in the test's own folder; the test runs with the floating-point traps on.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "app/accurate_run.h"
#include "polylsq/polylsq.h"
#include "support_lib/split_mix.h"

namespace polylsq::testing {
namespace {

using V = std::vector<double>;

std::string shortest(double value) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// `shown` (a JSON number or null) is the library's `value`.
void expect_same(const json& shown, double value, const std::string& what) {
  if (shown.is_null()) {
    EXPECT_TRUE(std::isnan(value)) << what << ": the library gives " << value;
    return;
  }
  ASSERT_TRUE(shown.is_number()) << what;
  const double unsigned_zero = value == 0.0 ? 0.0 : value;  // JSON writes no "-0"
  EXPECT_EQ(std::bit_cast<std::uint64_t>(shown.get<double>()),
            std::bit_cast<std::uint64_t>(unsigned_zero))
      << what << ": " << shown << " against " << shortest(value);
}

void expect_same_values(const json& shown, const V& values, const std::string& what) {
  ASSERT_EQ(shown.size(), values.size()) << what;
  for (std::size_t k = 0; k < values.size(); ++k)
    expect_same(shown[k], values[k], what + "[" + std::to_string(k) + "]");
}

V figure(const polylsq_fit_t* fit,
         std::size_t (*accessor)(const polylsq_fit_t*, double*, std::size_t)) {
  V values(accessor(fit, nullptr, 0));
  accessor(fit, values.data(), values.size());
  return values;
}

struct Observations {
  V x, y, w;
};

// The observations as plain columns whose decimals read back as these very doubles.
std::string columns(const Observations& data) {
  std::string text;
  for (std::size_t i = 0; i < data.x.size(); ++i) {
    text += shortest(data.x[i]) + " " + shortest(data.y[i]);
    if (!data.w.empty()) text += " " + shortest(data.w[i]);
    text += "\n";
  }
  return text;
}

class LibraryAndProgram : public AccurateCommands {
 protected:
  // Fits `data` both ways at `degree`, predicting at `at` with `level`, and compares.
  void expect_agreement(const Observations& data, int degree, const V& at, double level) {
    std::vector<std::string> options{"--degree", std::to_string(degree)};
    if (!data.w.empty()) options.push_back("--weights");
    for (const double x : at) options.insert(options.end(), {"--at", shortest(x)});
    if (!at.empty()) options.insert(options.end(), {"--level", shortest(level)});
    const json shown = fit_json("data.txt", columns(data), options);
    polylsq_fit_t* fit =
        polylsq_fit(data.x.data(), data.y.data(), data.w.empty() ? nullptr : data.w.data(),
                    data.x.size(), degree, nullptr);
    ASSERT_NE(fit, nullptr);
    EXPECT_EQ(shown["degree"], polylsq_fit_degree(fit));
    EXPECT_EQ(shown["n"], polylsq_fit_observations(fit));
    expect_same_values(shown["coefficients"], figure(fit, polylsq_fit_coefficients),
                       "coefficients");
    expect_same_values(shown["standard_errors"], figure(fit, polylsq_fit_standard_errors),
                       "standard errors");
    expect_same_values(shown["t_values"], figure(fit, polylsq_fit_t_values), "t values");
    expect_same_values(shown["p_values"], figure(fit, polylsq_fit_p_values), "p values");
    expect_same(shown["r_squared"], polylsq_fit_r_squared(fit), "R-squared");
    expect_same(shown["adjusted_r_squared"], polylsq_fit_adjusted_r_squared(fit),
                "adjusted R-squared");
    expect_same(shown["residual_sd"], polylsq_fit_residual_sd(fit), "residual SD");
    polylsq_anova_t anova;
    polylsq_fit_anova(fit, &anova);
    const json& table = shown["anova"];
    expect_same(table["ss_regression"], anova.ss_regression, "SSR");
    expect_same(table["ss_error"], anova.ss_error, "SSE");
    EXPECT_EQ(table["df_regression"], anova.df_regression);
    EXPECT_EQ(table["df_error"], anova.df_error);
    expect_same(table["f"], anova.f, "F");
    expect_same(table["p"], anova.p, "p of F");
    std::vector<std::string> warnings(polylsq_fit_warning_count(fit));
    for (std::size_t i = 0; i < warnings.size(); ++i) {
      warnings[i].resize(polylsq_fit_warning(fit, i, nullptr, 0));
      polylsq_fit_warning(fit, i, warnings[i].data(), warnings[i].size() + 1);
    }
    EXPECT_EQ(shown["warnings"], json(warnings));
    for (std::size_t i = 0; i < at.size(); ++i) {
      const json& row = shown["predictions"][i];
      polylsq_prediction_t p;
      ASSERT_EQ(polylsq_predict(fit, at[i], level, &p, nullptr), POLYLSQ_OK);
      expect_same(row["fit"], p.fit, "fit");
      expect_same(row["se_fit"], p.se_fit, "se_fit");
      expect_same(row["confidence"].is_null() ? json() : row["confidence"][0], p.confidence_lower,
                  "confidence");
      expect_same(row["confidence"].is_null() ? json() : row["confidence"][1], p.confidence_upper,
                  "confidence");
      expect_same(row["prediction"].is_null() ? json() : row["prediction"][0], p.prediction_lower,
                  "prediction");
      expect_same(row["prediction"].is_null() ? json() : row["prediction"][1], p.prediction_upper,
                  "prediction");
    }
    polylsq_fit_free(fit);
  }
};

// n points of sum_k c_k x^k on [low, high], both ends included, with uniform noise of the
// given size.
Observations noisy(const V& c, int n, double low, double high, double noise, std::uint64_t seed) {
  SplitMix64 random(seed);
  Observations data;
  for (int i = 0; i < n; ++i) {
    const double x = i == 0 ? low : i == 1 ? high : low + (high - low) * random.uniform();
    double y = 0.0;
    for (std::size_t k = c.size(); k-- > 0;) y = y * x + c[k];
    data.x.push_back(x);
    data.y.push_back(y + noise * (2 * random.uniform() - 1));
  }
  return data;
}

TEST_F(LibraryAndProgram, ANoisyCubicAgreesBitForBit) {
  expect_agreement(noisy({1.5, -2, 0.25, 0.125}, 40, -3, 5, 0.5, 1), 3, {-2.5, 0.75, 4.5}, 0.9);
}

TEST_F(LibraryAndProgram, AWeightedFitWithAZeroWeightAgreesWithItsWarning) {
  Observations data = noisy({10, 0.5, -0.01}, 25, 100, 200, 2, 2);
  SplitMix64 random(3);
  for (std::size_t i = 0; i < data.x.size(); ++i)
    data.w.push_back(i == 7 ? 0.0 : 0.5 + random.uniform());
  expect_agreement(data, 2, {150}, 0.95);
}

TEST_F(LibraryAndProgram, UndefinedFiguresAreNullThereAndNaNHere) {
  expect_agreement({{0, 1, 2, 3}, {1, -1, 4, 2}, {}}, 3, {1.5}, 0.99);  // n = degree + 1
  expect_agreement({{1, 2, 3}, {2, 2, 2}, {}}, 1, {2}, 0.95);           // constant y
  expect_agreement(noisy({3}, 10, 0, 1, 1, 4), 0, {}, 0.95);            // degree 0
}

}  // namespace
}  // namespace polylsq::testing
