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
#include "support/error_queries.h"
#include "support/index.h"
#include "support/machine.h"
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

// Scalars of one call of R3ORP. Column numbers of the four workspace columns: kPPrev
// p_{j-2}, kPCur p_{j-1}, kSPrev free, kSCur sqrt(w)*p_{j-1}.
struct Generator {
  int NV, MAXDEG, ICRIT, LOF;
  float CRIT;
  Vec<float> xs;
  Vec<const float> ys, ws, fs;
  Vec<int> iwork;
  Mat<float> work;

  int i_max = 0, i_min = 0;
  bool yconst = true;
  int ndist = 1;
  float fsum = 0, cfrac = 0;
  bool lofon = false;
  float m = 0, s = 0;
  float num = 0, rss = 0, dw = 0;
  float sst = 0, ssr = 0, thresh = 0;
  float b = 0;

  // Steps 1 to 3. False (with the type 4 error issued) when the abscissas are all equal.
  bool scan_data() {
    i_max = VEC_MAX_INDEX(NV, xs.at(1), 1);
    i_min = VEC_MIN_INDEX(NV, xs.at(1), 1);
    if (i_max == i_min) {
      E1MES(4, 7, kConstantX);
      return false;
    }
    for (int i = 1; i <= NV - 1; ++i) {
      if (ys(i) != ys(i + 1)) {
        yconst = false;
        break;
      }
    }
    IVEC_SET(NV, 0, iwork.at(1), 1);
    ndist = 1;
    int run = 1;
    for (int i = 1; i <= NV - 1; ++i) {
      if (xs(i + 1) != xs(i)) {
        iwork(ndist) = run;
        ++ndist;
        run = 1;
      } else {
        ++run;
      }
    }
    iwork(ndist) = run;
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
      for (int k = 1; k <= ndist; ++k) {
        if (weights_all_zero(ws, first, iwork(k))) {
          MSG_SET_REAL(1, xs(first));
          E1MES(4, kZeroGroupWeightCode, kZeroGroupWeight);
          return false;
        }
        first += iwork(k);
      }
    }
    return true;
  }

  // Step 6: the weighted sum of squares of each group of equal abscissas about its mean.
  void pure_error(float& DFPE, float& SSPE) {
    SSPE = 0.0f;
    int first = 1;
    for (int k = 1; k <= ndist; ++k) {
      const int last = first + iwork(k) - 1;
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
    DFPE = float(double(fsum) - double(ndist));
    if (DFPE == 0.0f) lofon = false;
  }

  // Steps 7 to 9: scaling to [-2, 2], the weighted sums of the responses, the workspace.
  void prepare() {
    m = float((double(xs(i_min)) + double(xs(i_max))) * 0.5);
    s = float(4.0 / (double(xs(i_max)) - double(xs(i_min))));
    num = VEC_DOT(NV, ys.at(1), 1, ws.at(1), 1);
    rss = VEC_DOT3(NV, ys.at(1), 1, ys.at(1), 1, ws.at(1), 1);
    dw = VEC_SUM(NV, ws.at(1), 1);
    for (int i = 1; i <= NV; ++i) work(i, 4) = float(recio::rt_sqrt(double(ws(i))));
    VEC_SET(NV, 0.0f, work.at(1, 1), 1);
    VEC_SET(NV, 0.0f, work.at(1, 3), 1);
    VEC_SET(NV, 1.0f, work.at(1, 2), 1);
    for (int i = 1; i <= NV; ++i) xs(i) = float((double(xs(i)) - double(m)) * double(s));
  }

  // Steps 10 to 12: the passes, each testing the fit of degree j-1 and, unless it stops,
  // generating p_j and its coefficient.
  // DFPE and SSPE are read only when LOF = 1 (set by pure_error).
  void fit(int& NDEG, float* RECA, float* RECB, float* OCOEF, float* D, const float& DFPE,
           const float& SSPE) {
    const Vec<float> reca(RECA), recb(RECB), ocoef(OCOEF), d(D);
    int p_prev = 1, p_cur = 2, s_prev = 3, s_cur = 4;
    b = 0.0f;
    VEC_SET(MAXDEG + 1, 0.0f, ocoef.at(1), 1);
    ssr = 0.0f;
    d(1) = dw;
    ocoef(1) = float(double(num) / double(dw));
    NDEG = 0;
    const int q = std::min(MAXDEG + 1, ndist);
    float p = 0.0f;
    for (int j = 1;; ++j) {
      const float ss = float(double(num) * double(num) / double(dw));
      rss = float(double(rss) - double(ss));
      if (!recio::ordered_gt(rss, 0.0)) rss = 0.0f;
      if (j == 1) {
        sst = yconst ? 0.0f : rss;
        thresh = float((1.0 - 10.0 * double(AMACH(4))) * double(sst));
      } else {
        ssr = float(double(ssr) + double(ss));
        if (recio::ordered_gt(ssr, sst)) ssr = sst;
      }
      if (lofon && j >= 2) {
        if (j >= ndist) {
          p = 1.0f;
        } else {
          float sslof = float(double(sst) - double(ssr) - double(SSPE));
          if (recio::ordered_lt(sslof, 0.0)) sslof = 0.0f;
          const float mslof = float(double(sslof) / double(ndist - j));
          float mspe = 0.0f;
          SAFE_DIV(SSPE, DFPE, mspe);
          float f = 0.0f;
          C1F(mslof, mspe, float(ndist - j), DFPE, f, p);
        }
      }
      if (j == 1) {
        if (recio::ordered_le(sst, 0.0)) break;
      } else if (lofon && ICRIT == 2) {
        if (!recio::ordered_ge(cfrac, p)) break;
      } else {
        if (!recio::ordered_gt(double(cfrac) * double(sst), ssr)) break;
        if (!recio::ordered_gt(thresh, ssr)) break;
      }
      if (j == q) break;

      NDEG = j;
      const float a = float(double(VEC_DOT3(NV, xs.at(1), 1, work.at(1, s_cur), 1,
                                            work.at(1, s_cur), 1)) /
                            double(dw));
      if (j != 1) b = float(double(dw) / double(d(j - 1)));
      // The row loops work on local views and a local running sum, so that no store into a
      // column has to be assumed to change the generator's scalars; the steps are the same.
      const float bj = b;
      const Vec<const float> x(xs.at(1)), w(ws.at(1)), y(ys.at(1)), p_old(work.at(1, p_cur));
      const Vec<float> p_new(work.at(1, p_prev)), sp_new(work.at(1, s_prev));
      for (int i = 1; i <= NV; ++i) {
        p_new(i) = float((double(x(i)) - double(a)) * double(p_old(i)) - double(p_new(i)) * double(bj));
        sp_new(i) = float(recio::rt_sqrt(double(w(i))) * double(p_new(i)));
      }
      reca(j) = a;
      recb(j) = b;
      float sum = 0.0f;
      for (int i = 1; i <= NV; ++i) {
        sum = float(double(sum) + recio::rt_sqrt(double(w(i))) * (double(y(i)) - double(p_old(i))) *
                                      double(sp_new(i)));
      }
      num = sum;
      dw = VEC_DOT(NV, work.at(1, s_prev), 1, work.at(1, s_prev), 1);
      d(j + 1) = dw;
      ocoef(j + 1) = float(double(num) / double(dw));
      std::swap(p_prev, p_cur);
      std::swap(s_prev, s_cur);
    }
  }

  // Steps 13 and 14: the error sums and the closing messages.
  void finish(int NDEG, float& XSCALE, float& XSHIFT, float& DFE, float& SSE, float& SSPE) {
    SSE = rss;
    XSCALE = s;
    XSHIFT = float(-(double(m) * double(s)));
    DFE = float(double(-1 - NDEG) + double(fsum));
    if (DFE == 0.0f) SSE = 0.0f;

    const bool below_thresh = recio::ordered_gt(thresh, ssr);
    if (SSE == 0.0f || !below_thresh) {
      MSG_SET_INT(1, NDEG);
      E1MES(6, 11, kPerfectFit);
    }
    if (!recio::ordered_gt(sst, 0.0)) {
      E1MES(3, 4, kConstantY);
      SSE = 0.0f;
      if (LOF == 1) SSPE = 0.0f;
    } else if (ndist - NDEG == 1 && NDEG < MAXDEG) {
      MSG_SET_INT(1, NDEG);
      MSG_SET_INT(2, ndist);
      E1MES(3, 5, kFewAbscissas);
    } else if (ICRIT == 0 && !below_thresh && NDEG < MAXDEG) {
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
  E1PSH("R3ORP ");
  if (N1RCD(0) == 0) {
    Generator g{NV, MAXDEG, ICRIT, LOF, CRIT, Vec<float>(XS), Vec<const float>(YS),
                Vec<const float>(WS), Vec<const float>(FS), Vec<int>(IWORK), Mat<float>(RWORK, NV)};
    if (g.scan_data() && g.weights_usable()) {
      g.fsum = VEC_SUM(NV, FS, 1);
      g.cfrac = float(double(ICRIT == 0 ? 100.0f : CRIT) * double(0.01f));
      g.lofon = LOF == 1;
      if (LOF == 1) g.pure_error(DFPE, SSPE);
      g.prepare();
      g.fit(NDEG, RECA, RECB, OCOEF, D, DFPE, SSPE);
      g.finish(NDEG, XSCALE, XSHIFT, DFE, SSE, SSPE);
    }
  }
  E1POP("R3ORP");
}

}  // namespace polylsq
