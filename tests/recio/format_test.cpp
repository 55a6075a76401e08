// Formatted output: literals, data descriptors, groups, record breaks, reuse of the
// format when items remain, scale factors and character items; the records are read
// back from a file, where no carriage control applies.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <string>

#include "recio/io.h"
#include "support_lib/aliases.h"
#include "support_lib/files.h"
#include "support_lib/fixtures.h"

namespace polylsq::recio {
namespace {

class WriteFormatted : public polylsq::testing::WorkingDirTest {
 protected:
  // The bytes that one statement stores in a fresh file.
  std::string records_of(std::string_view format, std::initializer_list<OutItem> items) {
    const auto run = run_captured_runtime([&] {
      open_unit(1, "out.txt");
      write_formatted(1, format, items);
      close_unit(1);
    });
    EXPECT_FALSE(run.failure.has_value()) << format << ": " << run.failure.value_or("");
    return polylsq::testing::read_file("out.txt").value_or("<no out.txt>");
  }
  std::string failure_of(std::string_view format, std::initializer_list<OutItem> items) {
    const auto run = run_captured_runtime([&] {
      open_unit(1, "out.txt");
      write_formatted(1, format, items);
    });
    return run.failure.value_or("no failure");
  }
};

std::string write_report(int number, const std::string& message) {
  return runtime_report('F', number, "WRITE(out.txt)", message);
}

TEST_F(WriteFormatted, DescriptorsAndLiterals) {
  const float nan = std::bit_cast<float>(0x7fc00000u);
  EXPECT_EQ(records_of("(F10.3)", {0.5f}), "      .500\r\n");
  EXPECT_EQ(records_of("(F12.4)", {nan}), "1#QNAN......\r\n");
  EXPECT_EQ(records_of("('   B(',I1,') = ',F9.3)", {3, 1.25f}), "   B(3) =     1.250\r\n");
  EXPECT_EQ(records_of("('   R-squared = ',F12.4)", {nan}), "   R-squared = 1#QNAN......\r\n");
  EXPECT_EQ(records_of("(I3, 2X, I1)", {5, 6}), "  5  6\r\n");
  EXPECT_EQ(records_of("( i2 , f5.1 )", {4, 1.5f}), " 4  1.5\r\n");
  EXPECT_EQ(records_of("('It''s',\"q\"\"\")", {}), "It'sq\"\r\n");
  EXPECT_EQ(records_of("()", {}), "\r\n");
}

TEST_F(WriteFormatted, OutputStopsAtTheFirstDataDescriptorWithoutAnItem) {
  EXPECT_EQ(records_of("(I2,' end')", {7}), " 7 end\r\n");
  EXPECT_EQ(records_of("(3(I2,'x'))", {1}), " 1x\r\n");
  EXPECT_EQ(records_of("('a',I2,'b')", {}), "a\r\n");
}

TEST_F(WriteFormatted, RemainingItemsReuseTheFormatInNewRecords) {
  EXPECT_EQ(records_of("(I3,I3)", {1, 2, 3}), "  1  2\r\n  3\r\n");
  // reuse starts at the last top-level group, with its repeat count
  EXPECT_EQ(records_of("(I2,2(I3,'x'))", {1, 2, 3, 4, 5}), " 1  2x  3x\r\n  4x  5x\r\n");
}

TEST_F(WriteFormatted, SlashesEndRecords) {
  EXPECT_EQ(records_of("(/,' a')", {}), "\r\n a\r\n");
  EXPECT_EQ(records_of("(' a',/)", {}), " a\r\n\r\n");
  EXPECT_EQ(records_of("(' a',2/,' b')", {}), " a\r\n\r\n b\r\n");
  EXPECT_EQ(records_of("(I1/I1)", {1, 2}), "1\r\n2\r\n");
}

TEST_F(WriteFormatted, ScaleFactorHoldsForTheRestOfTheStatement) {
  EXPECT_EQ(records_of("(1PE14.6)", {123.4567f}), "  1.234567E+02\r\n");
  EXPECT_EQ(records_of("(E14.6)", {123.4567f}), "   .123457E+03\r\n");
  EXPECT_EQ(records_of("(1P,E14.6,E14.6)", {1.0f, 2.0f}), "  1.000000E+00  2.000000E+00\r\n");
  EXPECT_EQ(records_of("(1PE14.6,0PE14.6)", {1.0f, 1.0f}), "  1.000000E+00   .100000E+01\r\n");
  EXPECT_EQ(records_of("(1PF8.2)", {1.5f}), "   15.00\r\n");  // F shows value * 10^k
}

TEST_F(WriteFormatted, CharacterItems) {
  using namespace std::string_view_literals;
  EXPECT_EQ(records_of("(A)", {"hello"sv}), "hello\r\n");
  EXPECT_EQ(records_of("(3A1)", {"a"sv, "b"sv, "c"sv}), "abc\r\n");
  EXPECT_EQ(records_of("(A5)", {"ab"sv}), "   ab\r\n");
  EXPECT_EQ(records_of("(A1)", {"xyz"sv}), "x\r\n");
  EXPECT_EQ(records_of("(/,' *** ',2A1,' ERROR',3A1)", {"N"sv, "O"sv, " "sv, "1"sv, "x"sv}),
            "\r\n *** NO ERROR 1x\r\n");
}

TEST_F(WriteFormatted, BadFormatsAndMismatchedItemsAreReported) {
  const std::string bad_format = write_report(6302, "invalid format");
  EXPECT_EQ(failure_of("(I3", {1}), bad_format);
  EXPECT_EQ(failure_of("I3", {1}), bad_format);
  EXPECT_EQ(failure_of("(Q3)", {1}), bad_format);
  EXPECT_EQ(failure_of("(F5)", {1.0f}), bad_format);
  EXPECT_EQ(failure_of("('open)", {}), bad_format);
  EXPECT_EQ(failure_of("(0I3)", {1}), bad_format);
  EXPECT_EQ(failure_of("(E10.0)", {1.0f}), bad_format);  // no significant digit shown
  const std::string mismatch = write_report(6303, "format does not match item");
  EXPECT_EQ(failure_of("(I3)", {1.5f}), mismatch);
  EXPECT_EQ(failure_of("(F5.1)", {2}), mismatch);
  EXPECT_EQ(failure_of("(A)", {2}), mismatch);
  EXPECT_EQ(failure_of("('x')", {1}), mismatch);
}

TEST_F(WriteFormatted, ConsoleTakesTheFirstCharacterAsCarriageControl) {
  const auto run = run_captured_runtime([] {
    write_formatted(6, "('   B(',I1,') = ',F9.3)", {1, 2.5f});
    write_formatted(6, "(/,' *** ',I1)", {5});
  });
  EXPECT_EQ(run.console, "  B(1) =     2.500\r\n\r\n*** 5");
}

}  // namespace
}  // namespace polylsq::recio
