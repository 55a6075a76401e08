// Machine constants against the platform's own description of IEEE single and double
// precision, the NaN test on bit patterns, the unit table, and the direct messages of
// IMACH and UMACH.
#include "support/machine.h"
#include "support/testing.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "recio/io.h"
#include "support_lib/aliases.h"
#include "support_lib/files.h"
#include "support_lib/temp_dir.h"

namespace polylsq {
namespace {

std::uint32_t bits_of(float x) { return std::bit_cast<std::uint32_t>(x); }

// A bad index and the record of the message that shows it.
struct BadIndex {
  int n;
  const char* record;
};

// A call with the bad index `n` that stops the run at once with exactly `records`.
void expect_stops_with(int n, const std::function<void()>& call, const Records& records) {
  bool returned = false;
  CapturedRun r = run_captured([&] {
    call();
    returned = true;
  });
  SCOPED_TRACE("N = " + std::to_string(n));
  EXPECT_FALSE(returned);
  expect_console(r, records, true);
}

TEST(Amach, ConstantsHaveTheTabledBitPatterns) {
  const std::uint32_t expected[8] = {0x00800000u, 0x7F7FFFFFu, 0x33800000u, 0x34000000u,
                                     0x3E9A209Bu, 0x7FC00000u, 0x7F800000u, 0xFF800000u};
  for (int n = 1; n <= 8; ++n) EXPECT_EQ(bits_of(AMACH(n)), expected[n - 1]) << "N = " << n;
}

TEST(Amach, ConstantsAgreeWithThePlatformsSinglePrecision) {
  EXPECT_EQ(AMACH(1), std::numeric_limits<float>::min());
  EXPECT_EQ(AMACH(2), std::numeric_limits<float>::max());
  EXPECT_EQ(AMACH(4), std::nextafter(1.0f, 2.0f) - 1.0f);
  EXPECT_EQ(AMACH(3), AMACH(4) / 2.0f);
  EXPECT_EQ(AMACH(5), static_cast<float>(std::log10(2.0)));
  EXPECT_TRUE(IS_NAN(AMACH(6)));
  EXPECT_GT(AMACH(7), AMACH(2));
  EXPECT_LT(AMACH(8), -AMACH(2));
  EXPECT_TRUE(std::isinf(AMACH(7)) && std::isinf(AMACH(8)));
}

TEST(Amach, IndexOutsideOneToEightIsATerminalErrorThatStops) {
  for (const BadIndex& c : {BadIndex{0, " ***          inclusive. N = 0"},
                             BadIndex{9, " ***          inclusive. N = 9"},
                             BadIndex{-7, " ***          inclusive. N = -7"}}) {
    expect_stops_with(c.n, [&] { AMACH(c.n); },
                      {"", " *** TERMINAL ERROR 5 from AMACH.  The argument must be between 1 and 8", c.record});
  }
}

TEST(Imach, ConstantsAgreeWithThePlatformsFormats) {
  const int expected[12] = {static_cast<int>(sizeof(int) * CHAR_BIT),
                            static_cast<int>(sizeof(int)),
                            2,
                            std::numeric_limits<int>::digits,
                            INT_MAX,
                            FLT_RADIX,
                            FLT_MANT_DIG,
                            FLT_MIN_EXP,
                            FLT_MAX_EXP,
                            DBL_MANT_DIG,
                            DBL_MIN_EXP,
                            DBL_MAX_EXP};
  for (int n = 1; n <= 12; ++n) EXPECT_EQ(IMACH(n), expected[n - 1]) << "N = " << n;
  EXPECT_EQ(IMACH(5), 2147483647);
}

TEST(Imach, IndexOutsideOneToTwelveWritesFiveRecordsAndStops) {
  for (const BadIndex& c : {BadIndex{0, " ***          N =      0."}, BadIndex{13, " ***          N =     13."},
                             BadIndex{-12345, " ***          N = -12345."},
                             BadIndex{-123456, " ***          N = ******."}}) {
    expect_stops_with(c.n, [&] { IMACH(c.n); },
                      {"", " *** TERMINAL ERROR 5 from IMACH.  The argument",
                       " ***          must be between 1 and 12 inclusive.", c.record, ""});
  }
}

TEST(Umach, UnitTableStartsAsFiveSixSixAndKeepsANewValue) {
  CapturedRun r = run_captured([] {
    int unit = 0;
    UMACH(1, unit);
    EXPECT_EQ(unit, 5);
    UMACH(2, unit);
    EXPECT_EQ(unit, 6);
    UMACH(3, unit);
    EXPECT_EQ(unit, 6);
    int seven = 7;
    UMACH(-3, seven);
    UMACH(3, unit);
    EXPECT_EQ(unit, 7);
    UMACH(2, unit);
    EXPECT_EQ(unit, 6);
    machine_reset_for_tests();
    UMACH(3, unit);
    EXPECT_EQ(unit, 6);
  });
  EXPECT_FALSE(r.stopped);
}

TEST(Umach, IndexOutsideOneToThreeWritesFiveRecordsAndStops) {
  for (const BadIndex& c : {BadIndex{0, " ***          1, 2, or 3.  IABS(N) =      0."},
                             BadIndex{-4, " ***          1, 2, or 3.  IABS(N) =      4."},
                             BadIndex{4, " ***          1, 2, or 3.  IABS(N) =      4."},
                             BadIndex{INT_MIN, " ***          1, 2, or 3.  IABS(N) = ******."}}) {
    int unit = 123;
    expect_stops_with(c.n, [&] { UMACH(c.n, unit); },
                      {"", " *** TERMINAL ERROR 5 from UMACH.  The absolute",
                       " ***          value of the index variable must be", c.record, ""});
    EXPECT_EQ(unit, 123) << c.n;
  }
}

TEST(Imach, MessageGoesToTheStandardOutputUnitOfTheTable) {
  const testing::TempDir dir("polylsq-imach-");
  ASSERT_FALSE(dir.path().empty());
  const std::string path = dir.path() / "out.txt";
  CapturedRun r = run_captured([&] {
    recio::open_unit(8, path);
    int eight = 8;
    UMACH(-2, eight);
    IMACH(99);
  });
  EXPECT_TRUE(r.stopped);
  EXPECT_EQ(r.console, "Stop - Program terminated.\r\n");
  EXPECT_EQ(testing::read_file(path).value_or("<missing>"),
            "\r\n"
            " *** TERMINAL ERROR 5 from IMACH.  The argument\r\n"
            " ***          must be between 1 and 12 inclusive.\r\n"
            " ***          N =     99.\r\n"
            "\r\n");
}

TEST(IsNan, LooksAtTheBitPatternOnly) {
  struct Case {
    std::uint32_t bits;
    bool nan;
  };
  const Case cases[] = {
      {0x7FC00000u, true},  {0xFFC00000u, true},  {0x7F800001u, true},  {0xFF800001u, true},
      {0x7FFFFFFFu, true},  {0x7F800000u, false}, {0xFF800000u, false}, {0x00000001u, false},
      {0x00000000u, false}, {0x80000000u, false}, {0x7F7FFFFFu, false}, {0x3F800000u, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IS_NAN(std::bit_cast<float>(c.bits)), c.nan) << std::hex << c.bits;
  }
}

}  // namespace
}  // namespace polylsq
