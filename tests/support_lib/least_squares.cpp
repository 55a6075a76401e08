// Polynomial least squares by Householder QR without pivoting: the first k columns of Q
// span the powers below k, so (Q'y)_k squared is the sequential sum of squares of u^k.
#include "support_lib/least_squares.h"

#include <Eigen/Dense>

namespace polylsq::testing {

PolynomialLeastSquares polynomial_least_squares(const std::vector<double>& x, const std::vector<double>& y,
                                                int degree, double center, double scale) {
  const Eigen::Index n = static_cast<Eigen::Index>(x.size());
  const Eigen::Index m = degree + 1;
  Eigen::MatrixXd design(n, m);
  for (Eigen::Index i = 0; i < n; ++i) {
    const double u = (x[i] - center) / scale;
    double power = 1.0;
    for (Eigen::Index j = 0; j < m; ++j, power *= u) design(i, j) = power;
  }
  const Eigen::Map<const Eigen::VectorXd> response(y.data(), n);
  const Eigen::HouseholderQR<Eigen::MatrixXd> qr(design);
  const Eigen::VectorXd qty = qr.householderQ().adjoint() * response;
  const Eigen::MatrixXd r = qr.matrixQR().topRows(m).triangularView<Eigen::Upper>();
  const Eigen::VectorXd coefficients = r.triangularView<Eigen::Upper>().solve(qty.head(m));
  const Eigen::MatrixXd r_inverse = r.triangularView<Eigen::Upper>().solve(Eigen::MatrixXd::Identity(m, m));
  const Eigen::VectorXd fitted = design * coefficients;
  const Eigen::VectorXd gram_inverse_diagonal = (r_inverse * r_inverse.transpose()).diagonal();

  PolynomialLeastSquares fit;
  fit.coefficients.assign(coefficients.begin(), coefficients.end());
  fit.fitted.assign(fitted.begin(), fitted.end());
  for (Eigen::Index k = 1; k < m; ++k) fit.sequential_ss.push_back(qty(k) * qty(k));
  fit.inverse_gram_diagonal.assign(gram_inverse_diagonal.begin(), gram_inverse_diagonal.end());
  fit.sse = (response - fitted).squaredNorm();
  return fit;
}

}  // namespace polylsq::testing
