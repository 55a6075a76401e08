// Accuracy of the accurate fit: on every hard family against the exact least-squares
// solution of the same doubles (rational arithmetic), and on NIST Norris and Wampler1
// against the certified values. Each data set prints a line with its measured digits
// (the minimum over the coefficients, R-squared, the minimum over the standard errors,
// the residual standard deviation, the covariance matrix as covariance_digits measures it:
// against the exact fit, for NIST too, which certifies no covariance).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "accurate/polynomial_fit.h"
#include "tests/accurate/exact_least_squares.h"
#include "tests/accurate/hard_families.h"

namespace polylsq::accurate::testing {
namespace {

struct Digits {
  double coefficients = kDigitsCap;
  double r_squared = kDigitsCap;
  double standard_errors = kDigitsCap;
  double residual_sd = kDigitsCap;
  double covariance = kDigitsCap;
};

// Reference values of one data set, exact or certified.
struct Reference {
  std::vector<Float100> coefficients;
  std::optional<Float100> r_squared;
  std::vector<Float100> standard_errors;
  std::optional<Float100> residual_sd;
  std::optional<std::vector<Float100>> covariance;  // none: not measured
};

Reference from_exact(const ExactFit& exact) {
  Reference r;
  for (const Rational& a : exact.coefficients) r.coefficients.push_back(to_float(a));
  r.r_squared = exact.r_squared;
  r.standard_errors = exact.standard_errors;
  r.residual_sd = exact.residual_sd;
  r.covariance = exact_covariance(exact);
  return r;
}

// Digits of every reported value; a value undefined on one side only counts as 0 digits.
Digits measure(const PolynomialFit& fit, const Reference& reference) {
  auto digits = [](const std::optional<double>& estimate, const std::optional<Float100>& exact) {
    if (!estimate || !exact) return estimate.has_value() == exact.has_value() ? kDigitsCap : 0.0;
    return correct_digits(*estimate, *exact);
  };
  Digits d;
  for (std::size_t k = 0; k < reference.coefficients.size(); ++k) {
    d.coefficients = std::min(d.coefficients, correct_digits(fit.coefficients[k],
                                                             reference.coefficients[k]));
    const std::optional<Float100> se =
        reference.standard_errors.empty() ? std::nullopt
                                          : std::optional(reference.standard_errors[k]);
    d.standard_errors = std::min(d.standard_errors, digits(fit.standard_errors[k], se));
  }
  d.r_squared = digits(fit.r_squared, reference.r_squared);
  d.residual_sd = digits(fit.residual_sd, reference.residual_sd);
  if (reference.covariance) d.covariance = covariance_digits(fit.covariance, *reference.covariance);
  return d;
}

void report(const std::string& name, const Digits& d) {
  std::printf("[ digits   ] %-58s coefficients %5.2f  R2 %5.2f  se %5.2f  sd %5.2f  cov %5.2f\n",
              name.c_str(), d.coefficients, d.r_squared, d.standard_errors, d.residual_sd,
              d.covariance);
}

// Digits promised on data sets of our own, against their exact solution.
constexpr double kOwnFamilyDigits = 10.0;

TEST(PolynomialFitAccuracy, EveryHardFamilyMatchesItsExactSolutionToTenDigits) {
  for (const DataSet& set : hard_families()) {
    SCOPED_TRACE(set.name);
    const auto fit = fit_polynomial(set.x, set.y, set.w, set.degree);
    ASSERT_TRUE(fit.has_value()) << fit.error().message;
    const Digits d = measure(*fit, from_exact(exact_fit(set.x, set.y, set.w, set.degree)));
    report(set.name, d);
    EXPECT_GE(d.coefficients, kOwnFamilyDigits);
    EXPECT_GE(d.r_squared, kOwnFamilyDigits);
    EXPECT_GE(d.standard_errors, kOwnFamilyDigits);
    EXPECT_GE(d.residual_sd, kOwnFamilyDigits);
    EXPECT_GE(d.covariance, kOwnFamilyDigits);
  }
}

// Certified digits promised on NIST's sets: 12 for coefficients and R-squared, 10 for
// standard errors and the residual standard deviation (absolute where certified 0).
constexpr double kCertifiedCoefficientDigits = 12.0;
constexpr double kCertifiedSpreadDigits = 10.0;

struct CertifiedCase {
  DataSet (*data)();
  std::vector<const char*> coefficients;
  std::vector<const char*> standard_errors;
  const char* residual_sd;
  const char* r_squared;
  const char* regression_ss;
  const char* error_ss;
};

// Certified values as printed in /work/shared/nist/{Norris,Wampler1}/certified.json.
const CertifiedCase kCertified[] = {
    {norris,
     {"-0.262323073774029", "1.00211681802045"},
     {"0.232818234301152", "0.429796848199937E-03"},
     "0.884796396144373",
     "0.999993745883712",
     "4255954.13232369",
     "26.6173985294224"},
    {wampler1,
     {"1", "1", "1", "1", "1", "1"},
     {"0", "0", "0", "0", "0", "0"},
     "0",
     "1",
     "18814317208116.7",
     "0"},
};

TEST(PolynomialFitAccuracy, NistSetsReachTheCertifiedValues) {
  for (const CertifiedCase& c : kCertified) {
    const DataSet set = c.data();
    SCOPED_TRACE(set.name);
    const auto fit = fit_polynomial(set.x, set.y, set.w, set.degree);
    ASSERT_TRUE(fit.has_value()) << fit.error().message;
    Reference certified;
    for (const char* a : c.coefficients) certified.coefficients.emplace_back(a);
    for (const char* se : c.standard_errors) certified.standard_errors.emplace_back(se);
    certified.residual_sd = Float100(c.residual_sd);
    certified.r_squared = Float100(c.r_squared);
    certified.covariance = exact_covariance(exact_fit(set.x, set.y, set.w, set.degree));
    const Digits d = measure(*fit, certified);
    report(set.name + " (certified)", d);
    EXPECT_GE(d.coefficients, kCertifiedCoefficientDigits);
    EXPECT_GE(d.r_squared, kCertifiedCoefficientDigits);
    EXPECT_GE(d.standard_errors, kCertifiedSpreadDigits);
    EXPECT_GE(d.residual_sd, kCertifiedSpreadDigits);
    EXPECT_GE(d.covariance, kCertifiedSpreadDigits);
    EXPECT_GE(correct_digits(fit->anova.regression_sum_of_squares, Float100(c.regression_ss)),
              kCertifiedSpreadDigits);
    EXPECT_GE(correct_digits(fit->anova.error_sum_of_squares, Float100(c.error_ss)),
              kCertifiedSpreadDigits);
  }
}

}  // namespace
}  // namespace polylsq::accurate::testing
