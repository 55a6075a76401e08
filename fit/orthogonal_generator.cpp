// The orthogonal polynomial generator. Every real it keeps is a float; each step is
// computed in double and rounded where it is stored, running sums after every element.
// The weighted inner products are dot products of columns that carry sqrt(w)*p, formed by
// the kernels with unit increments; the four workspace columns change roles by exchanging
// their column numbers. Comparisons that a NaN may reach in the degree loop are ordered
// comparisons: a NaN there ends the run through the invalid-operation trap.
// Rows that all weigh zero, or (LOF = 1) an abscissa whose rows all weigh zero, would make a
// weighted mean 0/0: such data is rejected first with a type 4 error (codes 8 and 9).
#include "fit/orthogonal_generator.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "recio/fpenv.h"
#include "stats/distributions.h"
#include "support/error_handler.h"
#include "support/index.h"
#include "support/machine.h"
#include "support/routine_name.h"
#include "support/vector_kernels.h"

namespace polylsq {
namespace {

constexpr std::string_view kConstantX =
    "Each value of the independent variable is the same.  The independent variable, X(*,IND), "
    "cannot be constant.";
constexpr std::string_view kPerfectFit =
    "The degree %(I1) polynomial fit is a perfect fit within machine precision.";
constexpr std::string_view kConstantY =
    "The response variable, X(*,IRSP), is constant.  A zero degree polynomial is fit.";
constexpr std::string_view kFewAbscissas =
    "A degree %(I1) polynomial is fitted.  There are only %(I2) distinct abscissas, so a higher "
    "degree polynomial fit cannot be computed.";
constexpr std::string_view kLowerDegree =
    "Although a degree %(I1) fit was requested, a degree %(I2) polynomial is fitted because the "
    "degree %(I2) polynomial fit is a perfect fit within machine precision.";

// Zero-weight data, possible only with frequency or weight columns.
constexpr std::string_view kZeroTotalWeight =
    "The product of frequency and weight is zero in every row.  At least one row of X must have "
    "a positive frequency and a positive weight.";
constexpr std::string_view kZeroGroupWeight =
    "The product of frequency and weight is zero in every row with X(*,IND) = %(R1).  The pure "
    "error for the lack of fit test, LOF = 1, cannot be computed.";
constexpr int kZeroTotalWeightCode = 8;
constexpr int kZeroGroupWeightCode = 9;

// Rows first .. first+count-1 of WS all zero.
bool weights_all_zero(const Vec<const float>& ws, int first, int count) {
  for (int i = first; i < first + count; ++i) {
    if (ws(i) != 0.0f) return false;
  }
  return true;
}

// The state of one call of R3ORP. Every real is a float, stored after each step.
struct Generator {
  int NV, MAXDEG, ICRIT, LOF;
  float CRIT;
  Vec<float> xs;
  Vec<const float> ys, ws;
  Vec<int> run_lengths;  // IWORK: rows per distinct abscissa, in ascending order
  Mat<float> work;       // four columns of NV rows, roles given by column numbers in generate()

  int row_of_largest_x = 0, row_of_smallest_x = 0;
  bool response_constant = true;
  int distinct_x_count = 1;
  float total_frequency = 0;
  float criterion_fraction = 0;  // CRIT (100 for ICRIT = 0) as a fraction
  bool lack_of_fit_test = false;  // LOF = 1 and pure error has degrees of freedom
  float x_midpoint = 0, x_scale = 0;  // t = (x - x_midpoint) * x_scale lies in [-2, 2]
  float numerator = 0;       // weighted inner product of y and p_j: OCOEF(j+1) * norm
  float norm = 0;            // weighted inner product of p_j with itself: D(j+1)
  float residual_ss = 0;     // weighted residual sum of squares of the fit so far
  float total_ss = 0;        // weighted total sum of squares about the mean
  float regression_ss = 0;   // explained so far, never above total_ss
  float perfect_fit_ss = 0;  // regression_ss at or above this is a perfect fit
  float recurrence_b = 0;    // the current RECB

  // The range of the abscissas, whether the response is constant, and the run length of
  // each distinct abscissa. False (with the type 4 error issued) when the abscissas are
  // all equal.
  bool scan_data() {
    row_of_largest_x = VEC_MAX_INDEX(NV, xs.at(1), 1);
    row_of_smallest_x = VEC_MIN_INDEX(NV, xs.at(1), 1);
    if (row_of_largest_x == row_of_smallest_x) {
      E1MES(4, 7, kConstantX);
      return false;
    }
    for (int i = 1; i <= NV - 1; ++i) {
      if (ys(i) != ys(i + 1)) {
        response_constant = false;
        break;
      }
    }
    IVEC_SET(NV, 0, run_lengths.at(1), 1);
    distinct_x_count = 1;
    int run = 1;
    for (int i = 1; i <= NV - 1; ++i) {
      if (xs(i + 1) != xs(i)) {
        run_lengths(distinct_x_count) = run;
        ++distinct_x_count;
        run = 1;
      } else {
        ++run;
      }
    }
    run_lengths(distinct_x_count) = run;
    return true;
  }

  // A weighted mean over rows of zero weight would divide 0 by 0: rejected with a type 4
  // error before anything is written.
  bool weights_usable() {
    if (weights_all_zero(ws, 1, NV)) {
      E1MES(4, kZeroTotalWeightCode, kZeroTotalWeight);
      return false;
    }
    if (LOF == 1) {
      int first = 1;
      for (int k = 1; k <= distinct_x_count; ++k) {
        if (weights_all_zero(ws, first, run_lengths(k))) {
          MSG_SET_REAL(1, xs(first));
          E1MES(4, kZeroGroupWeightCode, kZeroGroupWeight);
          return false;
        }
        first += run_lengths(k);
      }
    }
    return true;
  }

  // Pure error: the weighted sum of squares of each group of equal abscissas about its
  // mean. No degrees of freedom left for it turn the lack-of-fit test off.
  void pure_error(float& DFPE, float& SSPE) {
    SSPE = 0.0f;
    int first = 1;
    for (int k = 1; k <= distinct_x_count; ++k) {
      const int last = first + run_lengths(k) - 1;
      float swy = 0.0f;
      float sw = 0.0f;
      for (int i = first; i <= last; ++i) {
        swy = float(double(swy) + double(ws(i)) * double(ys(i)));
        sw = float(double(sw) + double(ws(i)));
      }
      const float ybar = float(double(swy) / double(sw));
      float ssg = 0.0f;
      for (int i = first; i <= last; ++i) {
        const double dev = double(ys(i)) - double(ybar);
        ssg = float(double(ssg) + double(ws(i)) * (dev * dev));
      }
      SSPE = float(double(SSPE) + double(ssg));
      first = last + 1;
    }
    DFPE = float(double(total_frequency) - double(distinct_x_count));
    if (DFPE == 0.0f) lack_of_fit_test = false;
  }

  // Scaling of the abscissas to [-2, 2], the weighted sums of the response that start the
  // recurrence, and the workspace columns for p_(-1) = 0 and p_0 = 1.
  void prepare() {
    x_midpoint = float((double(xs(row_of_smallest_x)) + double(xs(row_of_largest_x))) * 0.5);
    x_scale = float(4.0 / (double(xs(row_of_largest_x)) - double(xs(row_of_smallest_x))));
    numerator = VEC_DOT(NV, ys.at(1), 1, ws.at(1), 1);
    residual_ss = VEC_DOT3(NV, ys.at(1), 1, ys.at(1), 1, ws.at(1), 1);
    norm = VEC_SUM(NV, ws.at(1), 1);
    for (int i = 1; i <= NV; ++i) work(i, 4) = float(recio::rt_sqrt(double(ws(i))));
    VEC_SET(NV, 0.0f, work.at(1, 1), 1);
    VEC_SET(NV, 0.0f, work.at(1, 3), 1);
    VEC_SET(NV, 1.0f, work.at(1, 2), 1);
    for (int i = 1; i <= NV; ++i) {
      xs(i) = float((double(xs(i)) - double(x_midpoint)) * double(x_scale));
    }
  }

  // The lack-of-fit probability of the fit of degree j-1 (pass j >= 2): 1 when no distinct
  // abscissa is left over, else the upper tail of the F test of lack of fit against pure
  // error.
  float lack_of_fit_probability(int j, float DFPE, float SSPE) const {
    if (j >= distinct_x_count) return 1.0f;
    float sslof = float(double(total_ss) - double(regression_ss) - double(SSPE));
    if (recio::ordered_lt(sslof, 0.0)) sslof = 0.0f;
    const float mslof = float(double(sslof) / double(distinct_x_count - j));
    float mspe = 0.0f;
    SAFE_DIV(SSPE, DFPE, mspe);
    float f = 0.0f;
    float p = 0.0f;
    C1F(mslof, mspe, float(distinct_x_count - j), DFPE, f, p);
    return p;
  }

  // The stopping rules, each on the fit of the degree reached. Their comparisons are
  // ordered: a NaN ends the run through the invalid-operation trap.
  // Nothing to explain: the response is constant (degree 0).
  bool nothing_to_explain() const { return recio::ordered_le(total_ss, 0.0); }
  // ICRIT = 2: the lack of fit is no longer significant at CRIT percent.
  bool lack_of_fit_not_significant(float probability) const {
    return !recio::ordered_ge(criterion_fraction, probability);
  }
  // The fraction of the total sum of squares explained reaches CRIT percent (all of it
  // for ICRIT = 0).
  bool r_squared_reached() const {
    return !recio::ordered_gt(double(criterion_fraction) * double(total_ss), regression_ss);
  }
  // The fit is perfect within machine precision.
  bool perfect_fit() const { return !recio::ordered_gt(perfect_fit_ss, regression_ss); }

  // The passes j = 1, 2, ...: pass j takes the sum of squares of p_(j-1) out of the
  // residual, tests the fit of degree j-1 against the stopping rules and, unless one
  // stops it, generates p_j, its recurrence coefficients and its coefficient in the fit.
  // DFPE and SSPE are read only when LOF = 1 (set by pure_error).
  void generate(int& NDEG, float* RECA, float* RECB, float* OCOEF, float* D, const float& DFPE,
                const float& SSPE) {
    const Vec<float> reca(RECA), recb(RECB), ocoef(OCOEF), d(D);
    // Column numbers: p_(j-2), p_(j-1), free, sqrt(w) p_(j-1); exchanged, never copied.
    int p_prev = 1, p_cur = 2, s_prev = 3, s_cur = 4;
    recurrence_b = 0.0f;
    VEC_SET(MAXDEG + 1, 0.0f, ocoef.at(1), 1);
    regression_ss = 0.0f;
    d(1) = norm;
    ocoef(1) = float(double(numerator) / double(norm));
    NDEG = 0;
    const int last_pass = std::min(MAXDEG + 1, distinct_x_count);
    float lof_probability = 0.0f;
    for (int j = 1;; ++j) {
      const float term_ss = float(double(numerator) * double(numerator) / double(norm));
      residual_ss = float(double(residual_ss) - double(term_ss));
      if (!recio::ordered_gt(residual_ss, 0.0)) residual_ss = 0.0f;
      if (j == 1) {
        total_ss = response_constant ? 0.0f : residual_ss;
        perfect_fit_ss = float((1.0 - 10.0 * double(AMACH(4))) * double(total_ss));
      } else {
        regression_ss = float(double(regression_ss) + double(term_ss));
        if (recio::ordered_gt(regression_ss, total_ss)) regression_ss = total_ss;
      }
      if (lack_of_fit_test && j >= 2) lof_probability = lack_of_fit_probability(j, DFPE, SSPE);
      const bool stop = j == 1 ? nothing_to_explain()
                        : lack_of_fit_test && ICRIT == 2
                            ? lack_of_fit_not_significant(lof_probability)
                            : r_squared_reached() || perfect_fit();
      if (stop || j == last_pass) break;

      NDEG = j;
      const float a = float(double(VEC_DOT3(NV, xs.at(1), 1, work.at(1, s_cur), 1,
                                            work.at(1, s_cur), 1)) /
                            double(norm));
      if (j != 1) recurrence_b = float(double(norm) / double(d(j - 1)));
      // The row loops work on local views and a local running sum, so that no store into a
      // column has to be assumed to change the generator's scalars; the arithmetic is the same.
      const float b = recurrence_b;
      const Vec<const float> x(xs.at(1)), w(ws.at(1)), y(ys.at(1)), p_old(work.at(1, p_cur));
      const Vec<float> p_new(work.at(1, p_prev)), sp_new(work.at(1, s_prev));
      for (int i = 1; i <= NV; ++i) {
        p_new(i) = float((double(x(i)) - double(a)) * double(p_old(i)) - double(p_new(i)) * double(b));
        sp_new(i) = float(recio::rt_sqrt(double(w(i))) * double(p_new(i)));
      }
      reca(j) = a;
      recb(j) = recurrence_b;
      float sum = 0.0f;
      for (int i = 1; i <= NV; ++i) {
        sum = float(double(sum) + recio::rt_sqrt(double(w(i))) * (double(y(i)) - double(p_old(i))) *
                                      double(sp_new(i)));
      }
      numerator = sum;
      norm = VEC_DOT(NV, work.at(1, s_prev), 1, work.at(1, s_prev), 1);
      d(j + 1) = norm;
      ocoef(j + 1) = float(double(numerator) / double(norm));
      std::swap(p_prev, p_cur);
      std::swap(s_prev, s_cur);
    }
  }

  // The stages in their order. Kept out of line: inlined into R3ORP, within the scope of its
  // name guard, every call in the row loops would carry the guard's cleanup and the loops
  // would lose registers to it (measured: the whole fit at 10^5 rows about 8% slower).
  [[gnu::noinline]] void run(const float* FS, int& NDEG, float& XSCALE, float& XSHIFT,
                             float* RECA, float* RECB, float* OCOEF, float* D, float& DFE,
                             float& SSE, float& DFPE, float& SSPE) {
    if (!scan_data() || !weights_usable()) return;
    total_frequency = VEC_SUM(NV, FS, 1);
    criterion_fraction = float(double(ICRIT == 0 ? 100.0f : CRIT) * double(0.01f));
    lack_of_fit_test = LOF == 1;
    if (LOF == 1) pure_error(DFPE, SSPE);
    prepare();
    generate(NDEG, RECA, RECB, OCOEF, D, DFPE, SSPE);
    finish(NDEG, XSCALE, XSHIFT, DFE, SSE, SSPE);
  }

  // The error sums, the scaling returned, and the closing messages.
  void finish(int NDEG, float& XSCALE, float& XSHIFT, float& DFE, float& SSE, float& SSPE) {
    SSE = residual_ss;
    XSCALE = x_scale;
    XSHIFT = float(-(double(x_midpoint) * double(x_scale)));
    DFE = float(double(-1 - NDEG) + double(total_frequency));
    if (DFE == 0.0f) SSE = 0.0f;

    const bool below_perfect_fit = recio::ordered_gt(perfect_fit_ss, regression_ss);
    if (SSE == 0.0f || !below_perfect_fit) {
      MSG_SET_INT(1, NDEG);
      E1MES(6, 11, kPerfectFit);
    }
    if (!recio::ordered_gt(total_ss, 0.0)) {
      E1MES(3, 4, kConstantY);
      SSE = 0.0f;
      if (LOF == 1) SSPE = 0.0f;
    } else if (distinct_x_count - NDEG == 1 && NDEG < MAXDEG) {
      MSG_SET_INT(1, NDEG);
      MSG_SET_INT(2, distinct_x_count);
      E1MES(3, 5, kFewAbscissas);
    } else if (ICRIT == 0 && !below_perfect_fit && NDEG < MAXDEG) {
      MSG_SET_INT(1, MAXDEG);
      MSG_SET_INT(2, NDEG);
      E1MES(3, 6, kLowerDegree);
    }
  }
};

}  // namespace

void R3ORP(int NV, float* XS, const float* YS, const float* WS, const float* FS, int MAXDEG,
           int ICRIT, float CRIT, int LOF, int& NDEG, float& XSCALE, float& XSHIFT, float* RECA,
           float* RECB, float* OCOEF, float* D, float& DFE, float& SSE, float& DFPE, float& SSPE,
           int* IWORK, float* RWORK) {
  // No argument checks: R2ORP has made them, so no error is recorded here yet.
  const RoutineName routine("R3ORP");
  Generator g{NV, MAXDEG, ICRIT, LOF, CRIT, Vec<float>(XS), Vec<const float>(YS),
              Vec<const float>(WS), Vec<int>(IWORK), Mat<float>(RWORK, NV)};
  g.run(FS, NDEG, XSCALE, XSHIFT, RECA, RECB, OCOEF, D, DFE, SSE, DFPE, SSPE);
}

}  // namespace polylsq
