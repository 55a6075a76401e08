// Every test runs with the floating-point traps of a real run enabled, so a trap that the
// library must never raise fails the test binary instead of passing unnoticed.
#include <gtest/gtest.h>

#include "recio/fpenv.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
  polylsq::recio::enable_fp_traps();
  return RUN_ALL_TESTS();
}
