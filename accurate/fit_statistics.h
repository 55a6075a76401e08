// Distributions of the accurate fit's statistics (Boost.Math, double precision, errors
// ignored rather than thrown): two-sided p values of t, upper p values of F, quantiles of
// Student's t for confidence and prediction intervals.
#pragma once

namespace polylsq::accurate {

// P(|T| >= |t|) for T ~ Student's t with df > 0 degrees of freedom; t finite.
double t_two_sided_p_value(double t, double df);

// P(F' >= f) for F' ~ F(df1, df2), df1, df2 > 0, f >= 0 finite.
double f_upper_p_value(double f, double df1, double df2);

// q with P(T <= q) = probability for T ~ Student's t with df > 0 degrees of freedom;
// 0 < probability < 1.
double student_t_quantile(double probability, double df);

}  // namespace polylsq::accurate
