// Slot-by-slot comparison of record-shaped results.
#include "support_lib/slots.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace polylsq::testing {

// Ordered comparisons meet a NaN only after isnan has ruled it out: the tests run with the
// invalid-operation trap on.
void expect_slot(std::string_view name, float actual, const Slot& expected) {
  const double got = actual;
  bool same = false;
  if (std::isnan(expected.value)) {
    same = std::isnan(got);
  } else if (expected.tolerance == 0.0 || std::isinf(expected.value)) {
    same = got == expected.value;
  } else {
    same = !std::isnan(got) && std::fabs(got - expected.value) <= expected.tolerance;
  }
  if (!same) {
    ::testing::Message message;
    message << name << " is " << got << ", expected " << expected.value;
    if (expected.tolerance > 0.0 && std::isfinite(expected.value)) message << " within " << expected.tolerance;
    ADD_FAILURE() << message;
  }
}

void expect_record(std::string_view record, std::span<const float> actual, std::span<const Slot> expected) {
  EXPECT_EQ(actual.size(), expected.size()) << record;
  for (std::size_t i = 0; i < actual.size() && i < expected.size(); ++i) {
    expect_slot(std::string(record) + "(" + std::to_string(i + 1) + ")", actual[i], expected[i]);
  }
}

void expect_record(std::string_view record, std::span<const float> actual, std::initializer_list<Slot> expected) {
  expect_record(record, actual, std::span<const Slot>(expected.begin(), expected.size()));
}

}  // namespace polylsq::testing
