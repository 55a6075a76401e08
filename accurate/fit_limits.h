// Limits of the accurate fit, each with its reason.
#pragma once

namespace polylsq::accurate {

// Highest degree fitted. Beyond it the Chebyshev moments up to T_2degree lose more digits in
// double-double than the accuracy the fit promises leaves room for.
inline constexpr int kMaxDegree = 10;
inline constexpr int kMaxCoefficients = kMaxDegree + 1;
inline constexpr int kMaxMoments = 2 * kMaxDegree + 1;

}  // namespace polylsq::accurate
