// Student's t and F through Boost.Math with a policy that never throws.
#include "accurate/fit_statistics.h"

#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <cmath>

namespace polylsq::accurate {
namespace {

namespace policies = boost::math::policies;
using NoThrow = policies::policy<
    policies::domain_error<policies::ignore_error>, policies::pole_error<policies::ignore_error>,
    policies::overflow_error<policies::ignore_error>,
    policies::underflow_error<policies::ignore_error>,
    policies::denorm_error<policies::ignore_error>,
    policies::evaluation_error<policies::ignore_error>,
    policies::rounding_error<policies::ignore_error>,
    policies::indeterminate_result_error<policies::ignore_error>>;

using StudentT = boost::math::students_t_distribution<double, NoThrow>;
using FisherF = boost::math::fisher_f_distribution<double, NoThrow>;

}  // namespace

double t_two_sided_p_value(double t, double df) {
  const double upper = boost::math::cdf(boost::math::complement(StudentT(df), std::fabs(t)));
  return 2.0 * upper;
}

double f_upper_p_value(double f, double df1, double df2) {
  return boost::math::cdf(boost::math::complement(FisherF(df1, df2), f));
}

double student_t_quantile(double probability, double df) {
  return boost::math::quantile(StudentT(df), probability);
}

}  // namespace polylsq::accurate
