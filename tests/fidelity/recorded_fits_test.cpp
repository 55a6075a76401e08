// Fidelity of the legacy fit: fixed data sets, generated here deterministically from
// integers, are fitted with RCURV and B(1..6), SSDEG(1..6) and FITSTAT(1..10) are compared
// bit for bit with recorded values.
// A changed order of operations, summation grouping or rounding point in the sort (the order
// of tied abscissas), the data pass, the generator or the statistics moves some of these
// bits. (The reader's conversion is checked against std::from_chars in
// real_conversion_test.cpp, the sort's moves in sort_moves_test.cpp.)
//
// The expected bit patterns were recorded with the disabled test below:  fidelity_recorded_fits_test --gtest_also_run_disabled_tests --gtest_filter='*PrintsTable*'
// They are a regression baseline, not a statement of what the values should be; the
// golden end-to-end tests (tests/app) derive their values independently.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "fit/curve_fit.h"
#include "support_lib/capture.h"
#include "support_lib/split_mix.h"

namespace {

constexpr int kValues = 22;  // B(1..6), SSDEG(1..6), FITSTAT(1..10)
using Bits = std::array<std::uint32_t, kValues>;

struct DataSet {
  std::vector<float> x;
  std::vector<float> y;
};

using Sequence = polylsq::testing::SplitMix64;

// A value with five decimals, k / 10^5, as a data file's text "-3.14159" carries it.
float five_decimals(std::int64_t k) { return static_cast<float>(static_cast<double>(k) / 1e5); }

// 3.14159 - 2.5 x + 0.75 x^2 - 0.125 x^3 + 0.01 x^4 - 0.002 x^5 plus noise, x and the
// result in units of 10^-5 (IEEE double steps, no contraction: the same on every build).
std::int64_t response(std::int64_t x_units, std::int64_t noise) {
  const double x = static_cast<double>(x_units) / 1e5;
  const double y = 3.14159 + x * (-2.5 + x * (0.75 + x * (-0.125 + x * (0.01 + x * -0.002))));
  return std::llround(y * 1e5) + noise;
}

// n observations, x in [lo, hi] (units of 10^-5), realistic noise.
DataSet realistic(int n, std::int64_t lo, std::int64_t hi, std::uint64_t seed) {
  Sequence seq(seed);
  DataSet d;
  for (int i = 0; i < n; ++i) {
    const std::int64_t xu = seq.between(lo, hi);
    const std::int64_t yu = response(xu, seq.between(-2'500'000, 2'500'000));
    d.x.push_back(five_decimals(xu));
    d.y.push_back(five_decimals(yu));
  }
  return d;
}

// n observations whose abscissas take only `levels` distinct values: ties everywhere.
DataSet tied(int n, int levels, std::uint64_t seed) {
  Sequence seq(seed);
  DataSet d;
  for (int i = 0; i < n; ++i) {
    const std::int64_t xu = seq.between(0, levels - 1) * 40000 - 500000;  // -5.0 step 0.4
    d.x.push_back(five_decimals(xu));
    d.y.push_back(five_decimals(response(xu, seq.between(-1'000'000, 1'000'000))));
  }
  return d;
}

DataSet sorted_by_x(DataSet d, bool descending) {
  std::vector<std::size_t> order(d.x.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return descending ? d.x[a] > d.x[b] : d.x[a] < d.x[b];
  });
  DataSet s;
  for (const std::size_t i : order) {
    s.x.push_back(d.x[i]);
    s.y.push_back(d.y[i]);
  }
  return s;
}

DataSet with_missing_rows(DataSet d) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (std::size_t i = 3; i < d.x.size(); i += 7) d.x[i] = nan;
  for (std::size_t i = 5; i < d.y.size(); i += 11) d.y[i] = nan;
  return d;
}

// y exactly on 1.5 - 0.5 x + 0.25 x^2 at integer x: a perfect fit of lower degree.
DataSet on_quadratic(int n) {
  DataSet d;
  for (int i = 0; i < n; ++i) {
    const int x = i - n / 2;
    d.x.push_back(static_cast<float>(x));
    d.y.push_back(static_cast<float>(1.5 - 0.5 * x + 0.25 * x * x));
  }
  return d;
}

DataSet constant_y(int n) {
  DataSet d;
  for (int i = 0; i < n; ++i) {
    d.x.push_back(static_cast<float>(i) * 0.75f);
    d.y.push_back(42.125f);
  }
  return d;
}

struct Case {
  const char* name;
  int NDEG;
  std::function<DataSet()> data;
};

const std::vector<Case>& cases() {
  static const std::vector<Case> all = {
      {"three points, degree 1", 1, [] { return DataSet{{1.0f, 2.0f, 4.0f}, {2.5f, 3.1f, 6.7f}}; }},
      {"300 realistic, degree 0", 0, [] { return realistic(300, -1'000'000, 1'000'000, 1); }},
      {"300 realistic, degree 1", 1, [] { return realistic(300, -1'000'000, 1'000'000, 1); }},
      {"300 realistic, degree 2", 2, [] { return realistic(300, -1'000'000, 1'000'000, 1); }},
      {"300 realistic, degree 3", 3, [] { return realistic(300, -1'000'000, 1'000'000, 1); }},
      {"300 realistic, degree 4", 4, [] { return realistic(300, -1'000'000, 1'000'000, 1); }},
      {"300 realistic, degree 5", 5, [] { return realistic(300, -1'000'000, 1'000'000, 1); }},
      {"40 on a quadratic, degree 4", 4, [] { return on_quadratic(40); }},
      {"20 constant y, degree 2", 2, [] { return constant_y(20); }},
      {"77 with missing rows, degree 2", 2,
       [] { return with_missing_rows(realistic(77, -300'000, 900'000, 7)); }},
      {"500 far from the origin, degree 3", 3,
       [] { return realistic(500, 100'000'000, 101'000'000, 11); }},
      {"10^4 sorted, degree 5", 5,
       [] { return sorted_by_x(realistic(10'000, -1'000'000, 1'000'000, 3), false); }},
      {"10^4 reversed, degree 5", 5,
       [] { return sorted_by_x(realistic(10'000, -1'000'000, 1'000'000, 3), true); }},
      {"10^5 with 26 tied abscissas, degree 2", 2, [] { return tied(100'000, 26, 5); }},
      {"10^5 with 26 tied abscissas, degree 5", 5, [] { return tied(100'000, 26, 5); }},
  };
  return all;
}

Bits fit_bits(const Case& c) {
  const DataSet d = c.data();
  float B[6] = {};
  float SSDEG[6] = {};
  float FITSTAT[10] = {};
  const int NOBS = static_cast<int>(d.x.size());
  polylsq::testing::run_captured(
      [&] { polylsq::RCURV(NOBS, d.x.data(), d.y.data(), c.NDEG, B, SSDEG, FITSTAT); });
  Bits bits{};
  for (int i = 0; i < 6; ++i) bits[i] = std::bit_cast<std::uint32_t>(B[i]);
  for (int i = 0; i < 6; ++i) bits[6 + i] = std::bit_cast<std::uint32_t>(SSDEG[i]);
  for (int i = 0; i < 10; ++i) bits[12 + i] = std::bit_cast<std::uint32_t>(FITSTAT[i]);
  return bits;
}

// The recorded bit patterns of the legacy results, one row per case in the order of cases().
const std::vector<Bits> kRecorded = {
    {  // three points, degree 1
     0x3f333334u, 0x3fba83a7u, 0x00000000u, 0x00000000u, 0x00000000u, 0x00000000u,
     0x4249b851u, 0x411e8981u, 0x00000000u, 0x00000000u, 0x00000000u, 0x00000000u,
     0x40155555u, 0x40833333u, 0x40155555u, 0x40a51ebcu, 0x42c006c8u, 0x3f800000u,
     0x411e8981u, 0x3f800000u, 0x3ed2a760u, 0x00000000u},
    {  // 300 realistic, degree 0
     0x4264e09fu, 0x00000000u, 0x00000000u, 0x00000000u, 0x00000000u, 0x00000000u,
     0x496fcc87u, 0x00000000u, 0x00000000u, 0x00000000u, 0x00000000u, 0x00000000u,
     0x7fc00000u, 0x4264e09au, 0x7fc00000u, 0x4697d36du, 0x00000000u, 0x00000000u,
     0x00000000u, 0x43958000u, 0x4ab153f0u, 0x00000000u},
    {  // 300 realistic, degree 1
     0x42570d02u, 0xc19deb4eu, 0x00000000u, 0x00000000u, 0x00000000u, 0x00000000u,
     0x496fcc87u, 0x4a7fcd0fu, 0x00000000u, 0x00000000u, 0x00000000u, 0x00000000u,
     0xbe335013u, 0x4264e09au, 0x420fe307u, 0x4697d36du, 0x429040cdu, 0x3f800000u,
     0x4a7fcd0fu, 0x43950000u, 0x49c5b5a0u, 0x00000000u},
    {  // 300 realistic, degree 2
     0xc087b521u, 0xc19a0107u, 0x3fcf374bu, 0x00000000u, 0x00000000u, 0x00000000u,
     0x496fcc87u, 0x4a7fcd0fu, 0x49351dd9u, 0x00000000u, 0x00000000u, 0x00000000u,
     0xbe335013u, 0x4264e09au, 0x420fe307u, 0x4697d36du, 0x42a9c98bu, 0x40000000u,
     0x4a968a43u, 0x43948000u, 0x49564d67u, 0x00000000u},
    {  // 300 realistic, degree 3
     0xc0cfd475u, 0x40111eb0u, 0x3fcf9505u, 0xbeb101b4u, 0x00000000u, 0x00000000u,
     0x496fcc87u, 0x4a7fcd0fu, 0x49351dd9u, 0x493d2d98u, 0x00000000u, 0x00000000u,
     0xbe335013u, 0x4264e09au, 0x420fe307u, 0x4697d36du, 0x42c4753bu, 0x40400000u,
     0x4aae2ff6u, 0x43940000u, 0x47c8fe80u, 0x00000000u},
    {  // 300 realistic, degree 4
     0x401da1e5u, 0x400846e8u, 0x3f319940u, 0xbeaff3d8u, 0x3c32907eu, 0x00000000u,
     0x496fcc87u, 0x4a7fcd0fu, 0x49351dd9u, 0x493d2d98u, 0x469e7d4bu, 0x00000000u,
     0xbe335013u, 0x4264e09au, 0x420fe307u, 0x4697d36du, 0x42c527fcu, 0x40800000u,
     0x4aaece73u, 0x43938000u, 0x47a15f2du, 0x00000000u},
    {  // 300 realistic, degree 5
     0x401e80d8u, 0xbfdd88ecu, 0x3f3d64fau, 0xbe2cc0f4u, 0x3c289a65u, 0xbacdbffcu,
     0x496fcc87u, 0x4a7fcd0fu, 0x49351dd9u, 0x493d2d98u, 0x469e7d4bu, 0x46277107u,
     0xbe335013u, 0x4264e09au, 0x420fe307u, 0x4697d36cu, 0x42c5866au, 0x40a00000u,
     0x4aaf222bu, 0x43930000u, 0x478c710cu, 0x00000000u},
    {  // 40 on a quadratic, degree 4
     0x3fbffff8u, 0xbf000005u, 0x3e800000u, 0x00000000u, 0x00000000u, 0x00000000u,
     0x4740c6a0u, 0x453b620au, 0x470a7480u, 0x00000000u, 0x00000000u, 0x00000000u,
     0xbf000000u, 0x420c8000u, 0x4308aaabu, 0x44766d57u, 0x42c80000u, 0x40000000u,
     0x47162aa1u, 0x42140000u, 0x00000000u, 0x00000000u},
    {  // 20 constant y, degree 2
     0x42288000u, 0x00000000u, 0x00000000u, 0x00000000u, 0x00000000u, 0x00000000u,
     0x470aa250u, 0x00000000u, 0x00000000u, 0x00000000u, 0x00000000u, 0x00000000u,
     0x7fc00000u, 0x42288000u, 0x7fc00000u, 0x00000000u, 0x7fc00000u, 0x00000000u,
     0x00000000u, 0x41980000u, 0x00000000u, 0x00000000u},
    {  // 77 with missing rows, degree 2
     0x40fbc9bdu, 0x3f88fb37u, 0xbf5fb911u, 0x00000000u, 0x00000000u, 0x00000000u,
     0x44d68adbu, 0x4629beb5u, 0x4586fb18u, 0x00000000u, 0x00000000u, 0x00000000u,
     0x4029edb4u, 0xc0ab264eu, 0x4138468cu, 0x440599a2u, 0x42409ea0u, 0x40000000u,
     0x466d3c41u, 0x42640000u, 0x467f6a44u, 0x41880000u},
    {  // 500 far from the origin, degree 3
     0x553cf475u, 0xd126dc81u, 0x4c505b51u, 0xc6c1c5edu, 0x00000000u, 0x00000000u,
     0x6cd76b04u, 0x66b6d9a9u, 0x5f1b4b7du, 0x56c41a35u, 0x00000000u, 0x00000000u,
     0x447b4442u, 0xd3eda2a8u, 0x41061a71u, 0x623bd4e8u, 0x42c7c5f6u, 0x40400000u,
     0x66b6dae0u, 0x43f80000u, 0x61d481a1u, 0x00000000u},
    {  // 10^4 sorted, degree 5
     0x40340ddfu, 0xc0258576u, 0x3f421225u, 0xbdf6f477u, 0x3c22ff5eu, 0xbb05d61bu,
     0x4ba52dd8u, 0x4cd45c8bu, 0x4ba8709cu, 0x4bcf79d8u, 0x4906ba95u, 0x49141e99u,
     0x3cacea1du, 0x423a1e6au, 0x4203876fu, 0x468003abu, 0x42c57843u, 0x40a00000u,
     0x4d1a466du, 0x461c2800u, 0x49fd06bau, 0x00000000u},
    {  // 10^4 reversed, degree 5
     0x40340ddfu, 0xc0258576u, 0x3f421225u, 0xbdf6f477u, 0x3c22ff5eu, 0xbb05d61bu,
     0x4ba52dd8u, 0x4cd45c8bu, 0x4ba8709cu, 0x4bcf79d8u, 0x4906ba95u, 0x49141e99u,
     0x3cacea1du, 0x423a1e8eu, 0x4203878bu, 0x468003abu, 0x42c57843u, 0x40a00000u,
     0x4d1a466du, 0x461c2800u, 0x49fd06bau, 0x00000000u},
    {  // 10^5 with 26 tied abscissas, degree 2
     0x4021c941u, 0xc0a49f64u, 0x3f7b0572u, 0x00000000u, 0x00000000u, 0x00000000u,
     0x4b429230u, 0x4bb50722u, 0x4abc4b4fu, 0x00000000u, 0x00000000u, 0x00000000u,
     0x3ab78033u, 0x4134acceu, 0x410f2653u, 0x43addadbu, 0x42abf896u, 0x40000000u,
     0x4be419f6u, 0x47c34e80u, 0x4a94b5bau, 0x00000000u},
    {  // 10^5 with 26 tied abscissas, degree 5
     0x40489d36u, 0xc01b495eu, 0x3f3f567au, 0xbe0aecf2u, 0x3c26cc8du, 0xbae159e1u,
     0x4b429230u, 0x4bb50722u, 0x4abc4b4fu, 0x49bb20f1u, 0x46ef7892u, 0x45b38fb5u,
     0x3ab78033u, 0x4134acceu, 0x410f2653u, 0x43addadbu, 0x42b4ff79u, 0x40a00000u,
     0x4bf0131cu, 0x47c34d00u, 0x4a49a243u, 0x00000000u},
};

TEST(Fidelity, EveryFitKeepsItsBitsExactly) {
  ASSERT_EQ(kRecorded.size(), cases().size());
  for (std::size_t k = 0; k < cases().size(); ++k) {
    const Bits bits = fit_bits(cases()[k]);
    for (int i = 0; i < kValues; ++i) {
      const char* array = i < 6 ? "B" : i < 12 ? "SSDEG" : "FITSTAT";
      const int index = i < 6 ? i + 1 : i < 12 ? i - 5 : i - 11;
      EXPECT_EQ(bits[i], kRecorded[k][i])
          << cases()[k].name << ": " << array << "(" << index << ") is "
          << std::bit_cast<float>(bits[i]) << ", was " << std::bit_cast<float>(kRecorded[k][i]);
    }
  }
}

TEST(Fidelity, DataSetsAreTheOnesRecorded) {
  // The generators are part of the baseline: a changed generator would compare new data
  // with old results. Spot values fixed when the table was recorded.
  const DataSet tied_set = tied(100'000, 26, 5);
  std::vector<float> levels(tied_set.x);
  std::sort(levels.begin(), levels.end());
  levels.erase(std::unique(levels.begin(), levels.end()), levels.end());
  EXPECT_EQ(levels.size(), 26u);
  EXPECT_EQ(levels.front(), -5.0f);
  EXPECT_EQ(levels.back(), 5.0f);
}

// Prints the table above from the current build; run only to record a new baseline.
TEST(Fidelity, DISABLED_PrintsTable) {
  for (const Case& c : cases()) {
    const Bits bits = fit_bits(c);
    std::printf("    {  // %s\n", c.name);
    for (int i = 0; i < kValues; ++i) {
      const bool row_end = i % 6 == 5 || i == kValues - 1;
      std::printf("%s0x%08" PRIx32 "u%s", i % 6 == 0 ? "     " : "", bits[i],
                  i == kValues - 1 ? "},\n" : row_end ? ",\n" : ", ");
    }
  }
}

}  // namespace
