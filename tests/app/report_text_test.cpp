// The pieces of the reports: numbers to significant digits and exactly (no negative zero in
// either), and table rows padded to their columns without trailing blanks.
#include "app/report_text.h"

#include <gtest/gtest.h>

#include <optional>

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

}  // namespace
}  // namespace polylsq::app
