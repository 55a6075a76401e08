// R2ORP and R4ORP: the twelve argument checks in table order, the column check, and the data
// pass (missing rows, frequencies and weights, the sort and reorder, the errors that stop it).
#include "fit/orthogonal_regression.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "support/argument_checks.h"
#include "support/error_handler.h"
#include "support_lib/aliases.h"
#include "tests/fit/fit_outputs.h"

namespace polylsq {
namespace {

using fit_testing::kStop;
using fit_testing::kUntouched;

const float kNaN = std::numeric_limits<float>::quiet_NaN();

struct Args {
  int nobs = 3, ncol = 2, ldx = 3, irsp = 2, ind = 1, ifrq = 0, iwt = 0, maxdeg = 1, icrit = 0;
  float crit = 0.0f;
  int lof = 0;
};

struct Result : fit_testing::FitOutputs {
  using FitOutputs::FitOutputs;
  int nmissr = -99;
};

// R2ORP called by the user program on X (column-major, LDX rows).
Result regress(const Args& a, std::vector<float> x) {
  const int maxdeg = std::max(a.maxdeg, 0);
  Result res(maxdeg + 1, maxdeg + 1);
  const int rows = std::max(a.nobs, 1);
  x.resize(std::max<size_t>(x.size(), size_t(std::max(a.ldx, 1)) * std::max(a.ncol, 1)), 0.0f);
  const std::vector<float> original = x;
  std::vector<float> rwork(8 * size_t(rows), kUntouched);
  std::vector<int> iwork(rows, -1);
  auto r = run_captured([&] {
    R2ORP(a.nobs, a.ncol, x.data(), a.ldx, a.irsp, a.ind, a.ifrq, a.iwt, a.maxdeg, a.icrit,
          a.crit, a.lof, res.ndeg, res.xscale, res.xshift, res.reca.data(), res.recb.data(),
          res.ocoef.data(), res.d.data(), res.dfe, res.sse, res.dfpe, res.sspe, res.nmissr,
          rwork.data(), iwork.data());
  });
  EXPECT_EQ(std::memcmp(x.data(), original.data(), x.size() * sizeof(float)), 0)
      << "X was modified";
  res.console = r.console;
  res.stopped = r.stopped;
  return res;
}

// Columns of a small data matrix, one vector per column.
std::vector<float> columns(std::initializer_list<std::vector<float>> cols) {
  std::vector<float> x;
  for (const auto& c : cols) x.insert(x.end(), c.begin(), c.end());
  return x;
}

TEST(R2orp, EachFailingArgumentIsTerminalWithItsCode) {
  struct Case {
    const char* what;
    Args args;
    std::string console;
  };
  auto with = [](auto change) {
    Args a;
    change(a);
    return a;
  };
  const Case cases[] = {
      {"NOBS", with([](Args& a) { a.nobs = 1; }),
       "\r\n*** TERMINAL ERROR 1 from R2ORP.  NOBS = 1.  The number of observations,"
       "\r\n***          NOBS, must be greater than 1."},
      {"LDX", with([](Args& a) { a.ldx = 2; }),
       "\r\n*** TERMINAL ERROR 3 from R2ORP.  NOBS = 3 and LDX = 2.  The leading"
       "\r\n***          dimension of X, LDX, must be greater than or equal to the "
       "\r\n***          number of observations, NOBS."},
      {"NCOL", with([](Args& a) { a.ncol = 0; }),
       "\r\n*** TERMINAL ERROR 2 from R2ORP.  NCOL = 0.  The number of columns in X,"
       "\r\n***          NCOL, must be greater than or equal to 1."},
      {"IRSP low", with([](Args& a) { a.irsp = 0; }),
       "\r\n*** TERMINAL ERROR 4 from R2ORP.  IRSP = 0.  IRSP must be greater than or"
       "\r\n***          equal to 1."},
      {"IRSP high", with([](Args& a) { a.irsp = 3; }),
       "\r\n*** TERMINAL ERROR 5 from R2ORP.  IRSP = 3 and NCOL = 2.  IRSP must be less"
       "\r\n***          than or equal to NCOL."},
      {"IND low", with([](Args& a) { a.ind = 0; }),
       "\r\n*** TERMINAL ERROR 6 from R2ORP.  IND = 0.  IND must be greater than or"
       "\r\n***          equal to 1."},
      {"IND high", with([](Args& a) { a.ind = 3; }),
       "\r\n*** TERMINAL ERROR 7 from R2ORP.  IND = 3 and NCOL = 2.  IND must be less"
       "\r\n***          than or equal to NCOL."},
      {"IFRQ low", with([](Args& a) { a.ifrq = -1; }),
       "\r\n*** TERMINAL ERROR 8 from R2ORP.  IFRQ = -1.  IFRQ must be greater than or"
       "\r\n***          equal to 0."},
      {"IFRQ high", with([](Args& a) { a.ifrq = 3; }),
       "\r\n*** TERMINAL ERROR 9 from R2ORP.  IFRQ = 3 and NCOL = 2.  IFRQ must be less"
       "\r\n***          than or equal to NCOL."},
      {"IWT low", with([](Args& a) { a.iwt = -2; }),
       "\r\n*** TERMINAL ERROR 10 from R2ORP.  IWT = -2.  IWT must be greater than or"
       "\r\n***          equal to 0."},
      {"IWT high", with([](Args& a) { a.iwt = 5; }),
       "\r\n*** TERMINAL ERROR 11 from R2ORP.  IWT = 5 and NCOL = 2.  IWT must be less"
       "\r\n***          than or equal to NCOL."},
      {"MAXDEG", with([](Args& a) { a.maxdeg = -1; }),
       "\r\n*** TERMINAL ERROR 4 from R2ORP.  MAXDEG = -1.  The maximum degree of the"
       "\r\n***          polynomial to be fit, MAXDEG, must be greater than or equal to "
       "\r\n***          0."},
      {"ICRIT", with([](Args& a) { a.icrit = 3; }),
       "\r\n*** TERMINAL ERROR 5 from R2ORP.  ICRIT = 3.  The criterion option, ICRIT,"
       "\r\n***          must be either 0, 1, or 2."},
      {"LOF", with([](Args& a) { a.lof = 2; }),
       "\r\n*** TERMINAL ERROR 6 from R2ORP.  LOF = 2.  The lack of fit option, LOF,"
       "\r\n***          must be either 0 or 1."},
      {"ICRIT 2 without LOF", with([](Args& a) { a.icrit = 2; }),
       "\r\n*** TERMINAL ERROR 7 from R2ORP.  ICRIT = 2 and LOF = 0.  When the criterion"
       "\r\n***          option, ICRIT, equals 2, the lack of fit option, LOF, must be "
       "\r\n***          equal to 1."},
      {"significance level", with([](Args& a) { a.icrit = 2, a.lof = 1, a.crit = 150.0f; }),
       "\r\n*** TERMINAL ERROR 8 from R2ORP.  CRIT = 1.500000E+02 when ICRIT = 2.  The"
       "\r\n***          significance level for the lack of fit test, CRIT, must be "
       "\r\n***          greater than or equal to 0 and less than or equal to 100 when "
       "\r\n***          the criterion option, ICRIT, is equal  to 2."},
      {"R-squared target", with([](Args& a) { a.icrit = 1, a.crit = 0.0f; }),
       "\r\n*** TERMINAL ERROR 9 from R2ORP.  CRIT = .000000E+00 when ICRIT = 1.  The"
       "\r\n***          R-squared that the fitted polynomial must achieve, CRIT, must "
       "\r\n***          be greater than 0 and less than or equal to 100 when the "
       "\r\n***          criterion option, ICRIT, is equal to 1."},
  };
  const std::vector<float> x = columns({{1, 2, 3}, {1, 2, 4}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Result res = regress(c.args, x);
    EXPECT_EQ(res.console, c.console + kStop);
    EXPECT_TRUE(res.stopped);
    fit_testing::expect_nothing_written(res);
    EXPECT_EQ(res.nmissr, -99);
  }
}

TEST(R2orp, CriterionBoundsAreAccepted) {
  struct Case {
    int icrit, lof;
    float crit;
  };
  const std::vector<float> x = columns({{1, 2, 3, 4}, {1, 2, 4, 3}});
  for (const Case& c : {Case{2, 1, 0.0f}, Case{2, 1, 100.0f}, Case{1, 0, 100.0f}, Case{1, 0, 1e-6f}}) {
    Args a;
    a.nobs = a.ldx = 4;
    a.icrit = c.icrit;
    a.lof = c.lof;
    a.crit = c.crit;
    const Result res = regress(a, x);
    EXPECT_FALSE(res.stopped) << c.icrit << " " << c.crit;
    EXPECT_EQ(res.nmissr, 0);
  }
}

TEST(R2orp, SeveralFailingArgumentsAreReportedInTableOrder) {
  Args a;
  a.ncol = 0;
  a.maxdeg = -1;
  const Result res = regress(a, columns({{1, 2, 3}, {1, 2, 4}}));
  EXPECT_EQ(res.console,
            "\r\n*** TERMINAL ERROR 2 from R2ORP.  NCOL = 0.  The number of columns in X,"
            "\r\n***          NCOL, must be greater than or equal to 1."
            "\r\n"
            "\r\n*** TERMINAL ERROR 4 from R2ORP.  MAXDEG = -1.  The maximum degree of the"
            "\r\n***          polynomial to be fit, MAXDEG, must be greater than or equal to "
            "\r\n***          0." +
                kStop);
}

TEST(CheckColumn, UsesTwoCodesWhetherOrNotNcolIsPositive) {
  struct Case {
    int lower, icolumn, ncol, code_after;
    bool fails;
  };
  for (const Case& c : {Case{1, 2, 3, 8, false}, Case{0, 0, 0, 8, false}, Case{1, 0, 0, 8, true},
                        Case{1, 0, 3, 8, true}}) {
    int code = 6;
    auto r = run_captured([&] {
      E1PSH("CALLER");
      CHECK_COLUMN(c.lower, c.icolumn, "IND", c.ncol, "NCOL", code);
      E1POP("CALLER");
    });
    EXPECT_EQ(code, c.code_after);
    if (c.fails) {
      EXPECT_EQ(r.console,
                "\r\n*** TERMINAL ERROR 6 from CALLER.  IND = 0.  IND must be greater than or"
                "\r\n***          equal to 1." +
                    kStop);
    } else {
      EXPECT_EQ(r.console, "");
    }
  }
}

TEST(R4orp, WorkedExampleThroughTheDataPass) {
  Args a;
  a.maxdeg = 2;
  const Result res = regress(a, columns({{3, 1, 2}, {3, 1, 2}}));  // unsorted rows
  EXPECT_EQ(res.ndeg, 1);
  EXPECT_EQ(res.xscale, 2.0f);
  EXPECT_EQ(res.xshift, -4.0f);
  EXPECT_EQ(res.ocoef, (std::vector<float>{2.0f, 0.5f, 0.0f}));
  EXPECT_EQ(res.d[0], 3.0f);
  EXPECT_EQ(res.d[1], 8.0f);
  EXPECT_EQ(res.reca[0], 0.0f);
  EXPECT_EQ(res.recb[0], 0.0f);
  EXPECT_EQ(res.sse, 0.0f);
  EXPECT_EQ(res.dfe, 1.0f);
  EXPECT_EQ(res.nmissr, 0);
  EXPECT_EQ(res.dfpe, kUntouched);
  // The perfect-fit warning is shown at once, three levels down; the lower-degree warning
  // reaches the user under R2ORP when it returns.
  EXPECT_EQ(res.console,
            "\r\n*** WARNING  ERROR 11 from R3ORP.  The degree 1 polynomial fit is a perfect"
            "\r\n***          fit within machine precision."
            "\r\n    Here is a traceback of subprogram calls in reverse order:"
            "\r\n    Routine name                    Error type  Error code"
            "\r\n    ------------                    ----------  ----------"
            "\r\n    R3ORP                                6          11    (Called internally)"
            "\r\n    R4ORP                                0           0    (Called internally)"
            "\r\n    R2ORP                                0           0"
            "\r\n    USER                                 0           0"
            "\r\n"
            "\r\n*** WARNING  ERROR 6 from R2ORP.  Although a degree 2 fit was requested, a"
            "\r\n***          degree 1 polynomial is fitted because the degree 1 polynomial "
            "\r\n***          fit is a perfect fit within machine precision.");
  EXPECT_FALSE(res.stopped);
}

TEST(R4orp, MissingRowsAreCountedAndLeftOut) {
  // Columns: x, y, frequency, weight. Rows 2 to 5 each miss one value.
  const std::vector<float> x = {0.5f, kNaN, 2.0f, 3.0f, 4.0f, 5.5f, 7.0f, 8.25f};
  const std::vector<float> y = {1.0f, 2.0f, kNaN, 3.5f, 2.0f, 6.0f, 4.5f, 9.0f};
  const std::vector<float> f = {1.0f, 1.0f, 1.0f, kNaN, 2.0f, 1.0f, 3.0f, 1.0f};
  const std::vector<float> w = {1.0f, 1.0f, 1.0f, 1.0f, kNaN, 0.5f, 2.0f, 1.0f};
  const std::vector<size_t> kept = {0, 5, 6, 7};
  std::vector<float> cx, cy, cf, cw;
  for (size_t i : kept) {
    cx.push_back(x[i]);
    cy.push_back(y[i]);
    cf.push_back(f[i]);
    cw.push_back(w[i]);
  }
  Args a;
  a.ncol = 4, a.ifrq = 3, a.iwt = 4, a.maxdeg = 2;
  a.nobs = a.ldx = 8;
  const Result with_missing = regress(a, columns({x, y, f, w}));
  a.nobs = a.ldx = 4;
  const Result clean = regress(a, columns({cx, cy, cf, cw}));
  EXPECT_EQ(with_missing.nmissr, 4);
  EXPECT_EQ(clean.nmissr, 0);
  fit_testing::expect_same_fit(with_missing, clean);
  EXPECT_EQ(clean.dfe, float(6 - clean.ndeg - 1));  // frequencies 1 + 1 + 3 + 1
  EXPECT_EQ(with_missing.console, clean.console);
}

TEST(R4orp, WithoutFrequencyAndWeightColumnsEveryRowWeighsOne) {
  Args a;
  a.nobs = a.ldx = 6;
  a.maxdeg = 2;
  const Result res = regress(a, columns({{1, 2, 3, kNaN, 5, 6}, {2, 1, 4, 4, 3, 7}}));
  EXPECT_EQ(res.nmissr, 1);
  EXPECT_EQ(res.ndeg, 2);
  EXPECT_EQ(res.dfe, 5.0f - 2.0f - 1.0f);
  EXPECT_EQ(res.d[0], 5.0f);
  EXPECT_EQ(res.ocoef[0], float(17.0 / 5.0));  // the mean of the valid responses
}

TEST(R4orp, CombinedWeightIsFrequencyTimesWeight) {
  Args a;
  a.ncol = 4, a.ifrq = 3, a.iwt = 4, a.maxdeg = 0;
  const Result res = regress(a, columns({{3, 1, 2}, {7, 2, 4}, {1, 2, 1}, {2, 1, 0.5f}}));
  // Sorted rows (1, 2, 3): combined weights 2, 0.5, 2; sum w y = 4 + 2 + 14 = 20.
  EXPECT_EQ(res.d[0], 4.5f);
  EXPECT_EQ(res.ocoef[0], float(20.0 / 4.5));
  EXPECT_EQ(res.dfe, 3.0f);  // sum of frequencies 4, minus 1
}

TEST(R4orp, ZeroFrequencyRowStaysAmongTheAbscissas) {
  Args a;
  a.ncol = 3, a.ifrq = 3, a.maxdeg = 2, a.lof = 1;
  a.nobs = a.ldx = 5;
  const Result kept = regress(a, columns({{1, 2, 2, 3, 4}, {1, 3, 100, 2, 5}, {1, 1, 0, 1, 1}}));
  a.nobs = a.ldx = 4;
  const Result without = regress(a, columns({{1, 2, 3, 4}, {1, 3, 2, 5}, {1, 1, 1, 1}}));
  EXPECT_EQ(kept.nmissr, 0);
  EXPECT_EQ(kept.dfpe, 0.0f);  // 4 (sum of frequencies) - 4 distinct abscissas
  EXPECT_EQ(kept.sspe, 0.0f);
  EXPECT_EQ(kept.dfe, without.dfe);
  EXPECT_EQ(kept.ndeg, without.ndeg);
  // The row of weight 0 changes only the grouping of the sums: single-precision agreement.
  for (size_t k = 0; k < kept.ocoef.size(); ++k) EXPECT_NEAR(kept.ocoef[k], without.ocoef[k], 1e-5);
}

TEST(R4orp, ErrorsThatEndThePass) {
  struct Case {
    const char* what;
    Args args;
    std::vector<float> x;
    int nmissr;
    std::string console;
  };
  Args weighted;
  weighted.ncol = 4, weighted.ifrq = 3, weighted.iwt = 4;
  weighted.nobs = weighted.ldx = 5;
  Args plain;
  plain.nobs = plain.ldx = 3;
  const Case cases[] = {
      {"every row missing", plain, columns({{kNaN, 1, 2}, {1, kNaN, kNaN}}), 3,
       "\r\n*** FATAL    ERROR 3 from R2ORP.  Each row of X contains a missing value in"
       "\r\n***          either the IRSP, IFRQ, IND, or IWT column."},
      {"negative frequency", weighted,
       columns({{1, kNaN, 3, 4, 5}, {1, 2, 3, 4, 5}, {1, 1, -1, 1, 1}, {1, 1, 1, 1, 1}}), 1,
       "\r\n*** FATAL    ERROR 2 from R2ORP.  The frequency for row 3 of X is"
       "\r\n***          -1.000000E+00.  Frequencies must be nonnegative."},
      {"negative weight", weighted,
       columns({{1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}, {1, kNaN, 1, 1, 1}, {1, 1, 1, -0.25f, 1}}), 1,
       "\r\n*** FATAL    ERROR 1 from R2ORP.  The weight for row 4 of X was"
       "\r\n***          -2.500000E-01.  Weights must be nonnegative."},
      {"one valid row", plain, columns({{1, kNaN, 2}, {1, 2, kNaN}}), 2,
       "\r\n*** FATAL    ERROR 7 from R2ORP.  Each value of the independent variable is"
       "\r\n***          the same.  The independent variable, X(*,IND), cannot be "
       "\r\n***          constant."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Result res = regress(c.args, c.x);
    EXPECT_EQ(res.nmissr, c.nmissr);
    EXPECT_EQ(res.console, c.console + kStop);
    EXPECT_TRUE(res.stopped);
    fit_testing::expect_nothing_written(res);
  }
}

}  // namespace
}  // namespace polylsq
