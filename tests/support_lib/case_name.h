// Names the instances of a parameterised test after the `name` member of their case, so
// that test listings read "Suite/Test/CaseName".
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace polylsq::testing {

struct CaseName {
  template <class Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
    return info.param.name;
  }
};

}  // namespace polylsq::testing
