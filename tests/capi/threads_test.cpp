// Eight threads fit, predict and tabulate the same observations at once, the first calls
// of the process among them, then all read one shared fit at once; every one gets the bits
// a single thread gets afterwards.
#include <gtest/gtest.h>

#include <barrier>
#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <thread>
#include <vector>

#include "polylsq/polylsq.hpp"
#include "support_lib/split_mix.h"

namespace {

using V = std::vector<double>;

constexpr int kThreads = 8;
constexpr int kRounds = 10;

// Every double a round of calls gives, as bit patterns.
std::vector<std::uint64_t> one_round(const V& x, const V& y, const V& w) {
  std::vector<std::uint64_t> bits;
  const auto add = [&bits](double v) { bits.push_back(std::bit_cast<std::uint64_t>(v)); };
  const auto fit = polylsq::fit(x, y, w, 6);
  if (!fit) return {};
  for (const double c : fit->coefficients()) add(c);
  for (const auto& se : fit->standard_errors()) add(se.value_or(-1));
  for (const auto& p : fit->p_values()) add(p.value_or(-1));
  for (const double c : fit->covariance()) add(c);
  add(fit->residual_sd().value_or(-1));
  add(fit->anova().p.value_or(-1));
  for (const double at : {-0.5, 0.3, 2.0}) {
    const auto p = fit->predict(at, 0.9);
    if (!p) return {};
    add(p->fit);
    add(p->prediction ? p->prediction->upper : -1);
  }
  const auto table = polylsq::degree_table(x, y, w);
  if (!table) return {};
  for (const auto& row : table->rows) {
    add(row.error_sum_of_squares);
    add(row.bic.value_or(-1));
    add(row.loocv_rmse.value_or(-1));
  }
  add(table->recommended(polylsq::Criterion::kAicc));
  return bits;
}

// The predictions of `fit` at 50 points across the data, as bit patterns.
std::vector<std::uint64_t> readings(const polylsq::Fit& fit) {
  std::vector<std::uint64_t> bits;
  for (int i = 0; i < 50; ++i) {
    const auto p = fit.predict(-0.5 + 0.05 * i, 0.95);
    bits.push_back(std::bit_cast<std::uint64_t>(p ? p->fit : -1.0));
    bits.push_back(std::bit_cast<std::uint64_t>(p && p->se_fit ? *p->se_fit : -1.0));
  }
  return bits;
}

TEST(Threads, EightThreadsFittingAtOnceGetIdenticalBits) {
  polylsq::testing::SplitMix64 random(25);
  V x, y, w;
  for (int i = 0; i < 300; ++i) {
    x.push_back(-0.5 + 2.5 * random.uniform());
    y.push_back(std::exp(x.back()) + 0.01 * random.uniform());
    w.push_back(0.5 + random.uniform());
  }
  std::vector<std::vector<std::vector<std::uint64_t>>> seen(kThreads);
  std::vector<std::vector<std::uint64_t>> read(kThreads);
  std::optional<polylsq::Fit> shared;
  std::barrier start(kThreads);
  std::barrier shared_made(kThreads, [&]() noexcept {  // by one thread, the others waiting
    if (auto made = polylsq::fit(x, y, w, 4)) shared.emplace(std::move(*made));
  });
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      start.arrive_and_wait();  // all at once, from the first call of the process
      for (int round = 0; round < kRounds; ++round) seen[t].push_back(one_round(x, y, w));
      shared_made.arrive_and_wait();
      if (shared) read[t] = readings(*shared);
    });
  }
  for (std::thread& thread : threads) thread.join();

  const std::vector<std::uint64_t> alone = one_round(x, y, w);
  ASSERT_GT(alone.size(), 40u);
  for (int t = 0; t < kThreads; ++t) {
    for (int round = 0; round < kRounds; ++round) {
      EXPECT_EQ(seen[t][round], alone) << "thread " << t << ", round " << round;
    }
  }
  ASSERT_TRUE(shared.has_value());
  const std::vector<std::uint64_t> read_alone = readings(*polylsq::fit(x, y, w, 4));
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(read[t], read_alone) << "thread " << t;
}

}  // namespace
