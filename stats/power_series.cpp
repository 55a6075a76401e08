// Power-series coefficients in x, and their variances, of a fit in orthogonal polynomials
// of z = XSCALE*x + XSHIFT (p_0 = 1, p_1 = z - RECA(1),
// p_k = (z - RECA(k)) p_(k-1) - RECB(k) p_(k-2)).
//
// Every value stored in WORK, COEF or VAR is a float; each assignment is computed in double
// and rounded once. When an input is infinite or NaN (a variance of +infinity when the error
// degrees of freedom are 0) a routine runs with the floating-point exceptions held, so that
// it propagates as IEEE results instead of ending the run, and restores the caller's
// environment, traps included, on return. Finite inputs run under the caller's traps: a
// result beyond the float range ends the run like any other overflowing store.
#include "stats/power_series.h"

#include <bit>
#include <cstdint>
#include <optional>

#include "recio/fpenv.h"

#include "support/index.h"
#include "support/vector_kernels.h"

namespace polylsq {
namespace {

// By the bit pattern, so that no floating-point operation meets a NaN.
bool all_finite(int n, const float* v) {
  for (int k = 0; k < n; ++k) {
    if ((std::bit_cast<std::uint32_t>(v[k]) & 0x7F800000u) == 0x7F800000u) return false;
  }
  return true;
}

// Whether a routine must hold the exceptions: some value it reads is infinite or NaN.
bool needs_hold(int NDEG, const float* values, const float* RECA, const float* RECB,
                float XSCALE, float XSHIFT) {
  const float scalars[2] = {XSCALE, XSHIFT};
  return !(all_finite(NDEG + 1, values) && all_finite(NDEG, RECA) && all_finite(NDEG, RECB) &&
           all_finite(2, scalars));
}

// COEF_VARIANCES' work columns beyond the square of order NDEG+1.
int z_variance_column(int NDEG) { return NDEG + 2; }
int x_diagonal_column(int NDEG) { return NDEG + 3; }

// The upper triangle of W: W(r,q) is the coefficient of z^(r-1) in p_(q-1).
void polynomial_coefficients(int NDEG, const float* RECA, const float* RECB, const Mat<float>& w) {
  const int n1 = NDEG + 1;
  Vec<const float> reca(RECA);
  Vec<const float> recb(RECB);
  if (NDEG > 0) w(1, 2) = -reca(1);
  for (int q = 1; q <= n1; ++q) {
    w(q, q) = 1.0f;
    if (q >= 3) {
      w(1, q) = float(-(double(w(1, q - 1)) * reca(q - 1) + double(recb(q - 1)) * w(1, q - 2)));
    }
  }
  for (int r = 2; r <= NDEG; ++r) {
    w(r, r + 1) = float(double(w(r - 1, r)) - reca(r));
    for (int q = r + 2; q <= n1; ++q) {
      w(r, q) = float(double(w(r - 1, q - 1)) - double(w(r, q - 2)) * recb(q - 1) -
                      double(reca(q - 1)) * w(r, q - 1));
    }
  }
}

// From the variances of the orthogonal coefficients (VAR) to the variances of the z-power
// coefficients (column NDEG+2) and their covariances (strict lower triangle). Sums over a
// row take the strided path of VEC_DOT3 (increment LDWORK).
void z_power_covariances(int NDEG, const float* VAR, const Mat<float>& w, int LDWORK) {
  const int n1 = NDEG + 1;
  const int kVw = z_variance_column(NDEG);
  Vec<const float> var(VAR);
  for (int r = 1; r <= n1; ++r) {
    const float dot =
        VEC_DOT3(n1 - r, var.at(r + 1), 1, w.at(r, r + 1), LDWORK, w.at(r, r + 1), LDWORK);
    w(r, kVw) = float(double(var(r)) + dot);
  }
  for (int r = 1; r <= NDEG; ++r) {
    for (int s = r + 1; s <= n1; ++s) {
      w(s, r) = VEC_DOT3(n1 - s + 1, var.at(s), 1, w.at(r, s), LDWORK, w.at(s, s), LDWORK);
    }
  }
}

// The binomial transformation from powers of z to powers of x over the upper triangle:
// T(i,j) = C(j-1, i-1) XSCALE^(i-1) XSHIFT^(j-i).
void binomial_terms(int NDEG, float XSCALE, float XSHIFT, const Mat<float>& w) {
  const int n1 = NDEG + 1;
  float spow = 1.0f;
  float num = 1.0f;
  float den = 1.0f;
  for (int i = 1; i <= n1; ++i) {
    w(i, i) = spow;
    float term = spow;
    if (i >= 2) {
      num = float(i);
      den = 1.0f;
    }
    for (int j = i + 1; j <= n1; ++j) {
      term = float(double(term) / den * XSHIFT * num);
      w(i, j) = term;
      if (i >= 2) {
        num = float(double(num) + 1);
        den = float(double(den) + 1);
      }
    }
    spow = float(double(XSCALE) * spow);
  }
}

// VAR(i): the diagonal part (column NDEG+3) plus twice the cross terms, a single-precision
// running sum, j outer, k inner.
void x_power_variances(int NDEG, float* VAR, const Mat<float>& w, int LDWORK) {
  const int n1 = NDEG + 1;
  const int kVw = z_variance_column(NDEG);
  const int kDv = x_diagonal_column(NDEG);
  Vec var(VAR);
  for (int i = 1; i <= n1; ++i) {
    w(i, kDv) = VEC_DOT3(n1 - i + 1, w.at(i, kVw), 1, w.at(i, i), LDWORK, w.at(i, i), LDWORK);
  }
  for (int i = 1; i <= NDEG; ++i) {
    float s = 0.0f;
    for (int j = i; j <= NDEG; ++j) {
      for (int k = j + 1; k <= n1; ++k) {
        s = float(double(s) + double(w(i, j)) * w(k, j) * w(i, k));
      }
    }
    var(i) = float(2.0 * s + w(i, kDv));
  }
  var(n1) = w(n1, kDv);
}

}  // namespace

void ORTHO_TO_POWER(int NDEG, float* COEF, const float* RECA, const float* RECB, float XSCALE,
                    float XSHIFT, float* WORK, int LDWORK) {
  std::optional<recio::TrapsHeld> held;
  if (needs_hold(NDEG, COEF, RECA, RECB, XSCALE, XSHIFT)) held.emplace();

  const int n1 = NDEG + 1;
  Vec coef(COEF);
  Vec<const float> reca(RECA);
  Vec<const float> recb(RECB);
  Mat w(WORK, LDWORK);  // columns 1..3: row j holds the coefficient of z^(j-2), row 1 a zero guard;
                        // column 4: row j the coefficient of z^(j-1) of the whole fit

  for (int j = 1; j <= n1; ++j) {
    w(j, 4) = coef(j);
    w(j, 1) = 0.0f;
    w(j, 2) = 0.0f;
    w(j, 3) = 0.0f;
  }

  // Column 2 holds p_(k-2), column 1 p_(k-3); column 3 receives p_(k-1) without its leading 1,
  // which WORK(k,4) = OCOEF(k) already accounts for.
  for (int k = 2; k <= n1; ++k) {
    w(k, 2) = 1.0f;
    for (int j = 2; j <= k; ++j) {
      w(j, 3) = float(double(w(j - 1, 2)) - double(w(j, 2)) * reca(k - 1) -
                      double(w(j, 1)) * recb(k - 1));
      w(j - 1, 4) = float(double(w(j - 1, 4)) + double(w(j, 3)) * coef(k));
    }
    if (k < n1) {
      for (int m = 1; m <= k; ++m) {
        w(m, 1) = w(m, 2);
        w(m, 2) = w(m, 3);
      }
    }
  }

  // From powers of z to powers of x: TERM runs through C(j-1, i-1) XSCALE^(i-1) XSHIFT^(j-i).
  float spow = 1.0f;
  for (int i = 1; i <= n1; ++i) {
    float sum = float(double(w(i, 4)) * spow);
    float term = spow;
    float num = float(i);
    float den = 1.0f;
    for (int j = i + 1; j <= n1; ++j) {
      term = float((double(XSHIFT) / den) * num * term);
      sum = float(double(sum) + double(term) * w(j, 4));
      if (i >= 2) {
        num = float(double(num) + 1);
        den = float(double(den) + 1);
      }
    }
    coef(i) = sum;
    spow = float(double(XSCALE) * spow);
  }
}

void COEF_VARIANCES(int NDEG, float* VAR, const float* RECA, const float* RECB, float XSCALE,
                    float XSHIFT, float* WORK, int LDWORK) {
  std::optional<recio::TrapsHeld> held;
  if (needs_hold(NDEG, VAR, RECA, RECB, XSCALE, XSHIFT)) held.emplace();

  //   upper triangle (r <= q): P(r,q), coefficient of z^(r-1) in p_(q-1); later T(i,j)
  //   strict lower triangle:   CW(r,s) stored at (s,r), covariance of z-power coefficients
  //   column NDEG+2:           variances of the z-power coefficients
  //   column NDEG+3:           diagonal part of the x-power variances
  Mat w(WORK, LDWORK);
  polynomial_coefficients(NDEG, RECA, RECB, w);
  z_power_covariances(NDEG, VAR, w, LDWORK);
  binomial_terms(NDEG, XSCALE, XSHIFT, w);
  x_power_variances(NDEG, VAR, w, LDWORK);
}

}  // namespace polylsq
