// R2TAP, R2TAP_CORE, RCOEF, G1AOV and their checks: argument errors with their exact
// records, the degenerate cases (NaN and infinity, never a trap), the printed report, and
// one realistic fit against an independent double-precision regression.
#include "stats/regression_statistics.h"

#include <gtest/gtest.h>

#include <boost/math/special_functions/beta.hpp>

#include <array>
#include <cmath>
#include <limits>
#include <regex>
#include <string>
#include <vector>

#include "support/argument_checks.h"
#include "support/error_handler.h"
#include "support_lib/aliases.h"
#include "support_lib/least_squares.h"
#include "support_lib/slots.h"

namespace polylsq {
namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr float kUntouched = -999.0f;  // outputs that a case must leave alone
constexpr int kLd = 7;                 // leading dimension of SQSS, COEF and TLOF in the tests

// Independent references for the tail probabilities, through the regularized incomplete
// beta function of Boost.Math: P(|t| > |t0|) with df degrees of freedom; P(F > f0) with
// (dfn, dfd).
double t_two_sided(double t0, double df) { return boost::math::ibeta(df / 2, 0.5, df / (df + t0 * t0)); }
double f_upper(double f0, double dfn, double dfd) {
  return boost::math::ibeta(dfd / 2, dfn / 2, dfd / (dfd + dfn * f0));
}

// Probabilities come from single-precision FDF and TDF: a few units of 1e-7 absolute.
constexpr double kProbTol = 2e-6;
// Other values of the hand-worked cases: one or two roundings of a float.
constexpr double kRelTol = 3e-7;

// got matches want: NaN for NaN, the same infinity, else within tol relative to max(1, |want|).
void expect_value(float got, double want, double tol, const std::string& what) {
  const double scale = std::isfinite(want) ? std::max(1.0, std::fabs(want)) : 1.0;
  testing::expect_slot(what, got, {want, tol * scale});
}

struct Inputs {
  int ndeg;
  std::vector<float> reca, recb;
  float xscale, xshift;
  std::vector<float> ocoef, d;
  float dfe, sse;
  int lof = 0;
  float dfpe = 0.0f, sspe = 0.0f;
  int iprint = 0;
  int ldsqss = kLd, ldcoef = kLd, ldtlof = kLd;
};

struct Outputs {
  std::array<float, 15> aov;
  std::vector<float> sqss, coef, tlof;
  float Aov(int i) const { return aov[i - 1]; }
  float Sqss(int i, int j) const { return sqss[(i - 1) + (j - 1) * kLd]; }
  float Coef(int i, int j) const { return coef[(i - 1) + (j - 1) * kLd]; }
  float Tlof(int i, int j) const { return tlof[(i - 1) + (j - 1) * kLd]; }
  // Row i of a four-column table (COEF, SQSS or TLOF).
  static std::array<float, 4> row(const std::vector<float>& table, int i) {
    return {table[i - 1], table[i - 1 + kLd], table[i - 1 + 2 * kLd], table[i - 1 + 3 * kLd]};
  }
  CapturedRun run;
};

// Calls R2TAP on outputs filled with kUntouched; TWORK has (NDEG+1)(NDEG+7) elements.
void call_r2tap(Inputs in, Outputs& out) {
  out.aov.fill(kUntouched);
  out.sqss.assign(4 * kLd, kUntouched);
  out.coef.assign(4 * kLd, kUntouched);
  out.tlof.assign(4 * kLd, kUntouched);
  const int n1 = std::max(in.ndeg + 1, 1);
  in.reca.resize(n1, 0.0f);
  in.recb.resize(n1, 0.0f);
  in.ocoef.resize(n1, 0.0f);
  in.d.resize(n1, 1.0f);
  std::vector<float> twork(n1 * (n1 + 6), kUntouched);
  R2TAP(in.ndeg, in.reca.data(), in.recb.data(), in.xscale, in.xshift, in.ocoef.data(),
        in.d.data(), in.dfe, in.sse, in.lof, in.dfpe, in.sspe, in.iprint, out.aov.data(),
        out.sqss.data(), in.ldsqss, out.coef.data(), in.ldcoef, out.tlof.data(), in.ldtlof,
        twork.data());
}

Outputs run_r2tap(const Inputs& in) {
  Outputs out;
  out.run = run_captured([&] { call_r2tap(in, out); });
  return out;
}

std::string records(const std::vector<std::string>& lines) {  // console bytes of the lines
  std::string s;
  for (std::size_t i = 0; i < lines.size(); ++i) s += (i ? "\r\n" : "") + lines[i];
  return s;
}

std::vector<int> terminal_codes(const std::string& console, const std::string& name) {
  std::vector<int> codes;
  const std::regex re("TERMINAL ERROR ([0-9]+) from " + name);
  for (auto it = std::sregex_iterator(console.begin(), console.end(), re);
       it != std::sregex_iterator(); ++it) {
    codes.push_back(std::stoi((*it)[1]));
  }
  return codes;
}

// ---- Degenerate and edge cases, worked by hand.

enum class Table { kAov, kCoef, kSqss, kTlof };
struct Expect {
  Table table;
  int i, j;  // j unused for AOV
  double want;
  double tol = kRelTol;
};
struct EdgeCase {
  const char* name;
  Inputs in;
  std::vector<Expect> expect;
};

const double kSqrt2 = std::sqrt(2.0);

std::vector<EdgeCase> edge_cases() {
  return {
      {"degree 0: no sequential or lack-of-fit rows, no regression F",
       {0, {}, {}, 1.0f, 0.0f, {5.0f}, {4.0f}, 3.0f, 6.0f, 1, 1.0f, 2.0f},
       {{Table::kAov, 1, 0, 0.0}, {Table::kAov, 2, 0, 3.0}, {Table::kAov, 3, 0, 3.0},
        {Table::kAov, 4, 0, 0.0}, {Table::kAov, 5, 0, 6.0}, {Table::kAov, 6, 0, 6.0},
        {Table::kAov, 7, 0, kNan}, {Table::kAov, 8, 0, 2.0}, {Table::kAov, 9, 0, kNan},
        {Table::kAov, 10, 0, kNan}, {Table::kAov, 11, 0, 0.0}, {Table::kAov, 12, 0, 0.0},
        {Table::kAov, 13, 0, kSqrt2}, {Table::kAov, 14, 0, 5.0},
        {Table::kAov, 15, 0, 100 * kSqrt2 / 5},
        {Table::kCoef, 1, 1, 5.0}, {Table::kCoef, 1, 2, std::sqrt(0.5)},
        {Table::kCoef, 1, 3, 5 / std::sqrt(0.5)},
        {Table::kCoef, 1, 4, t_two_sided(5 / std::sqrt(0.5), 3), kProbTol},
        {Table::kSqss, 1, 1, kUntouched}, {Table::kSqss, 1, 2, kUntouched},
        {Table::kSqss, 1, 3, kUntouched}, {Table::kSqss, 1, 4, kUntouched},
        {Table::kTlof, 1, 1, kUntouched}, {Table::kTlof, 1, 4, kUntouched}}},
      // 3 p0 + 2 p1 + 3 p2 with p1 = z, p2 = z^2 - 1: 2x + 3x^2, a zero constant term.
      {"perfect fit: zero standard errors, infinite t and F with probability 0",
       {2, {0.0f, 0.0f}, {0.0f, 1.0f}, 1.0f, 0.0f, {3.0f, 2.0f, 3.0f}, {6.0f, 4.0f, 2.0f}, 3.0f,
        0.0f},
       {{Table::kCoef, 1, 1, 0.0}, {Table::kCoef, 2, 1, 2.0}, {Table::kCoef, 3, 1, 3.0},
        {Table::kCoef, 1, 2, 0.0}, {Table::kCoef, 2, 2, 0.0}, {Table::kCoef, 3, 2, 0.0},
        {Table::kCoef, 1, 3, kNan}, {Table::kCoef, 2, 3, kInf}, {Table::kCoef, 3, 3, kInf},
        {Table::kCoef, 1, 4, kNan}, {Table::kCoef, 2, 4, 0.0}, {Table::kCoef, 3, 4, 0.0},
        {Table::kSqss, 1, 1, 1.0}, {Table::kSqss, 1, 2, 16.0}, {Table::kSqss, 2, 2, 18.0},
        {Table::kSqss, 1, 3, kInf}, {Table::kSqss, 2, 3, kInf}, {Table::kSqss, 1, 4, 0.0},
        {Table::kSqss, 2, 4, 0.0}, {Table::kAov, 4, 0, 34.0}, {Table::kAov, 8, 0, 0.0},
        {Table::kAov, 9, 0, kInf}, {Table::kAov, 10, 0, 0.0}, {Table::kAov, 11, 0, 100.0},
        {Table::kAov, 12, 0, 100.0}, {Table::kAov, 13, 0, 0.0}, {Table::kAov, 15, 0, 0.0}}},
      {"no error degrees of freedom and no error: mean square error NaN",
       {1, {0.5f}, {0.0f}, 1.0f, 0.0f, {2.0f, 1.0f}, {2.0f, 0.5f}, 0.0f, 0.0f},
       {{Table::kCoef, 1, 1, 1.5}, {Table::kCoef, 2, 1, 1.0}, {Table::kCoef, 1, 2, kNan},
        {Table::kCoef, 2, 2, kNan}, {Table::kCoef, 1, 3, kNan}, {Table::kCoef, 2, 3, kNan},
        {Table::kCoef, 1, 4, kNan}, {Table::kCoef, 2, 4, kNan}, {Table::kSqss, 1, 2, 0.5},
        {Table::kSqss, 1, 3, kNan}, {Table::kSqss, 1, 4, kNan}, {Table::kAov, 8, 0, kNan},
        {Table::kAov, 9, 0, kNan}, {Table::kAov, 10, 0, kNan}, {Table::kAov, 11, 0, 100.0},
        {Table::kAov, 12, 0, kNan}, {Table::kAov, 13, 0, kNan}, {Table::kAov, 14, 0, 2.0},
        {Table::kAov, 15, 0, kNan}}},
      // MSE = +inf: every probability with DFE degrees of freedom is NaN. The slope's
      // variance is +inf; the constant term's is inf * 0 (XSHIFT = 0) = NaN.
      {"no error degrees of freedom, positive error: mean square error infinite",
       {1, {0.5f}, {0.0f}, 1.0f, 0.0f, {2.0f, 1.0f}, {2.0f, 0.5f}, 0.0f, 0.25f},
       {{Table::kCoef, 1, 1, 1.5}, {Table::kCoef, 2, 1, 1.0}, {Table::kCoef, 1, 2, kNan},
        {Table::kCoef, 2, 2, kInf}, {Table::kCoef, 1, 3, kNan}, {Table::kCoef, 2, 3, 0.0},
        {Table::kCoef, 1, 4, kNan}, {Table::kCoef, 2, 4, kNan}, {Table::kSqss, 1, 3, 0.0},
        {Table::kSqss, 1, 4, kNan}, {Table::kAov, 6, 0, 0.75}, {Table::kAov, 8, 0, kInf},
        {Table::kAov, 9, 0, 0.0}, {Table::kAov, 10, 0, kNan}, {Table::kAov, 11, 0, 50 / 0.75},
        {Table::kAov, 12, 0, 0.0}, {Table::kAov, 13, 0, kInf}, {Table::kAov, 15, 0, kInf}}},
      // MSE = 10 against a total mean square of about 10.02 / 3.
      {"error mean square above the total mean square: adjusted R-squared exactly 0",
       {2, {0.0f, 0.0f}, {0.0f, 1.0f}, 1.0f, 0.0f, {1.0f, 0.1f, 0.1f}, {4.0f, 1.0f, 1.0f}, 1.0f,
        10.0f},
       {{Table::kAov, 12, 0, 0.0, 0.0}, {Table::kAov, 11, 0, 100 * 0.02 / 10.02, 1e-6}}},
      // OCOEF(1) = 0: the mean; s = 1; the constant term 0 has t = 0 and probability 1.
      {"zero mean: infinite coefficient of variation",
       {1, {0.0f}, {0.0f}, 1.0f, 0.0f, {0.0f, 1.0f}, {4.0f, 2.0f}, 2.0f, 2.0f},
       {{Table::kAov, 13, 0, 1.0}, {Table::kAov, 14, 0, 0.0}, {Table::kAov, 15, 0, kInf},
        {Table::kCoef, 1, 3, 0.0}, {Table::kCoef, 1, 4, 1.0, kProbTol}}},
      {"zero mean and zero error: coefficient of variation NaN",
       {1, {0.0f}, {0.0f}, 1.0f, 0.0f, {0.0f, 1.0f}, {4.0f, 2.0f}, 2.0f, 0.0f},
       {{Table::kAov, 13, 0, 0.0}, {Table::kAov, 15, 0, kNan}}},
      // SQSS(2,2) = 9 * 0.5; lack of fit of degree 1 includes it.
      {"lack of fit without pure error degrees of freedom: NaN F and probability",
       {2, {0.0f, 0.0f}, {0.0f, 1.0f}, 1.0f, 0.0f, {1.0f, 2.0f, 3.0f}, {5.0f, 1.0f, 0.5f}, 2.0f,
        1.5f, 1, 0.0f, 0.0f},
       {{Table::kTlof, 2, 1, 2.0}, {Table::kTlof, 2, 2, 1.5}, {Table::kTlof, 1, 1, 3.0},
        {Table::kTlof, 1, 2, 6.0}, {Table::kTlof, 1, 3, kNan}, {Table::kTlof, 2, 3, kNan},
        {Table::kTlof, 1, 4, kNan}, {Table::kTlof, 2, 4, kNan}}},
  };
}

TEST(R2tap, DegenerateCasesGiveNanOrInfinityWithoutATrap) {
  for (const EdgeCase& c : edge_cases()) {
    SCOPED_TRACE(c.name);
    const Outputs out = run_r2tap(c.in);
    EXPECT_EQ(out.run.console, "");
    EXPECT_FALSE(out.run.stopped);
    EXPECT_FALSE(out.run.failure.has_value());
    for (const Expect& e : c.expect) {
      const std::string cell = std::to_string(e.i) + (e.table == Table::kAov ? "" : "," + std::to_string(e.j));
      switch (e.table) {
        case Table::kAov: expect_value(out.Aov(e.i), e.want, e.tol, "AOV(" + cell + ")"); break;
        case Table::kCoef: expect_value(out.Coef(e.i, e.j), e.want, e.tol, "COEF(" + cell + ")"); break;
        case Table::kSqss: expect_value(out.Sqss(e.i, e.j), e.want, e.tol, "SQSS(" + cell + ")"); break;
        case Table::kTlof: expect_value(out.Tlof(e.i, e.j), e.want, e.tol, "TLOF(" + cell + ")"); break;
      }
    }
  }
}

// ---- G1AOV on its own: rows {DFR, SSR, DFE, SSE, YBAR} -> AOV(1..15).
struct AovCase {
  const char* name;
  float dfr, ssr, dfe, sse, ybar;
  std::array<double, 15> aov;
};

TEST(G1aov, SummaryTableFollowsTheDegenerateRules) {
  const double f_p = std::pow(1.0 + 2.0 * 3.0 / 4.0, -2.0);  // F(2, 4) tail at 3: 0.16
  const AovCase cases[] = {
      {"regular", 2, 12, 4, 8, 5,
       {2, 4, 6, 12, 8, 20, 6, 2, 3, f_p, 60, 40, kSqrt2, 5, 100 * kSqrt2 / 5}},
      {"no regression degrees of freedom", 0, 0, 4, 8, 5,
       {0, 4, 4, 0, 8, 8, kNan, 2, kNan, kNan, 0, 0, kSqrt2, 5, 100 * kSqrt2 / 5}},
      {"no error degrees of freedom, no error", 2, 12, 0, 0, 5,
       {2, 0, 2, 12, 0, 12, 6, kNan, kNan, kNan, 100, kNan, kNan, 5, kNan}},
      {"no error degrees of freedom, positive error", 2, 12, 0, 8, 5,
       {2, 0, 2, 12, 8, 20, 6, kInf, 0, kNan, 60, 0, kInf, 5, kInf}},
      // Total mean square 8 / 0 and error mean square 8 / 0: Q = inf / inf = NaN.
      {"no degrees of freedom at all, positive error", 0, 0, 0, 8, 5,
       {0, 0, 0, 0, 8, 8, kNan, kInf, kNan, kNan, 0, kNan, kInf, 5, kInf}},
      {"adjusted R-squared clamped at 0", 2, 1, 1, 10, 5,
       {2, 1, 3, 1, 10, 11, 0.5, 10, 0.05, std::pow(1.0 + 2.0 * 0.05 / 1.0, -0.5), 100.0 / 11, 0,
        std::sqrt(10.0), 5, 100 * std::sqrt(10.0) / 5}},
      {"zero mean", 2, 12, 4, 8, 0,
       {2, 4, 6, 12, 8, 20, 6, 2, 3, f_p, 60, 40, kSqrt2, 0, kInf}},
      {"zero mean, negative mean", 2, 12, 4, 8, -2,
       {2, 4, 6, 12, 8, 20, 6, 2, 3, f_p, 60, 40, kSqrt2, -2, -100 * kSqrt2 / 2}},
      {"zero mean and perfect fit", 2, 12, 4, 0, 0,
       {2, 4, 6, 12, 0, 12, 6, 0, kInf, 0, 100, 100, 0, 0, kNan}},
  };
  for (const AovCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::array<float, 15> aov;
    aov.fill(kUntouched);
    const CapturedRun r =
        run_captured([&] { G1AOV(c.dfr, c.ssr, c.dfe, c.sse, c.ybar, aov.data()); });
    EXPECT_EQ(r.console, "");
    EXPECT_FALSE(r.stopped);
    for (int i = 0; i < 15; ++i) {
      const double tol = i == 9 ? kProbTol : kRelTol;
      expect_value(aov[i], c.aov[i], tol, "AOV(" + std::to_string(i + 1) + ")");
    }
  }
}

TEST(G1aov, EveryNegativeInputIsReportedWithItsOwnCode) {
  std::array<float, 15> aov;
  aov.fill(kUntouched);
  const CapturedRun r = run_captured([&] { G1AOV(-1.0f, 2.0f, 3.0f, -0.25f, 1.0f, aov.data()); });
  EXPECT_EQ(r.console,
            records({"",
                     "*** TERMINAL ERROR 1 from G1AOV.  DFR = -1.000000E+00.  DFR must be greater",
                     "***          than or equal to zero.",
                     "",
                     "*** TERMINAL ERROR 4 from G1AOV.  SSE = -2.500000E-01.  SSE must be greater",
                     "***          than or equal to zero.",
                     "Stop - Program terminated.", ""}));
  EXPECT_TRUE(r.stopped);
  for (float v : aov) EXPECT_EQ(v, kUntouched);
}

// ---- RCOEF and CHECK_DIM_PAIR.

TEST(Rcoef, CopiesTheColumnsAndFormsTAndTwoSidedProbabilities) {
  const float est[] = {3.0f, -1.0f, 0.0f};
  const float stdb[] = {1.5f, 0.5f, 2.0f};
  std::vector<float> coef(4 * kLd, kUntouched);
  const CapturedRun r = run_captured([&] { RCOEF(3, est, stdb, 4.0f, coef.data(), kLd); });
  EXPECT_EQ(r.console, "");
  const double t[] = {2.0, -2.0, 0.0};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(coef[i], est[i]);
    EXPECT_EQ(coef[i + kLd], stdb[i]);
    EXPECT_EQ(coef[i + 2 * kLd], t[i]);
    EXPECT_NEAR(coef[i + 3 * kLd], t_two_sided(t[i], 4.0), kProbTol);
  }
  EXPECT_EQ(coef[3], kUntouched);  // row 4 is not one of the NCOEF rows
}

TEST(Rcoef, ChecksAreNumberedByTheRunningCounter) {
  struct Case {
    const char* name;
    int ncoef, ldcoef;
    float dfe;
    std::vector<float> stdb;
    std::vector<int> codes;
  };
  const Case cases[] = {
      {"count and leading dimension below 1, negative DFE", 0, 0, -1.0f, {1.0f}, {1, 2, 4}},
      {"count above the leading dimension, two negative errors", 3, 2, 1.0f,
       {1.0f, -2.0f, -3.0f}, {3, 5, 5}},
      {"a NaN standard error is not reported", 2, 2, 1.0f, {float(kNan), -1.0f}, {5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<float> est(c.stdb.size(), 1.0f);
    std::vector<float> coef(4 * kLd, kUntouched);
    const CapturedRun r = run_captured(
        [&] { RCOEF(c.ncoef, est.data(), c.stdb.data(), c.dfe, coef.data(), c.ldcoef); });
    EXPECT_EQ(terminal_codes(r.console, "RCOEF"), c.codes);
    EXPECT_TRUE(r.stopped);
    for (float v : coef) EXPECT_EQ(v, kUntouched);
  }
}

TEST(Rcoef, CountAboveLeadingDimensionAndNegativeErrorRecords) {
  const float est[] = {1.0f, 1.0f, 1.0f};
  const float stdb[] = {1.0f, -2.0f, 1.0f};
  std::vector<float> coef(4 * kLd, kUntouched);
  const CapturedRun r = run_captured([&] { RCOEF(3, est, stdb, 1.0f, coef.data(), 2); });
  EXPECT_EQ(r.console,
            records({"",
                     "*** TERMINAL ERROR 3 from RCOEF.  NCOEF = 3 and LDCOEF = 2.  NCOEF must be",
                     "***          less than or equal to LDCOEF.",
                     "",
                     "*** TERMINAL ERROR 5 from RCOEF.  STDB(2) = -2.000000E+00.  It must be",
                     "***          nonnegative.",
                     "Stop - Program terminated.", ""}));
}

TEST(CheckDimPair, StarredNameSkipsTheCountButKeepsTheCodeSequence) {
  struct Case {
    const char* name;
    int n, ld;
    std::string_view nname;
    std::vector<int> codes;
  };
  const Case cases[] = {
      {"starred count below the bound", -5, 3, "*NCOEF", {}},
      {"starred count above the leading dimension", 5, 3, "*NCOEF", {3}},
      {"leading dimension 0: no order check", 0, 0, "NCOEF", {1, 2}},
      {"everything in order", 2, 3, "NCOEF", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int code = 1;
    const CapturedRun r = run_captured([&] {
      E1PSH("TDIM  ");
      CHECK_DIM_PAIR(1, c.n, c.nname, c.ld, "LDCOEF", code);
      E1POP("TDIM");
    });
    EXPECT_EQ(code, 4);
    EXPECT_EQ(terminal_codes(r.console, "TDIM"), c.codes);
  }
  int code = 1;
  const CapturedRun r = run_captured([&] {
    E1PSH("TDIM  ");
    CHECK_DIM_PAIR(1, 5, "*NCOEF", 3, "LDCOEF", code);
    E1POP("TDIM");
  });
  EXPECT_NE(r.console.find("TERMINAL ERROR 3 from TDIM.  NCOEF = 5 and LDCOEF = 3.  NCOEF must be"),
            std::string::npos)
      << r.console;
}

// ---- R2TAP's checks.

Inputs valid_inputs() {
  return {2, {0.0f, 0.0f}, {0.0f, 1.0f}, 1.0f, 0.0f, {1.0f, 2.0f, 3.0f}, {5.0f, 1.0f, 0.5f}, 2.0f,
          1.5f};
}

TEST(R2tap, EachNonPositiveDIsReportedWithCodeTwoAndNothingIsComputed) {
  Inputs in = valid_inputs();
  in.d = {1.0f, 0.0f, -2.0f};
  const Outputs out = run_r2tap(in);
  EXPECT_EQ(out.run.console,
            records({"",
                     "*** TERMINAL ERROR 2 from R2TAP.  D(2) = .000000E+00.  Each element of D,",
                     "***          the vector containing the diagonal elements of the sum of ",
                     "***          squares and cross-products matrix, must be positive.",
                     "",
                     "*** TERMINAL ERROR 2 from R2TAP.  D(3) = -2.000000E+00.  Each element of D,",
                     "***          the vector containing the diagonal elements of the sum of ",
                     "***          squares and cross-products matrix, must be positive.",
                     "Stop - Program terminated.", ""}));
  EXPECT_TRUE(out.run.stopped);
  for (float v : out.aov) EXPECT_EQ(v, kUntouched);
  for (float v : out.coef) EXPECT_EQ(v, kUntouched);
  for (float v : out.sqss) EXPECT_EQ(v, kUntouched);
}

TEST(R2tap, EveryFailedCheckIsReportedInTheDesignedOrder) {
  struct Case {
    const char* name;
    void (*mutate)(Inputs&);
    std::vector<int> codes;
  };
  const Case cases[] = {
      {"negative degree, statistics and options",
       [](Inputs& in) {
         in.ndeg = -1;
         in.dfe = -1.0f;
         in.sse = -1.0f;
         in.lof = 1;
         in.dfpe = -1.0f;
         in.sspe = -1.0f;
         in.iprint = 2;
         in.ldcoef = -1;
       },
       {1, 3, 4, 6, 7, 8}},
      {"D, option values and two leading dimensions",
       [](Inputs& in) {
         in.d = {0.0f, 1.0f, -1.0f};
         in.lof = 2;
         in.dfpe = -1.0f;  // read only when LOF = 1
         in.iprint = -1;
         in.ldsqss = 1;
         in.ldtlof = 1;  // checked only when LOF = 1
         in.ldcoef = 2;
       },
       {2, 2, 5, 8, 9, 10}},
      {"the TLOF check (code 11) comes before the COEF check (code 10)",
       [](Inputs& in) {
         in.lof = 1;
         in.ldsqss = 1;
         in.ldtlof = 1;
         in.ldcoef = 2;
       },
       {9, 11, 10}},
      {"degree 0 needs no SQSS or TLOF rows",
       [](Inputs& in) {
         in.ndeg = 0;
         in.lof = 1;
         in.ldsqss = 0;
         in.ldtlof = 0;
         in.ldcoef = 0;
       },
       {10}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Inputs in = valid_inputs();
    c.mutate(in);
    const Outputs out = run_r2tap(in);
    EXPECT_EQ(terminal_codes(out.run.console, "R2TAP"), c.codes) << out.run.console;
    EXPECT_TRUE(out.run.stopped);
    for (float v : out.aov) EXPECT_EQ(v, kUntouched);
  }
}

TEST(R2tapDeathTest, ANanInAnOrderedCheckEndsTheRunThroughTheInvalidTrap) {
  const float nan = float(kNan);
  struct Case {
    const char* name;
    void (*mutate)(Inputs&);
  };
  const Case cases[] = {
      {"D(2)", [](Inputs& in) { in.d[1] = float(kNan); }},
      {"DFE", [](Inputs& in) { in.dfe = float(kNan); }},
      {"SSE", [](Inputs& in) { in.sse = float(kNan); }},
      {"DFPE", [](Inputs& in) { in.lof = 1; in.dfpe = float(kNan); }},
      {"SSPE", [](Inputs& in) { in.lof = 1; in.sspe = float(kNan); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Inputs in = valid_inputs();
    c.mutate(in);
    Outputs out;
    EXPECT_EXIT(call_r2tap(in, out), ::testing::ExitedWithCode(1), "floating-point error: invalid");
  }
  std::array<float, 15> aov{};
  EXPECT_EXIT(G1AOV(1.0f, nan, 1.0f, 1.0f, 1.0f, aov.data()), ::testing::ExitedWithCode(1),
              "floating-point error: invalid");
}

// A finite step whose result passes the float range is an overflow like any other store:
// the run ends through the overflow trap, no infinity is stored.
TEST(R2tapDeathTest, AStoreBeyondTheFloatRangeEndsTheRunThroughTheOverflowTrap) {
  const char* kReport = "floating-point error: overflow";
  std::array<float, 15> aov{};
  // SSR * 100 = 3e39, rounded when passed to SAFE_DIV.
  EXPECT_EXIT(G1AOV(1.0f, 3.0e37f, 1.0f, 1.0e37f, 1.0f, aov.data()),
              ::testing::ExitedWithCode(1), kReport);
  // AOV(6) = SSE + SSR = 6e38.
  EXPECT_EXIT(G1AOV(1.0f, 3.0e38f, 1.0f, 3.0e38f, 1.0f, aov.data()),
              ::testing::ExitedWithCode(1), kReport);
  // SQSS(1,2) = OCOEF(2) * OCOEF(2) * D(2) = 1e40.
  Inputs in{1, {0.0f}, {0.0f}, 1.0f, 0.0f, {1.0f, 1.0e20f}, {1.0f, 1.0f}, 1.0f, 1.0f};
  Outputs out;
  EXPECT_EXIT(call_r2tap(in, out), ::testing::ExitedWithCode(1), kReport);
}

TEST(R2tap, PureErrorStatisticsAreNotReadWithoutTheLackOfFitOption) {
  Inputs in = valid_inputs();
  in.dfpe = float(kNan);
  in.sspe = -5.0f;
  const Outputs out = run_r2tap(in);
  EXPECT_EQ(out.run.console, "");
  EXPECT_EQ(out.Tlof(1, 1), kUntouched);
}

// ---- The printed report (IPRINT = 1).

// NDEG = 1, p1 = z = x: OCOEF (3, 2), D (4, 8), DFE 2, SSE 4, pure error 1 on 1 degree of
// freedom. By hand: SSR 32, MSE 2, F 16 with P(F(1,2) > 16) = 1 - 4/sqrt(18) = .0572;
// R-squared 3200/36; adjusted 100(1 - 2/12); s = sqrt 2; CV 100 sqrt(2)/3 = 47.1405;
// standard errors sqrt(2/4), sqrt(2/8); t 3/sqrt(.5) = 4.243 with 1 - t/sqrt(2 + t^2) = .0513;
// lack of fit 3 on 1 against 1 on 1: F 3, P(F(1,1) > 3) = 1/3.
TEST(R2tap, PrintedReportLaysOutEveryTable) {
  Inputs in{1, {0.0f}, {0.0f}, 1.0f, 0.0f, {3.0f, 2.0f}, {4.0f, 8.0f}, 2.0f, 4.0f, 1, 1.0f, 1.0f,
            1};
  const Outputs out = run_r2tap(in);
  const std::string b10(10, ' ');
  const std::string header_a(26, ' ');
  EXPECT_EQ(out.run.console,
            records({
                "",
                "               * * * Analysis of Variance * * *",
                header_a + "    Sum of      Mean",
                "Source                  DF   Squares    Square        F Pr > F",
                "Regression          1.0000   32.0000   32.0000   16.000  .0572",
                "Residual            2.0000    4.0000    2.0000",
                "Corrected Total     3.0000   36.0000",
                "",
                "R-squared (percent)                            88.8889",
                "Adjusted R-squared (percent)                   83.3333",
                "Estimated standard deviation of model error     1.4142",
                "Mean of the response                            3.0000",
                "Coefficient of variation (percent)             47.1405",
                "",
                "       * * * Inference on Coefficients * * *",
                header_a + "  Standard",
                " Power" + b10 + "  Estimate     Error        t Pr>|t|",
                "     0" + b10 + "    3.0000     .7071    4.243  .0513",
                "     1" + b10 + "    2.0000     .5000    4.000  .0572",
                "",
                "         * * * Sequential Statistics * * *",
                header_a + "    Sum of",
                "Degree" + b10 + "        DF   Squares        F Pr > F",
                "     1" + b10 + "    1.0000   32.0000   16.000  .0572",
                "",
                "          * * * Tests of Lack of Fit * * *",
                header_a + "    Sum of",
                "Degree" + b10 + "        DF   Squares        F Pr > F",
                "     1" + b10 + "    1.0000    3.0000    3.000  .3333",
            }));
  EXPECT_FALSE(out.run.stopped);
}

// A W10.4 field falls back to 1PE10.3 when F10.4 would overflow or show no digit:
// 123456.7 -> " 1.235E+05"; sqrt((6e-10 / 3) / 4) = 7.0711e-6 -> " 7.071E-06". With degree 0
// there is no sequential table and no lack-of-fit table, even with LOF = 1.
TEST(R2tap, PrintedReportShowsLargeAndTinyNumbersInExponentFormAndOmitsDegreeTables) {
  Inputs in{0, {}, {}, 1.0f, 0.0f, {123456.7f}, {4.0f}, 3.0f, 6.0e-10f, 1, 1.0f, 1.0e-10f, 1};
  const Outputs out = run_r2tap(in);
  const std::string row = "\r\n     0" + std::string(11, ' ') + "1.235E+05 7.071E-06";
  EXPECT_NE(out.run.console.find(row), std::string::npos) << out.run.console;
  EXPECT_NE(out.run.console.find("* * * Inference on Coefficients * * *"), std::string::npos);
  EXPECT_EQ(out.run.console.find("Sequential"), std::string::npos);
  EXPECT_EQ(out.run.console.find("Lack of Fit"), std::string::npos);
}

// ---- One realistic fit against an independent regression in double precision on the
// power-series design matrix (support_lib/least_squares.h).

struct Reference {
  std::vector<double> b, se, t, p, seq_ss, seq_f, seq_p;
  double sse, r2, adj_r2, f, f_p, s, mean, cv;
};

Reference power_series_regression(const std::vector<double>& x, const std::vector<double>& y,
                                  int ndeg) {
  const int n = static_cast<int>(x.size()), m = ndeg + 1;
  const testing::PolynomialLeastSquares fit = testing::polynomial_least_squares(x, y, ndeg);
  Reference ref;
  ref.b = fit.coefficients;
  ref.sse = fit.sse;
  double ybar = 0.0;
  for (int i = 0; i < n; ++i) ybar += y[i] / n;
  double sst = 0.0;
  for (int i = 0; i < n; ++i) sst += (y[i] - ybar) * (y[i] - ybar);
  const double dfe = n - m, mse = ref.sse / dfe, ssr = sst - ref.sse;
  for (int i = 0; i < m; ++i) {
    ref.se.push_back(std::sqrt(mse * fit.inverse_gram_diagonal[i]));
    ref.t.push_back(ref.b[i] / ref.se[i]);
    ref.p.push_back(t_two_sided(ref.t[i], dfe));
  }
  for (int k = 1; k < m; ++k) {  // the reduction in SSE from adding x^k
    ref.seq_ss.push_back(fit.sequential_ss[k - 1]);
    ref.seq_f.push_back(ref.seq_ss.back() / mse);
    ref.seq_p.push_back(f_upper(ref.seq_f.back(), 1, dfe));
  }
  ref.r2 = 100 * ssr / sst;
  ref.adj_r2 = 100 * (1 - mse / (sst / (n - 1)));
  ref.f = (ssr / ndeg) / mse;
  ref.f_p = f_upper(ref.f, ndeg, dfe);
  ref.s = std::sqrt(mse);
  ref.mean = ybar;
  ref.cv = 100 * ref.s / ybar;
  return ref;
}

// The orthogonal-polynomial fit that R2TAP receives: the three-term recurrence over
// z = XSCALE x + XSHIFT (x scaled to [-2, 2]) in double, every result rounded to float.
Inputs orthogonal_fit(const std::vector<double>& x, const std::vector<double>& y, int ndeg) {
  const int n = static_cast<int>(x.size());
  Inputs in{ndeg, {}, {}, float(4.0 / (x.back() - x.front())), 0.0f, {}, {}, float(n - ndeg - 1),
            0.0f};
  in.xshift = float(-2.0 - double(in.xscale) * x.front());
  std::vector<double> z(n), prev(n, 0.0), cur(n, 1.0), fit(n, 0.0);
  for (int i = 0; i < n; ++i) z[i] = double(in.xscale) * x[i] + in.xshift;
  double d_prev = 0.0;
  for (int k = 0; k <= ndeg; ++k) {
    if (k > 0) {
      double zpp = 0.0, pp = 0.0;
      for (int i = 0; i < n; ++i) {
        zpp += z[i] * cur[i] * cur[i];
        pp += cur[i] * cur[i];
      }
      const double a = zpp / pp, b = k >= 2 ? pp / d_prev : 0.0;
      d_prev = pp;
      std::vector<double> next(n);
      for (int i = 0; i < n; ++i) next[i] = (z[i] - a) * cur[i] - b * prev[i];
      prev = cur;
      cur = next;
      in.reca.push_back(float(a));
      in.recb.push_back(float(b));
    }
    double pp = 0.0, yp = 0.0;
    for (int i = 0; i < n; ++i) {
      pp += cur[i] * cur[i];
      yp += y[i] * cur[i];
    }
    in.d.push_back(float(pp));
    in.ocoef.push_back(float(yp / pp));
    for (int i = 0; i < n; ++i) fit[i] += (yp / pp) * cur[i];
  }
  double sse = 0.0;
  for (int i = 0; i < n; ++i) sse += (y[i] - fit[i]) * (y[i] - fit[i]);
  in.sse = float(sse);
  return in;
}

// Inputs rounded to float and some ten single-precision roundings (6e-8 each) between them
// and each result. A probability 1 - (a distribution value near 1) also keeps an absolute
// error of a few ulps of 1 (1.2e-7).
constexpr double kFitRelTol = 2e-6;
constexpr double kFitProbRelTol = 2e-6;
constexpr double kFitProbAbsTol = 3e-7;

TEST(R2tap, RealisticCubicFitAgreesWithAnIndependentDoublePrecisionRegression) {
  const double noise[] = {1.3, -2.1, 0.8, 1.7, -0.5, -1.9, 2.2, -1.1, 0.4, -1.6, 0.9, 0.2};
  std::vector<double> x, y;
  for (int i = 0; i < 12; ++i) {
    const double xi = i + 1;
    x.push_back(xi);
    y.push_back(double(float(2 - 0.5 * xi + 0.3 * xi * xi - 0.02 * xi * xi * xi + noise[i])));
  }
  const int ndeg = 3;
  const Reference ref = power_series_regression(x, y, ndeg);
  const Outputs out = run_r2tap(orthogonal_fit(x, y, ndeg));
  ASSERT_EQ(out.run.console, "");

  const auto near = [](double value) { return testing::Slot{value, kFitRelTol * std::fabs(value)}; };
  const auto probability = [](double p) { return testing::Slot{p, kFitProbAbsTol + kFitProbRelTol * p}; };
  for (int i = 1; i <= ndeg + 1; ++i) {
    SCOPED_TRACE("power " + std::to_string(i - 1));
    const testing::Slot row[] = {near(ref.b[i - 1]), near(ref.se[i - 1]), near(ref.t[i - 1]),
                                 probability(ref.p[i - 1])};
    testing::expect_record("COEF row", Outputs::row(out.coef, i), row);
  }
  for (int k = 1; k <= ndeg; ++k) {
    SCOPED_TRACE("degree " + std::to_string(k));
    const testing::Slot row[] = {{1.0}, near(ref.seq_ss[k - 1]), near(ref.seq_f[k - 1]),
                                 probability(ref.seq_p[k - 1])};
    testing::expect_record("SQSS row", Outputs::row(out.sqss, k), row);
  }
  const struct {
    int i;
    testing::Slot want;
  } aov[] = {{1, {3.0}},          {2, {8.0}},           {5, near(ref.sse)},      {9, near(ref.f)},
             {10, probability(ref.f_p)}, {11, near(ref.r2)}, {12, near(ref.adj_r2)}, {13, near(ref.s)},
             {14, near(ref.mean)}, {15, near(ref.cv)}};
  for (const auto& a : aov) testing::expect_slot("AOV(" + std::to_string(a.i) + ")", out.Aov(a.i), a.want);
}

}  // namespace
}  // namespace polylsq
