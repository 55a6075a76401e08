// Test fixtures with a fresh temporary folder per test: TempDirTest names it in dir_,
// WorkingDirTest also makes it the working directory while the test runs.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "support_lib/temp_dir.h"

namespace polylsq::testing {

class TempDirTest : public ::testing::Test {
 protected:
  // Fails the test when the folder could not be made.
  void SetUp() override;

  TempDir temp_dir_{"polylsq-test-"};
  const std::filesystem::path dir_ = temp_dir_.path();
};

class WorkingDirTest : public TempDirTest {
 protected:
  // Enters dir_; TearDown goes back to the working directory of before.
  void SetUp() override;
  void TearDown() override;

 private:
  std::filesystem::path previous_;
};

}  // namespace polylsq::testing
