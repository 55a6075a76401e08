// RCURV: its checks, the sizes of the two workspace requests, both requests made whatever
// the first one gives, the storage message after a refused or unrepresentable request,
// and the release of every block obtained. The allocator is replaced through the hook of
// curve_fit.h to watch and to refuse requests.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "fit/curve_fit.h"
#include "fit/testing.h"
#include "support_lib/aliases.h"

namespace polylsq {
namespace {

constexpr float kUnset = -7.5f;

// What the test allocator saw, and which block it refuses.
struct AllocatorLog {
  std::vector<WorkspaceBlock> requested;
  std::vector<std::size_t> bytes;
  std::vector<void*> obtained;
  std::vector<void*> released;
  bool refuse_real = false;
  bool refuse_integer = false;
};
AllocatorLog g_log;

void* logging_allocate(WorkspaceBlock block, std::size_t bytes) {
  g_log.requested.push_back(block);
  g_log.bytes.push_back(bytes);
  const bool refuse = block == WorkspaceBlock::kReal ? g_log.refuse_real : g_log.refuse_integer;
  if (refuse) return nullptr;
  void* memory = std::malloc(bytes);
  g_log.obtained.push_back(memory);
  return memory;
}

void logging_release(WorkspaceBlock, void* memory) {
  g_log.released.push_back(memory);
  std::free(memory);
}

class Rcurv : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log = AllocatorLog{};
    set_workspace_allocator({logging_allocate, logging_release});
  }
  void TearDown() override { reset_workspace_allocator(); }

  CapturedRun call(int NOBS, const std::vector<float>& x, const std::vector<float>& y, int NDEG) {
    return run_captured([&] {
      RCURV(NOBS, x.data(), y.data(), NDEG, B.data(), SSDEG.data(), FITSTAT.data());
    });
  }
  bool results_unset() const {
    for (const auto* v : {&B, &SSDEG, &FITSTAT})
      for (float e : *v)
        if (e != kUnset) return false;
    return true;
  }
  // A run ended by the storage message for NOBS and NDEG as shown, before R2URV: every
  // block obtained is given back and no result is written.
  void expect_storage_stop(const CapturedRun& run, const std::string& nobs, const std::string& ndeg) const;

  std::vector<float> B = std::vector<float>(6, kUnset);
  std::vector<float> SSDEG = std::vector<float>(6, kUnset);
  std::vector<float> FITSTAT = std::vector<float>(10, kUnset);
};

std::string storage_message(const std::string& nobs, const std::string& ndeg) {
  return "\r\n*** TERMINAL ERROR 3 from RCURV.  The required storage cannot be allocated\r\n"
         "***          based on NOBS = " + nobs + " and NDEG = " + ndeg +
         ".\r\nStop - Program terminated.\r\n";
}

void Rcurv::expect_storage_stop(const CapturedRun& run, const std::string& nobs, const std::string& ndeg) const {
  EXPECT_TRUE(run.stopped);
  EXPECT_EQ(run.console, storage_message(nobs, ndeg));
  EXPECT_EQ(g_log.released, g_log.obtained);
  EXPECT_TRUE(results_unset());
}

const std::vector<float> kX = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
const std::vector<float> kY = {2, 5, 10, 17, 26, 37, 50, 65, 82, 101};

TEST_F(Rcurv, RefusedIntegerBlockAfterARealOneReleasesItAndReportsStorage) {
  g_log.refuse_integer = true;
  const CapturedRun run = call(10, kX, kY, 2);
  ASSERT_EQ(g_log.requested,
            (std::vector<WorkspaceBlock>{WorkspaceBlock::kReal, WorkspaceBlock::kInteger}));
  ASSERT_EQ(g_log.obtained.size(), 1u);  // the real block, given back
  expect_storage_stop(run, "10", "2");
}

TEST_F(Rcurv, RefusedRealBlockStillRequestsTheIntegerBlockAndReleasesIt) {
  g_log.refuse_real = true;
  const CapturedRun run = call(10, kX, kY, 2);
  ASSERT_EQ(g_log.requested,
            (std::vector<WorkspaceBlock>{WorkspaceBlock::kReal, WorkspaceBlock::kInteger}));
  expect_storage_stop(run, "10", "2");
}

TEST_F(Rcurv, ARequestBeyondTheAddressRangeFailsWithoutReachingTheAllocator) {
  // (NDEG+3)(NDEG+1) floats is about 4.6e18 for NDEG = INT_MAX: no size type holds its bytes.
  const CapturedRun run = call(1, {1}, {1}, INT_MAX);
  EXPECT_EQ(g_log.requested, std::vector<WorkspaceBlock>{WorkspaceBlock::kInteger});
  expect_storage_stop(run, "1", "2147483647");
}

TEST_F(Rcurv, RequestsTheDocumentedSizes) {
  struct Size {
    int NOBS, NDEG;
    std::size_t floats, ints;
  };
  for (const Size s : {Size{300, 5, 3408, 300}, Size{10, 2, 15 + 132 + 5, 10},
                       Size{1, 0, 3 + 11 + 5, 1}}) {
    g_log = AllocatorLog{};
    const std::vector<float> x(static_cast<std::size_t>(s.NOBS), 1.0f);
    call(s.NOBS, x, x, s.NDEG);
    ASSERT_EQ(g_log.bytes.size(), 2u) << s.NOBS;
    EXPECT_EQ(g_log.bytes[0], s.floats * sizeof(float)) << s.NOBS;
    EXPECT_EQ(g_log.bytes[1], s.ints * sizeof(int)) << s.NOBS;
    EXPECT_EQ(g_log.released.size(), 2u) << "both blocks given back, NOBS = " << s.NOBS;
  }
}

TEST_F(Rcurv, NobsBelowOneIsReportedBeforeNdegAndNothingIsRequested) {
  const CapturedRun run = call(0, {}, {}, -1);
  EXPECT_TRUE(run.stopped);
  EXPECT_EQ(run.console,
            "\r\n*** TERMINAL ERROR 1 from RCURV.  The number of observations must be at\r\n"
            "***          least 1 while NOBS = 0 is given.\r\nStop - Program terminated.\r\n");
  EXPECT_TRUE(g_log.requested.empty());
  EXPECT_TRUE(results_unset());
}

TEST_F(Rcurv, NegativeNdegIsReportedAndNothingIsRequested) {
  const CapturedRun run = call(3, {1, 2, 3}, {1, 2, 3}, -2);
  EXPECT_TRUE(run.stopped);
  EXPECT_EQ(run.console,
            "\r\n*** TERMINAL ERROR 2 from RCURV.  NDEG = -2.  The degree of the polynomial\r\n"
            "***          to be fit must be greater than or equal to 0.\r\n"
            "Stop - Program terminated.\r\n");
  EXPECT_TRUE(g_log.requested.empty());
  EXPECT_TRUE(results_unset());
}

TEST_F(Rcurv, ASingleObservationPassesTheChecksAndFailsInTheRegressionBelow) {
  const CapturedRun run = call(1, {2.5f}, {7.25f}, 0);
  EXPECT_TRUE(run.stopped);
  EXPECT_EQ(run.console,
            "\r\n*** TERMINAL ERROR 1 from R2ORP.  NOBS = 1.  The number of observations,\r\n"
            "***          NOBS, must be greater than 1.\r\n"
            "    Here is a traceback of subprogram calls in reverse order:\r\n"
            "    Routine name                    Error type  Error code\r\n"
            "    ------------                    ----------  ----------\r\n"
            "    R2ORP                                5           1    (Called internally)\r\n"
            "    R2URV                                0           0    (Called internally)\r\n"
            "    RCURV                                0           0\r\n"
            "    USER                                 0           0\r\n"
            "Stop - Program terminated.\r\n");
  EXPECT_EQ(g_log.requested.size(), 2u);
  EXPECT_EQ(g_log.released.size(), 2u) << "the workspace is given back even when a stop unwinds";
  EXPECT_TRUE(results_unset());
}

TEST_F(Rcurv, AFitFillsItsResultsAndReleasesBothBlocks) {
  // Least-squares line of y = 2, 3, 5, 4, 6 on x = 1..5: slope 0.9, intercept 1.3.
  const CapturedRun run = call(5, {1, 2, 3, 4, 5}, {2, 3, 5, 4, 6}, 1);
  EXPECT_FALSE(run.stopped);
  EXPECT_EQ(run.console, "");
  constexpr double kSingle = 1e-6;  // a few units in the last place of values near 1
  EXPECT_NEAR(B[0], 1.3, kSingle);
  EXPECT_NEAR(B[1], 0.9, kSingle);
  EXPECT_EQ(B[2], kUnset);  // only B(1..NDEG+1) belong to the fit
  EXPECT_EQ(FITSTAT[9], 0.0f);
  EXPECT_EQ(g_log.released.size(), 2u);
  EXPECT_EQ(g_log.released, g_log.obtained);
}

// y near 1e14 on x from 1000 by 0.5, degree 5: the variances of the power-series
// coefficients leave the float range. Nothing shows them, so under the run's traps (on in
// every test) the fit still reaches its coefficients and R-squared.
TEST_F(Rcurv, StatisticsThatNothingShowsNeverEndTheFit) {
  const std::vector<float> x{1000.0f, 1000.5f, 1001.0f, 1001.5f, 1002.0f, 1002.5f, 1003.0f, 1003.5f,
                             1004.0f, 1004.5f, 1005.0f, 1005.5f, 1006.0f, 1006.5f, 1007.0f, 1007.5f};
  const std::vector<float> y{1.000655e14f, 1.000305e14f, 1.000675e14f, 1.000107e14f,
                             1.000517e14f, 1.000490e14f, 1.000602e14f, 1.000370e14f,
                             1.000257e14f, 1.000374e14f, 1.000826e14f, 1.000173e14f,
                             1.000298e14f, 1.000644e14f, 1.000790e14f, 1.000988e14f};
  const CapturedRun run = call(16, x, y, 5);
  EXPECT_FALSE(run.stopped);
  EXPECT_FALSE(run.failure.has_value());
  for (int i = 0; i < 6; ++i) EXPECT_TRUE(std::isfinite(B[i])) << "B(" << i + 1 << ")";
  EXPECT_GT(FITSTAT[4], 0.0f);  // R-squared in percent
  EXPECT_LT(FITSTAT[4], 100.0f);
}

}  // namespace
}  // namespace polylsq
