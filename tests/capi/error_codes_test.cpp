// Every status of the C interface with its whole message, the observation it names and the
// rule that a failing call returns NULL (or the status) and clears nothing else; and the
// same failures through the C++ layer, whose own size checks come first.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "polylsq/polylsq.h"
#include "polylsq/polylsq.hpp"

namespace {

using V = std::vector<double>;
const double kNaN = std::nan("");
const double kInf = INFINITY;

// A failing call: it stores its error in *error and returns its status.
using FailingCall = std::function<polylsq_status_t(polylsq_error_t** error)>;

// polylsq_fit as a failing call; the fit must be NULL.
FailingCall fit_call(V x, V y, V w, int degree) {
  return [=](polylsq_error_t** error) {
    polylsq_fit_t* fit =
        polylsq_fit(x.data(), y.data(), w.empty() ? nullptr : w.data(), x.size(), degree, error);
    EXPECT_EQ(fit, nullptr);
    polylsq_fit_free(fit);
    return polylsq_error_status(*error);
  };
}

FailingCall table_call(V x, V y, int max_degree) {
  return [=](polylsq_error_t** error) {
    polylsq_degree_table_t* table =
        polylsq_degree_table(x.data(), y.data(), nullptr, x.size(), max_degree, error);
    EXPECT_EQ(table, nullptr);
    polylsq_degree_table_free(table);
    return polylsq_error_status(*error);
  };
}

// A call on the straight line through (0, 1), (1, 3), (2, 2), (3, 5).
FailingCall on_line(std::function<polylsq_status_t(const polylsq_fit_t*, polylsq_error_t**)> call) {
  return [=](polylsq_error_t** error) {
    const V x{0, 1, 2, 3}, y{1, 3, 2, 5};
    polylsq_fit_t* fit = polylsq_fit(x.data(), y.data(), nullptr, x.size(), 1, nullptr);
    const polylsq_status_t status = call(fit, error);
    polylsq_fit_free(fit);
    return status;
  };
}

struct Case {
  const char* name;
  FailingCall call;
  polylsq_status_t status;
  const char* message;
  std::int64_t observation;
};

TEST(CInterfaceErrors, EveryStatusComesWithItsMessage) {
  polylsq_prediction_t prediction;
  double lower[2], upper[2];
  const V y3{1, 2, 3};
  const Case cases[] = {
      {"null x",
       [&](polylsq_error_t** e) {
         EXPECT_EQ(polylsq_fit(nullptr, y3.data(), nullptr, 3, 1, e), nullptr);
         return polylsq_error_status(*e);
       },
       POLYLSQ_INVALID_ARGUMENT, "x is a null pointer", -1},
      {"null y in the table",
       [&](polylsq_error_t** e) {
         EXPECT_EQ(polylsq_degree_table(y3.data(), nullptr, nullptr, 3, 1, e), nullptr);
         return polylsq_error_status(*e);
       },
       POLYLSQ_INVALID_ARGUMENT, "y is a null pointer", -1},
      {"level of 1", on_line([&](const polylsq_fit_t* f, polylsq_error_t** e) {
         return polylsq_predict(f, 1.0, 1.0, &prediction, e);
       }),
       POLYLSQ_INVALID_ARGUMENT, "the confidence level must lie strictly between 0 and 1", -1},
      {"x not finite", on_line([&](const polylsq_fit_t* f, polylsq_error_t** e) {
         return polylsq_predict(f, kNaN, 0.95, &prediction, e);
       }),
       POLYLSQ_INVALID_ARGUMENT, "x0 is not a finite number", -1},
      {"no fit",
       [&](polylsq_error_t** e) { return polylsq_predict(nullptr, 1.0, 0.95, &prediction, e); },
       POLYLSQ_INVALID_ARGUMENT, "the fit is a null pointer", -1},
      {"no prediction", on_line([](const polylsq_fit_t* f, polylsq_error_t** e) {
         return polylsq_predict(f, 1.0, 0.95, nullptr, e);
       }),
       POLYLSQ_INVALID_ARGUMENT, "the prediction is a null pointer", -1},
      {"short buffers", on_line([&](const polylsq_fit_t* f, polylsq_error_t** e) {
         return polylsq_coefficient_intervals(f, 0.95, lower, upper, 1, e);
       }),
       POLYLSQ_INVALID_ARGUMENT, "the buffers hold 1 value; the fit has 2 coefficients", -1},
      {"interval level", on_line([&](const polylsq_fit_t* f, polylsq_error_t** e) {
         return polylsq_coefficient_intervals(f, 0.0, lower, upper, 2, e);
       }),
       POLYLSQ_INVALID_ARGUMENT, "the confidence level must lie strictly between 0 and 1", -1},
      {"degree 11", fit_call({1, 2}, {1, 2}, {}, 11), POLYLSQ_DEGREE_OUT_OF_RANGE,
       "the degree must be an integer from 0 to 10 (it is 11)", -1},
      {"maximum degree -2", table_call({1, 2, 3}, {1, 2, 3}, -2), POLYLSQ_DEGREE_OUT_OF_RANGE,
       "the maximum degree must be an integer from 0 to 10 (it is -2)", -1},
      {"NaN y", fit_call({1, 2, 3}, {1, 2, kNaN}, {}, 1), POLYLSQ_NON_FINITE_VALUE,
       "observation 3: y is not a finite number (nan)", 2},
      {"infinite weight", fit_call({1, 2, 3}, {1, 2, 3}, {1, kInf, 1}, 1), POLYLSQ_NON_FINITE_VALUE,
       "observation 2: the weight is not a finite number (inf)", 1},
      {"negative weight", fit_call({1, 2, 3}, {1, 2, 3}, {1, 1, -2}, 1), POLYLSQ_NEGATIVE_WEIGHT,
       "observation 3: the weight -2 is negative", 2},
      {"two for a parabola", fit_call({1, 2}, {1, 2}, {}, 2), POLYLSQ_TOO_FEW_OBSERVATIONS,
       "2 observations cannot determine a polynomial of degree 2: at least 3 are needed", -1},
      {"one for a table", table_call({1}, {1}, POLYLSQ_DEFAULT_MAX_DEGREE),
       POLYLSQ_TOO_FEW_OBSERVATIONS,
       "1 observation cannot make a degree table: at least 2 are needed", -1},
      {"constant x", fit_call({2, 2, 2}, {1, 2, 3}, {}, 1), POLYLSQ_CONSTANT_X,
       "x is constant (2): a polynomial of degree 1 needs at least 2 distinct x values", -1},
      {"two distinct x", fit_call({1, 2, 1, 2}, {1, 2, 3, 4}, {}, 2), POLYLSQ_TOO_FEW_DISTINCT_X,
       "2 distinct x values cannot determine a polynomial of degree 2: at least 3 are needed", -1},
      {"x crowded against 1e300",
       fit_call({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 1e300}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {}, 10),
       POLYLSQ_ILL_CONDITIONED,
       "the x values are too close together against their range to determine a polynomial of "
       "degree 10",
       -1},
      {"sums beyond the doubles", fit_call({0, 1, 2}, {1e300, -1e300, 1e300}, {}, 1),
       POLYLSQ_OUT_OF_RANGE, "the total sum of squares (about 2.667e+600) does not fit in a double",
       -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    polylsq_error_t* error = nullptr;
    EXPECT_EQ(c.call(&error), c.status);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(polylsq_error_status(error), c.status);
    EXPECT_STREQ(polylsq_error_message(error), c.message);
    EXPECT_EQ(polylsq_error_observation(error), c.observation);
    polylsq_error_free(error);
  }
}

TEST(CInterfaceErrors, SuccessClearsTheErrorAndNoErrorPointerIsNeeded) {
  const V x{0, 1, 2}, y{1, 3, 7};
  polylsq_error_t* error = reinterpret_cast<polylsq_error_t*>(0x1);  // a stale value
  polylsq_fit_t* fit = polylsq_fit(x.data(), y.data(), nullptr, 3, 1, &error);
  EXPECT_EQ(error, nullptr);
  polylsq_prediction_t prediction;
  EXPECT_EQ(polylsq_predict(fit, 1.0, 2.0, &prediction, nullptr), POLYLSQ_INVALID_ARGUMENT);
  EXPECT_EQ(polylsq_fit(x.data(), y.data(), nullptr, 3, 5, nullptr), nullptr);
  polylsq_fit_free(fit);
}

TEST(CInterfaceErrors, AnErrorNamedNullReadsAsEmpty) {
  EXPECT_EQ(polylsq_error_status(nullptr), POLYLSQ_INVALID_ARGUMENT);
  EXPECT_STREQ(polylsq_error_message(nullptr), "");
  EXPECT_EQ(polylsq_error_observation(nullptr), -1);
}

TEST(CppLayerErrors, SpansOfDifferentLengthsFailFirstThenTheCChecks) {
  struct CppCase {
    V x, y, w;
    int degree;
    polylsq::Status status;
    const char* message;
    std::optional<std::size_t> observation;
  };
  const CppCase cases[] = {
      {{1, 2, 3}, {1, 2}, {}, 11, polylsq::Status::kSizeMismatch, "x has 3 values but y has 2", {}},
      {{1}, {1, 2}, {}, 0, polylsq::Status::kSizeMismatch, "x has 1 value but y has 2", {}},
      {{1, 2, 3},
       {1, 2, 3},
       {1, 1},
       1,
       polylsq::Status::kSizeMismatch,
       "there are 2 weights for 3 observations",
       {}},
      {{1, 2, 3},
       {1, kInf, 3},
       {},
       1,
       polylsq::Status::kNonFiniteValue,
       "observation 2: y is not a finite number (inf)",
       1},
      {{},
       {},
       {},
       0,
       polylsq::Status::kTooFewObservations,
       "0 observations cannot determine a polynomial of degree 0: at least 1 is needed",
       {}},
  };
  for (const CppCase& c : cases) {
    SCOPED_TRACE(c.message);
    const auto fit = polylsq::fit(c.x, c.y, c.w, c.degree);
    ASSERT_FALSE(fit.has_value());
    EXPECT_EQ(fit.error().status, c.status);
    EXPECT_EQ(fit.error().message, c.message);
    EXPECT_EQ(fit.error().observation, c.observation);
    const auto table = polylsq::degree_table(c.x, c.y, c.w);
    ASSERT_FALSE(table.has_value());
    EXPECT_EQ(table.error().status, c.status);
  }
}

TEST(CppLayerErrors, PredictionsAndIntervalsReportTheirFailures) {
  const auto line = polylsq::fit(V{0, 1, 2, 3}, V{1, 3, 2, 5}, 1);
  ASSERT_TRUE(line.has_value());
  const auto beyond = line->predict(1.7e308);
  ASSERT_FALSE(beyond.has_value());
  EXPECT_EQ(beyond.error().status, polylsq::Status::kOutOfRange);
  EXPECT_EQ(beyond.error().message, "the prediction at x = 1.7e+308 does not fit in a double");
  const auto intervals = line->coefficient_intervals(-0.5);
  ASSERT_FALSE(intervals.has_value());
  EXPECT_EQ(intervals.error().status, polylsq::Status::kInvalidArgument);
  EXPECT_EQ(intervals.error().message, "the confidence level must lie strictly between 0 and 1");
  const auto table = polylsq::degree_table(V{1, 2, 3}, V{1, 2, 3}, {}, -4);
  ASSERT_FALSE(table.has_value());
  EXPECT_EQ(table.error().message, "the maximum degree must be an integer from 0 to 10 (it is -4)");
}

}  // namespace
