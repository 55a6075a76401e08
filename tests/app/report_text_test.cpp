// The pieces of the reports: numbers to significant digits and exactly (no negative zero in
// either), and table rows padded to their columns without trailing blanks.
#include "app/report_text.h"

#include "app/fit_equation.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace polylsq::app {
namespace {

TEST(ReportText, NumbersReadAsWrittenAndNoZeroIsNegative) {
  const struct {
    std::optional<double> value;
    int digits;
    const char* significant;
    const char* exact;  // of the value itself; unused for an undefined one
  } cases[] = {
      {0.1, 12, "0.1", "0.1"},
      {0.998364121234, 9, "0.998364121", "0.998364121234"},
      {1.25e-7, 12, "1.25e-07", "1.25e-07"},
      {-0.0, 12, "0", "0"},
      {-2.5, 1, "-2", "-2.5"},  // 2.5 to one digit: to even, as the standard library rounds
      {std::nullopt, 12, "undefined", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(significant(c.value, c.digits), c.significant);
    if (c.value) {
      EXPECT_EQ(exact_text(*c.value), c.exact);
    }
  }
}

TEST(ReportText, RowsPadEachCellToItsColumnAndEndWithoutBlanks) {
  const std::vector<Column> columns{{6, Align::kLeft}, {5}, {4, Align::kLeft}};
  EXPECT_EQ(table_row({"error", "12", "x"}, columns), "error      12  x\n");
  EXPECT_EQ(table_row({"total", "123456", ""}, columns), "total   123456\n");  // never cut
}

TEST(ReportText, FixedSignificantKeepsItsTrailingZeros) {
  const struct {
    double value;
    int digits;
    const char* text;
  } cases[] = {
      {2.09214, 7, "2.092140"}, {10.786274, 7, "10.78627"}, {1.2345678e-7, 7, "1.234568e-07"},
      {5.0, 7, "5.000000"},     {-0.0, 7, "0.000000"},      {1234567.0, 7, "1234567"},
      {12345678.0, 7, "1.234568e+07"},
  };
  for (const auto& c : cases) EXPECT_EQ(fixed_significant(c.value, c.digits), c.text) << c.value;
}

// The equation: ascending powers, every term, the sign of a negative term before its
// magnitude, broken before a sign when the line would pass the width.
TEST(ReportText, TheEquationIsOneLineOrBreaksBeforeATerm) {
  const struct {
    std::vector<double> coefficients;
    const char* y;
    const char* x;
    std::size_t width;
    const char* text;
  } cases[] = {
      {{10.78627, -2.09214, 0.2545376}, "Volume", "Girth", 100,
       "Volume = 10.78627 - 2.092140 Girth + 0.2545376 Girth^2\n"},
      {{1.3, 0.9}, "y", "x", 100, "y = 1.300000 + 0.9000000 x\n"},
      {{-1.0, 0.0, -3.0}, "y", "t", 100, "y = -1.000000 + 0.000000 t - 3.000000 t^2\n"},
      {{1.0, 2.0, 3.0}, "y", "x", 26, "y = 1.000000 + 2.000000 x\n    + 3.000000 x^2\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(equation_text(c.coefficients, c.y, c.x, c.width), c.text);
  }
}

// A table wider than the width: its other columns in blocks, each repeating the key column.
TEST(ReportText, AWideTableComesInBlocksOfColumns) {
  TextTable table;
  table.header = {"power", "0", "1", "2"};
  table.align = {Align::kRight, Align::kRight, Align::kRight, Align::kRight};
  table.rows = {{"0", "1.234567", "-2.5", "3"}, {"1", "-2.5", "7", "0.125"}};
  EXPECT_EQ(table_text(table, 100), "power         0     1      2\n    0  1.234567  -2.5      3\n"
                                    "    1      -2.5     7  0.125\n");
  EXPECT_EQ(table_text(table, 22),
            "power         0     1\n    0  1.234567  -2.5\n    1      -2.5     7\n\n"
            "power      2\n    0      3\n    1  0.125\n");
}

}  // namespace
}  // namespace polylsq::app
