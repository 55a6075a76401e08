// Column storage: values pushed or appended into the reserved vector, across its batches,
// and on into blocks come back complete and in order, whatever the reservation; line numbers
// too.
#include "input/value_column.h"

#include <algorithm>
#include <cstddef>
#include <span>
#include <vector>

#include <gtest/gtest.h>

namespace polylsq::input {
namespace {

TEST(ValueColumn, EveryValueComesBackInOrderWithOrWithoutAReservation) {
  // batches hold 4096 values, blocks 65536: counts at and around both
  const struct {
    std::size_t reserved;
    std::size_t pushed;
  } cases[] = {
      {0, 0},        {0, 1},         {0, 65536},     {0, 65537},  {0, 200003},
      {10, 0},       {10, 5},        {10, 10},       {10, 11},    {4096, 4096},
      {4096, 4097},  {4097, 8193},   {5000, 200003}, {300000, 200003},
  };
  // pushed one by one, or appended in runs that cross the batches and blocks
  for (const std::size_t run : {std::size_t{1}, std::size_t{777}, std::size_t{70000}}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(::testing::Message() << "reserved " << c.reserved << ", pushed " << c.pushed
                                        << " in runs of " << run);
      ValueColumn column;
      column.reserve(c.reserved);
      std::vector<double> expected;
      for (std::size_t i = 0; i < c.pushed; ++i) {
        expected.push_back(static_cast<double>(i) * 0.5 - 7.0);
      }
      for (std::size_t i = 0; i < c.pushed; i += run) {
        const std::size_t count = std::min(run, c.pushed - i);
        if (run == 1) {
          column.push(expected[i]);
        } else {
          column.append(std::span<const double>(expected).subspan(i, count));
        }
        ASSERT_EQ(column.size(), i + count);
      }
      EXPECT_EQ(column.take(), expected);
      EXPECT_EQ(column.size(), 0u);
      EXPECT_TRUE(column.take().empty());
    }
  }
}

TEST(ValueColumn, AReservationBeyondAnyMemoryFallsBackToBlocks) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer ends the process on an allocation it cannot serve";
#endif
  ValueColumn column;
  column.reserve(std::size_t{1} << 50);  // 8 PiB: more than any address space
  for (int i = 0; i < 3; ++i) column.push(i);
  EXPECT_EQ(column.take(), (std::vector<double>{0, 1, 2}));
}

TEST(LineColumn, LineNumbersComeBackInOrderAcrossBlocks) {
  LineColumn column;
  column.reserve(100);
  std::vector<std::size_t> expected;
  for (std::size_t line = 1; line <= 70000; ++line) {  // past the reservation and a block
    column.push(line * 3);
    expected.push_back(line * 3);
  }
  EXPECT_EQ(column.take(), expected);
}

}  // namespace
}  // namespace polylsq::input
