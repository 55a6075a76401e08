// The data passes of the accurate fit, built twice from data_sums_kernel.inc and
// degree_sums_kernel.inc (portable x86-64, and AVX2 with fused multiply-add) and chosen at
// run time.
#include "accurate/data_sums.h"

#include <immintrin.h>

#include <cmath>
#include <cstddef>
#include <memory>
#include <type_traits>

#include "accurate/halved_pass.h"

namespace polylsq::accurate {
namespace {

constexpr std::size_t kLanes = 4;
typedef double Lanes __attribute__((vector_size(kLanes * sizeof(double))));

struct LaneSum {
  Lanes hi{};
  Lanes lo{};
};

// Adds the unevaluated pair (hi, lo) to s: the high parts through two_sum, the rounding
// errors and the low parts into s.lo.
[[gnu::always_inline]] inline void accumulate(LaneSum& s, const Lanes& hi, const Lanes& lo) {
  const Lanes sum = s.hi + hi;
  const Lanes hi_part = sum - s.hi;
  const Lanes error = (s.hi - (sum - hi_part)) + (hi - hi_part);
  s.hi = sum;
  s.lo = s.lo + (error + lo);
}

[[gnu::always_inline]] inline void lanes_two_sum(const Lanes& a, const Lanes& b, Lanes& s,
                                                 Lanes& e) {
  s = a + b;
  const Lanes b_part = s - a;
  e = (a - (s - b_part)) + (b - b_part);
}

namespace portable {

// Dekker's product: a and b split into 26-bit halves whose products are exact. The
// operands of the passes are scaled to about 1, far from the overflow of the split.
[[gnu::always_inline]] inline void lanes_two_prod(const Lanes& a, const Lanes& b, Lanes& p,
                                                  Lanes& e) {
  const Lanes splitter = Lanes{} + 134217729.0;  // 2^27 + 1
  const Lanes ca = splitter * a;
  const Lanes a_hi = ca - (ca - a);
  const Lanes a_lo = a - a_hi;
  const Lanes cb = splitter * b;
  const Lanes b_hi = cb - (cb - b);
  const Lanes b_lo = b - b_hi;
  p = a * b;
  e = ((a_hi * b_hi - p) + a_hi * b_lo + a_lo * b_hi) + a_lo * b_lo;
}

#include "accurate/data_sums_kernel.inc"
#include "accurate/degree_sums_kernel.inc"

}  // namespace portable

#pragma GCC push_options
#pragma GCC target("avx2,fma")
namespace fused {

[[gnu::always_inline]] inline void lanes_two_prod(const Lanes& a, const Lanes& b, Lanes& p,
                                                  Lanes& e) {
  p = a * b;
  e = reinterpret_cast<Lanes>(_mm256_fmsub_pd(reinterpret_cast<__m256d>(a),
                                              reinterpret_cast<__m256d>(b),
                                              reinterpret_cast<__m256d>(p)));
}

#include "accurate/data_sums_kernel.inc"
#include "accurate/degree_sums_kernel.inc"

}  // namespace fused
#pragma GCC pop_options

DoubleDouble lane_total(const LaneSum& s) {
  DoubleDouble total;
  for (std::size_t lane = 0; lane < kLanes; ++lane) {
    total = add(total, DoubleDouble{s.hi[lane], s.lo[lane]});
  }
  return total;
}

bool use_fused(Kernel kernel) { return kernel == Kernel::kFastest && fused_kernel_available(); }

// run(rows, sums) adds the terms of `rows` to `count` zeroed sums. Many rows are taken in
// two halves (halved_pass.h), the second half's sums then added to the first's, lane by
// lane.
template <class Run>
void sum_halves(const Observations& data, PassThreads threads, LaneSum* sums, std::size_t count,
                Run&& run) {
  if (data.x.size() < kHalvedPassRows) {
    run(data, sums);
    return;
  }
  const ObservationHalves halves = halves_of(data, kLanes);
  LaneSum second[kMaxMoments + kMaxCoefficients];
  run_halves(threads, [&] { run(halves.first, sums); }, [&] { run(halves.second, second); });
  for (std::size_t k = 0; k < count; ++k) accumulate(sums[k], second[k].hi, second[k].lo);
}

// The moments: sums[0, 2 degree] of the Chebyshev values, then degree + 1 of the response.
template <class Run>
MomentSums moments_with(const Observations& data, int degree, PassThreads threads, Run&& run) {
  const auto moments = static_cast<std::size_t>(2 * degree + 1);
  LaneSum sums[kMaxMoments + kMaxCoefficients];
  sum_halves(data, threads, sums, moments + static_cast<std::size_t>(degree) + 1,
             [&](const Observations& rows, LaneSum* into) { run(rows, into, into + moments); });
  MomentSums result;
  for (std::size_t m = 0; m < moments; ++m) result.chebyshev.push_back(lane_total(sums[m]));
  for (int j = 0; j <= degree; ++j) result.response.push_back(lane_total(sums[moments + j]));
  if (data.w.empty()) {
    const std::size_t full = data.x.size() - data.x.size() % kLanes;
    result.chebyshev[0] = add(result.chebyshev[0], static_cast<double>(full));
  }
  return result;
}

template <class LanePolynomial>
LanePolynomial lane_polynomial(std::span<const DoubleDouble> centred, DoubleDouble mean) {
  LanePolynomial g;
  g.degree = static_cast<int>(centred.size()) - 1;
  for (std::size_t k = 0; k < centred.size(); ++k) {
    g.hi[k] = Lanes{} + centred[k].hi;
    g.lo[k] = Lanes{} + centred[k].lo;
  }
  g.mean_hi = Lanes{} + mean.hi;
  g.mean_lo = Lanes{} + mean.lo;
  return g;
}

template <class LaneDegrees>
void fill_lane_degrees(LaneDegrees& g, std::span<const DoubleDouble> centred, DoubleDouble mean,
                       std::span<const DoubleDouble> leverage_factor,
                       std::span<const double> fourier) {
  using LanePolynomial = decltype(g.centred);
  g.centred = lane_polynomial<LanePolynomial>(centred, mean);
  const std::size_t p = centred.size();
  for (std::size_t k = 0; k < p; ++k) {
    g.fourier[k] = Lanes{} + fourier[k];
    for (std::size_t j = 0; j <= k; ++j) {
      g.factor[k * kMaxCoefficients + j] = Lanes{} + leverage_factor[k * p + j].hi;
      g.factor_lo[k * kMaxCoefficients + j] = Lanes{} + leverage_factor[k * p + j].lo;
    }
  }
}

template <class LaneDegrees, class DegreeLaneSums, class Run>
DegreeSquareSums degree_sums_with(std::span<const DoubleDouble> centred, DoubleDouble mean,
                                  std::span<const DoubleDouble> leverage_factor,
                                  std::span<const double> fourier, Run&& run) {
  auto g = std::make_unique<LaneDegrees>();
  fill_lane_degrees(*g, centred, mean, leverage_factor, fourier);
  auto sums = std::make_unique<DegreeLaneSums>();
  DegreeSquareSums result;
  run(*g, *sums, result.high_leverage);
  result.squares = {lane_total(sums->residual), lane_total(sums->fitted)};
  for (std::size_t k = 0; k < centred.size(); ++k) {
    result.press.push_back(lane_total(sums->press[k]));
  }
  return result;
}

}  // namespace

bool fused_kernel_available() {
  static const bool available =
      __builtin_cpu_supports("avx2") != 0 && __builtin_cpu_supports("fma") != 0;
  return available;
}

MomentSums sum_moments(const Observations& data, const DataScaling& scaling, int degree,
                       Kernel kernel, PassThreads threads) {
  const bool fused = use_fused(kernel);
  return moments_with(data, degree, threads, [&](const Observations& rows, LaneSum* chebyshev,
                                                 LaneSum* response) {
    if (fused) {
      fused::moment_lanes(rows, scaling, degree, chebyshev, response);
    } else {
      portable::moment_lanes(rows, scaling, degree, chebyshev, response);
    }
  });
}

SquareSums sum_squares(const Observations& data, const DataScaling& scaling,
                       std::span<const DoubleDouble> centred, DoubleDouble mean, Kernel kernel,
                       PassThreads threads) {
  LaneSum sums[2];  // the residuals', the fitted values'
  if (use_fused(kernel)) {
    const auto g = lane_polynomial<fused::LanePolynomial>(centred, mean);
    sum_halves(data, threads, sums, 2, [&](const Observations& rows, LaneSum* into) {
      fused::square_lanes(rows, scaling, g, into[0], into[1]);
    });
  } else {
    const auto g = lane_polynomial<portable::LanePolynomial>(centred, mean);
    sum_halves(data, threads, sums, 2, [&](const Observations& rows, LaneSum* into) {
      portable::square_lanes(rows, scaling, g, into[0], into[1]);
    });
  }
  return {lane_total(sums[0]), lane_total(sums[1])};
}

DegreeSquareSums sum_degree_squares(const Observations& data, const DataScaling& scaling,
                                    std::span<const DoubleDouble> centred, DoubleDouble mean,
                                    std::span<const DoubleDouble> leverage_factor,
                                    std::span<const double> fourier,
                                    LeveragePrecision precision, Kernel kernel) {
  const bool precise = precision == LeveragePrecision::kDoubleDouble;
  auto run = [&](auto& g, auto& sums, auto& high_leverage) {
    if constexpr (std::is_same_v<std::decay_t<decltype(g)>, fused::LaneDegrees>) {
      if (precise) {
        fused::degree_lanes<true>(data, scaling, g, sums, high_leverage);
      } else {
        fused::degree_lanes<false>(data, scaling, g, sums, high_leverage);
      }
    } else if (precise) {
      portable::degree_lanes<true>(data, scaling, g, sums, high_leverage);
    } else {
      portable::degree_lanes<false>(data, scaling, g, sums, high_leverage);
    }
  };
  if (use_fused(kernel)) {
    return degree_sums_with<fused::LaneDegrees, fused::DegreeLaneSums>(
        centred, mean, leverage_factor, fourier, run);
  }
  return degree_sums_with<portable::LaneDegrees, portable::DegreeLaneSums>(
      centred, mean, leverage_factor, fourier, run);
}

}  // namespace polylsq::accurate
