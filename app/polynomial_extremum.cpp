// Largest magnitude of a polynomial on an interval: recursive bracketing of the roots of the
// derivatives, bisection inside each monotone piece.
#include "app/polynomial_extremum.h"

#include <cstddef>

namespace polylsq::app {
namespace {

// p without its leading zero coefficients: an exact zero does not raise the degree.
std::span<const WideReal> trimmed(std::span<const WideReal> p) {
  std::size_t size = p.size();
  while (size > 0 && p[size - 1] == 0) --size;
  return p.first(size);
}

std::vector<WideReal> derivative(std::span<const WideReal> p) {
  std::vector<WideReal> d;
  for (std::size_t k = 1; k < p.size(); ++k) d.push_back(p[k] * static_cast<unsigned>(k));
  return d;
}

int sign_of(const WideReal& v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

// The root of p in [a, b], where p(a) and p(b) have opposite signs and p is monotone.
WideReal bisect(std::span<const WideReal> p, WideReal a, WideReal b, const WideReal& resolution) {
  const int sign_at_a = sign_of(polynomial_value(p, a));
  while (b - a > resolution) {
    const WideReal middle = (a + b) / 2;
    const int sign = sign_of(polynomial_value(p, middle));
    if (sign == 0) return middle;
    (sign == sign_at_a ? a : b) = middle;
  }
  return (a + b) / 2;
}

}  // namespace

WideReal polynomial_value(std::span<const WideReal> p, const WideReal& t) {
  WideReal value = 0;
  for (std::size_t k = p.size(); k-- > 0;) value = value * t + p[k];
  return value;
}

std::vector<WideReal> compose_linear(std::span<const WideReal> p, const WideReal& a, const WideReal& s) {
  // Horner's rule on polynomials: q = (...(p_n (a + s t) + p_{n-1}) (a + s t) + ...) + p_0.
  std::vector<WideReal> q;
  for (std::size_t k = p.size(); k-- > 0;) {
    q.push_back(0);
    for (std::size_t i = q.size() - 1; i > 0; --i) q[i] = q[i] * a + q[i - 1] * s;
    q[0] = q[0] * a + p[k];
  }
  return q;
}

std::vector<WideReal> roots_between(std::span<const WideReal> p, const WideReal& low,
                                    const WideReal& high, const WideReal& resolution) {
  const std::span<const WideReal> poly = trimmed(p);
  if (poly.size() < 2) return {};
  // p is monotone between consecutive critical points.
  std::vector<WideReal> ends{low};
  for (WideReal& c : roots_between(derivative(poly), low, high, resolution)) ends.push_back(std::move(c));
  ends.push_back(high);

  std::vector<WideReal> roots;
  int previous_sign = sign_of(polynomial_value(poly, low));
  for (std::size_t i = 1; i < ends.size(); ++i) {
    const int sign = sign_of(polynomial_value(poly, ends[i]));
    const bool inside = i + 1 < ends.size();
    if (sign == 0 && inside) {
      roots.push_back(ends[i]);  // a critical point that is also a root
    } else if (sign != 0 && previous_sign != 0 && sign != previous_sign) {
      roots.push_back(bisect(poly, ends[i - 1], ends[i], resolution));
    }
    previous_sign = sign;
  }
  return roots;
}

Extremum largest_magnitude(std::span<const WideReal> p, const WideReal& low, const WideReal& high,
                           const WideReal& resolution) {
  Extremum best{low, polynomial_value(p, low)};
  const auto consider = [&](const WideReal& t) {
    WideReal value = polynomial_value(p, t);
    if (abs(value) > abs(best.value)) best = {t, std::move(value)};
  };
  if (low < high) {
    for (const WideReal& t : roots_between(derivative(trimmed(p)), low, high, resolution)) consider(t);
  }
  consider(high);
  return best;
}

}  // namespace polylsq::app
