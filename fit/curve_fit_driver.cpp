// The curve-fit driver R2URV: copies the (x, y) pairs into a two-column data matrix,
// runs the orthogonal polynomial regression R2ORP with the degree fixed, rewords its
// outcomes for the (x, y) caller, runs the statistics R2TAP without printing and fills
// B, SSDEG and FITSTAT. Reals are stored as float; each step is computed in double and
// rounded where it is stored. All storage comes from the caller's RWORK and IWORK.
#include "fit/curve_fit_driver.h"

#include <cstddef>

#include "fit/orthogonal_regression.h"
#include "recio/fpenv.h"
#include "stats/regression_statistics.h"
#include "support/error_handler.h"
#include "support/error_queries.h"
#include "support/index.h"
#include "support/machine.h"
#include "support/routine_name.h"
#include "support/vector_kernels.h"

namespace polylsq {
namespace {

// Leading dimension of the lack-of-fit table that R2TAP receives and, with LOF = 0,
// never touches.
constexpr int kLdTlof = 20;

// The driver's scalars. They live in the call's frame (nothing outside the driver reads
// them); the ones nothing writes on this path (CRIT, DFPE, SSPE) start at 0.0.
struct DriverScalars {
  int NDFIT = 0;
  float XSCALE = 0.0f;
  float XSHIFT = 0.0f;
  float DFE = 0.0f;
  float SSE = 0.0f;
  float DFPE = 0.0f;
  float SSPE = 0.0f;
  int NMISSR = 0;
  float AOV[aov_slot::kSize] = {};
  float TLOF[kLdTlof] = {};
};

// Positions in RWORK (1-based element numbers) of the regions the driver hands out:
//
//   1 .. NOBS                 X(:,1), copy of XOBS
//   NOBS+1 .. 2NOBS           X(:,2), copy of YOBS
//   2NOBS+1 ..                RECA (NDEG), RECB (NDEG), OCOEF (NDEG+1)
//   2NOBS+3NDEG+2 ..          R2ORP's workspace (8 NOBS); afterwards SQSS (NDEG x 4)
//   2NOBS+7NDEG+2 ..          COEF ((NDEG+1) x 4)
//   2NOBS+11NDEG+6 ..         R2TAP's workspace
struct WorkLayout {
  std::ptrdiff_t reca, recb, ocoef, regression_work, sqss, coef, statistics_work;
};

WorkLayout layout_of(int NOBS, int NDEG) {
  const std::ptrdiff_t n = NOBS;
  const std::ptrdiff_t d = NDEG;
  return WorkLayout{2 * n + 1,         2 * n + d + 1,      2 * n + 2 * d + 1,
                    2 * n + 3 * d + 2, 2 * n + 3 * d + 2,  2 * n + 7 * d + 2,
                    2 * n + 11 * d + 6};
}

// Reads the type and code that R2ORP left and rewords the outcomes that concern an (x, y)
// caller (the others stay as R2ORP worded them). False when the outcome ends the fit.
bool reword_outcome(int NDEG, int NDFIT) {
  const int type = N1RTY(1);
  const int code = N1RCD(1);
  if (type == 5) return false;
  if (type == 4 && code == 3) {
    E1MES(4, 3,
          "There are no valid data points.  Each (x,y) pair contains NaN (not a number).");
    return false;
  }
  if (type == 4 && code == 7) {
    E1MES(4, 7, "The x values are constant.  At least two distinct x values are needed.");
    return false;
  }
  if (type == 3 && code == 6) {
    MSG_SET_INT(1, NDEG);
    MSG_SET_INT(2, NDFIT);
    E1MES(3, 6,
          "A perfect fit was obtained with a polynomial of lower degree (=%(I2)) than NDEG = "
          "%(I1) as requested.");
  } else if (type == 3 && code == 4) {
    E1MES(3, 4,
          "The y values are constant.  A zero order polynomial is fit.  High order "
          "coefficients are set to zero.");
  }
  return true;
}

// Means and variances of the valid rows (the rows where neither x nor y is a NaN), then
// the summary statistics taken from AOV. Running sums are rounded after every addition.
// The program shows none of these but R-squared, which is only copied here: they are
// computed with the traps held, so a sum beyond the float range is an infinity.
void fill_fitstat(int NOBS, const float* XOBS, const float* YOBS, const float* RECA,
                  const DriverScalars& s, float* FITSTAT) {
  using namespace fitstat_slot;
  const recio::TrapsHeld unshown;
  Vec x(XOBS), y(YOBS), recA(RECA);
  Vec<const float> aov(s.AOV);
  Vec fitstat(FITSTAT);
  const float DFTOT = static_cast<float>(NOBS - s.NMISSR - 1);
  const int k = s.NDFIT;

  if (k != 0) {
    const float diff = static_cast<float>(double(recA(1)) - s.XSHIFT);
    SAFE_DIV(diff, s.XSCALE, fitstat(kMeanX));  // RECA(1) is the mean of t: back to x
  } else {
    fitstat(kMeanX) = AMACH(6);
    fitstat(kVarianceX) = AMACH(6);
  }

  float sum = 0.0f;
  for (std::ptrdiff_t i = 1; i <= NOBS; ++i) {
    if (IS_NAN(x(i)) || IS_NAN(y(i))) continue;
    sum = static_cast<float>(double(sum) + y(i));
  }
  fitstat(kMeanY) = static_cast<float>(double(sum) / (double(DFTOT) + 1.0));

  if (k != 0) {
    float ssx = 0.0f;
    for (std::ptrdiff_t i = 1; i <= NOBS; ++i) {
      if (IS_NAN(x(i)) || IS_NAN(y(i))) continue;
      const double dev = double(x(i)) - fitstat(kMeanX);
      ssx = static_cast<float>(double(ssx) + dev * dev);
    }
    SAFE_DIV(ssx, DFTOT, fitstat(kVarianceX));
  }

  SAFE_DIV(aov(aov_slot::kSsTotal), DFTOT, fitstat(kVarianceY));
  fitstat(kRSquared) = aov(aov_slot::kRSquared);
  fitstat(kDfRegression) = aov(aov_slot::kDfRegression);
  fitstat(kSsRegression) = aov(aov_slot::kSsRegression);
  fitstat(kDfError) = aov(aov_slot::kDfError);
  fitstat(kSsError) = aov(aov_slot::kSsError);
  fitstat(kRowsLeftOut) = static_cast<float>(s.NMISSR);
}

void fit(int NOBS, const float* XOBS, const float* YOBS, int NDEG, float* B, float* SSDEG,
         float* FITSTAT, float* RWORK, int* IWORK) {
  const WorkLayout at = layout_of(NOBS, NDEG);
  Vec work(RWORK);
  float* X = RWORK;
  float* RECA = work.at(at.reca);
  float* RECB = work.at(at.recb);
  float* OCOEF = work.at(at.ocoef);
  float* SQSS = work.at(at.sqss);
  float* COEF = work.at(at.coef);
  namespace sq = sqss_column;
  namespace cf = coef_column;
  Mat sqss(SQSS, NDEG);
  Mat coef(COEF, NDEG + 1);

  VEC_COPY(NOBS, XOBS, 1, X, 1);
  VEC_COPY(NOBS, YOBS, 1, work.at(std::ptrdiff_t{NOBS} + 1), 1);

  DriverScalars s;
  const float CRIT = 0.0f;
  R2ORP(NOBS, 2, X, NOBS, 2, 1, 0, 0, NDEG, 0, CRIT, 0, s.NDFIT, s.XSCALE, s.XSHIFT, RECA,
        RECB, OCOEF, SSDEG, s.DFE, s.SSE, s.DFPE, s.SSPE, s.NMISSR, work.at(at.regression_work),
        IWORK);
  if (!reword_outcome(NDEG, s.NDFIT)) return;

  const int IPRINT = 0;  // never print on this path
  R2TAP(s.NDFIT, RECA, RECB, s.XSCALE, s.XSHIFT, OCOEF, SSDEG, s.DFE, s.SSE, 0, s.DFPE, s.SSPE,
        IPRINT, s.AOV, SQSS, NDEG, COEF, NDEG + 1, s.TLOF, kLdTlof,
        work.at(at.statistics_work));

  const int k = s.NDFIT;
  Vec ocoef(OCOEF), ssdeg(SSDEG);
  {
    const recio::TrapsHeld unshown;  // the sum of squares for the mean
    ssdeg(1) = static_cast<float>(double(ocoef(1)) * ocoef(1) * ssdeg(1));  // D(1) still there
  }
  VEC_SET(NDEG, 0.0f, ssdeg.at(2), 1);
  VEC_COPY(k, sqss.at(1, sq::kSumOfSquares), 1, ssdeg.at(2), 1);

  VEC_SET(NDEG + 1, 0.0f, B, 1);
  VEC_COPY(k + 1, coef.at(1, cf::kEstimate), 1, B, 1);

  fill_fitstat(NOBS, XOBS, YOBS, RECA, s, FITSTAT);
}

}  // namespace

void check_curve_fit_counts(int NOBS, int NDEG) {
  if (NOBS < 1) {
    MSG_SET_INT(1, NOBS);
    E1MES(5, 1,
          "The number of observations must be at least 1 while NOBS = %(I1) is given.");
  } else if (NDEG < 0) {
    MSG_SET_INT(1, NDEG);
    E1MES(5, 2,
          "NDEG = %(I1).  The degree of the polynomial to be fit must be greater than or "
          "equal to 0.");
  }
}

void R2URV(int NOBS, const float* XOBS, const float* YOBS, int NDEG, float* B, float* SSDEG,
           float* FITSTAT, float* RWORK, int* IWORK) {
  const RoutineName routine("R2URV");
  check_curve_fit_counts(NOBS, NDEG);
  if (!error_recorded_here()) fit(NOBS, XOBS, YOBS, NDEG, B, SSDEG, FITSTAT, RWORK, IWORK);
}

}  // namespace polylsq
