// Where a polynomial is largest in magnitude over a closed interval: at an end or at a real
// root of its derivative. The roots of a polynomial are bracketed between the critical
// points of the polynomial (the roots of its derivative, found the same way down to degree
// 1), where it is monotone, and bisected. 50-digit arithmetic throughout; any degree.
#pragma once

#include <boost/multiprecision/cpp_bin_float.hpp>
#include <span>
#include <vector>

namespace polylsq::app {

using WideReal = boost::multiprecision::cpp_bin_float_50;

// p(t) = sum_k p[k] t^k by Horner's rule; 0 for no coefficients.
WideReal polynomial_value(std::span<const WideReal> p, const WideReal& t);

// The coefficients of q(t) = p(a + s t).
std::vector<WideReal> compose_linear(std::span<const WideReal> p, const WideReal& a, const WideReal& s);

// The real roots of p in the open interval (low, high) where p changes sign, ascending, each
// within `resolution` (> 0) of a true root. A root where p keeps its sign (of even
// multiplicity) may be missed. low < high.
std::vector<WideReal> roots_between(std::span<const WideReal> p, const WideReal& low,
                                    const WideReal& high, const WideReal& resolution);

struct Extremum {
  WideReal t;
  WideReal value;  // p(t), with its sign
};

// A t of [low, high] where |p(t)| is largest, and p there: the lowest end on a tie of ends;
// t within `resolution` of the true place when it lies inside (an extremum inside is a
// root of p' where p' changes sign). low <= high.
Extremum largest_magnitude(std::span<const WideReal> p, const WideReal& low, const WideReal& high,
                           const WideReal& resolution);

}  // namespace polylsq::app
