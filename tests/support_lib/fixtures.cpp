// Fixtures with a fresh temporary folder per test.
#include "support_lib/fixtures.h"

namespace polylsq::testing {

void TempDirTest::SetUp() { ASSERT_FALSE(dir_.empty()) << "no temporary folder"; }

void WorkingDirTest::SetUp() {
  TempDirTest::SetUp();
  if (HasFatalFailure()) return;
  previous_ = std::filesystem::current_path();
  std::filesystem::current_path(dir_);
}

void WorkingDirTest::TearDown() {
  if (!previous_.empty()) std::filesystem::current_path(previous_);
}

}  // namespace polylsq::testing
