// Double-double arithmetic: a value held as the unevaluated sum hi + lo of two doubles
// (about 106 significant bits), built on the error-free transformations two_sum and
// two_prod. Every function assumes round to nearest with no trapping (FloatingPointGuard)
// and finite operands; a product is exact only while it stays clear of underflow.
#pragma once

#include <cmath>

namespace polylsq::accurate {

struct DoubleDouble {
  double hi = 0.0;
  double lo = 0.0;
};

// s + e == a + b exactly, s = fl(a + b).
inline DoubleDouble two_sum(double a, double b) {
  const double s = a + b;
  const double b_part = s - a;
  const double e = (a - (s - b_part)) + (b - b_part);
  return {s, e};
}

// As two_sum, for |a| >= |b| (or a == 0).
inline DoubleDouble fast_two_sum(double a, double b) {
  const double s = a + b;
  return {s, b - (s - a)};
}

// p + e == a * b exactly, p = fl(a * b). The fused multiply-add of the library is exact
// whether or not the processor has one, so the result never depends on the machine.
inline DoubleDouble two_prod(double a, double b) {
  const double p = a * b;
  return {p, std::fma(a, b, -p)};
}

// Sum of two double-doubles, relative error about 2^-104.
inline DoubleDouble add(DoubleDouble a, DoubleDouble b) {
  const DoubleDouble s = two_sum(a.hi, b.hi);
  const DoubleDouble t = two_sum(a.lo, b.lo);
  DoubleDouble r = fast_two_sum(s.hi, s.lo + t.hi);
  return fast_two_sum(r.hi, r.lo + t.lo);
}

inline DoubleDouble add(DoubleDouble a, double b) {
  const DoubleDouble s = two_sum(a.hi, b);
  return fast_two_sum(s.hi, s.lo + a.lo);
}

inline DoubleDouble negate(DoubleDouble a) { return {-a.hi, -a.lo}; }

inline DoubleDouble multiply(DoubleDouble a, double b) {
  const DoubleDouble p = two_prod(a.hi, b);
  return fast_two_sum(p.hi, p.lo + a.lo * b);
}

inline DoubleDouble multiply(DoubleDouble a, DoubleDouble b) {
  const DoubleDouble p = two_prod(a.hi, b.hi);
  return fast_two_sum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

// a * 2^exponent, exact while the result stays a normal double; the two factors keep
// every intermediate power of two representable for |exponent| up to about 2000.
inline double scale_by_power_of_two(double a, int exponent) {
  const int first = exponent / 2;
  return a * std::ldexp(1.0, first) * std::ldexp(1.0, exponent - first);
}

inline DoubleDouble scale_by_power_of_two(DoubleDouble a, int exponent) {
  return {scale_by_power_of_two(a.hi, exponent), scale_by_power_of_two(a.lo, exponent)};
}

}  // namespace polylsq::accurate
