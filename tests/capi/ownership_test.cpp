// Who owns what: a fit and a table keep nothing of the caller's arrays; each object goes
// with its own free, which takes NULL; an error's message lives until the error goes; a
// C++ Fit frees its object once, wherever it was moved. The sanitizer build turns any
// leak, double free or use after free here into a failure, and checks for leaks at the end.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "polylsq/polylsq.hpp"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

using V = std::vector<double>;

TEST(Ownership, AFitKeepsNothingOfTheCallersArrays) {
  auto x = std::make_unique<double[]>(5), y = std::make_unique<double[]>(5);
  for (int i = 0; i < 5; ++i) x[i] = i, y[i] = i * i - 2.0 * i;
  polylsq_fit_t* fit = polylsq_fit(x.get(), y.get(), nullptr, 5, 2, nullptr);
  polylsq_degree_table_t* table = polylsq_degree_table(x.get(), y.get(), nullptr, 5, 2, nullptr);
  for (int i = 0; i < 5; ++i) x[i] = y[i] = NAN;  // then gone
  x.reset();
  y.reset();
  EXPECT_NEAR(polylsq_evaluate(fit, 10.0), 80.0, 1e-12);
  polylsq_prediction_t p;
  EXPECT_EQ(polylsq_predict(fit, 1.0, 0.95, &p, nullptr), POLYLSQ_OK);
  EXPECT_NEAR(p.fit, -1.0, 1e-14);
  polylsq_degree_row_t rows[3];
  ASSERT_EQ(polylsq_degree_table_rows(table, rows, 3), 3u);
  EXPECT_TRUE(rows[2].exact);
  polylsq_degree_table_free(table);
  polylsq_fit_free(fit);
}

TEST(Ownership, EveryFreeTakesNull) {
  polylsq_fit_free(nullptr);
  polylsq_degree_table_free(nullptr);
  polylsq_error_free(nullptr);
  EXPECT_EQ(polylsq_fit_warning_count(nullptr), 0u);  // and the accessors read NULL as empty
  EXPECT_EQ(polylsq_degree_table_rows(nullptr, nullptr, 0), 0u);
  EXPECT_EQ(polylsq_degree_table_recommended(nullptr, POLYLSQ_CRITERION_BIC), -1);
}

TEST(Ownership, AnErrorsMessageLivesUntilTheErrorGoes) {
  const V x{1, 2}, y{1, 2};
  polylsq_error_t* first = nullptr;
  polylsq_error_t* second = nullptr;
  EXPECT_EQ(polylsq_fit(x.data(), y.data(), nullptr, 2, 12, &first), nullptr);
  const char* message = polylsq_error_message(first);
  EXPECT_EQ(polylsq_fit(x.data(), y.data(), nullptr, 2, 5, &second), nullptr);
  polylsq_error_free(second);
  EXPECT_STREQ(message, "the degree must be an integer from 0 to 10 (it is 12)");
  polylsq_error_free(first);
}

TEST(Ownership, ACppFitFreesItsObjectOnceWhereverItWasMoved) {
  std::vector<polylsq::Fit> fits;
  for (int degree = 0; degree <= 3; ++degree) {  // the vector moves them as it grows
    auto made = polylsq::fit(V{0, 1, 2, 3, 4}, V{1, 0, 3, 2, 5}, degree);
    ASSERT_TRUE(made.has_value());
    fits.push_back(std::move(*made));
  }
  polylsq::Fit moved = std::move(fits[1]);
  fits.erase(fits.begin() + 1);
  EXPECT_EQ(moved.degree(), 1);
  EXPECT_EQ(moved.evaluate(0.0), polylsq_evaluate(moved.handle(), 0.0));
  fits[0] = std::move(moved);  // the degree-0 fit's object goes here
  EXPECT_EQ(fits[0].degree(), 1);
  EXPECT_EQ(fits[2].degree(), 3);
}

TEST(Ownership, ManyObjectsMadeAndFreedLeaveNothingBehind) {
  const V x{0, 1, 2, 3, 4, 5}, y{2, 1, 4, 3, 6, 5};
  for (int round = 0; round < 50; ++round) {
    polylsq_error_t* error = nullptr;
    polylsq_fit_t* fit = polylsq_fit(x.data(), y.data(), nullptr, 6, round % 6, &error);
    polylsq_degree_table_t* table =
        polylsq_degree_table(x.data(), y.data(), nullptr, 6, round % 5, &error);
    polylsq_fit_t* failed = polylsq_fit(x.data(), y.data(), nullptr, 6, 6 + round % 5, &error);
    EXPECT_TRUE(fit != nullptr && table != nullptr && failed == nullptr && error != nullptr);
    polylsq_error_free(error);
    polylsq_degree_table_free(table);
    polylsq_fit_free(fit);
    const auto table_cpp = polylsq::degree_table(x, y, {}, round % 5);
    EXPECT_TRUE(table_cpp.has_value());
  }
#if defined(__SANITIZE_ADDRESS__)
  EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
#endif
}

}  // namespace
