// Column choice: references parsed from the user's text, then tables read with x, y and
// weights chosen by number or header name; the values, series names and header names
// read, or the exact message. Every row is read at several chunk sizes.
#include "input/column_choice.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "input/data_reader.h"
#include "tests/input/text_file.h"

namespace polylsq::input {
namespace {

using testing::TextFile;
using testing::table_limits;

constexpr std::size_t kChunkSizes[] = {1, 5, 64, StreamLimits{}.chunk_bytes};

ColumnRef by_number(std::size_t number) { return {number, {}}; }
ColumnRef by_name(std::string name) { return {0, std::move(name)}; }

TEST(ParseColumnRef, AllDigitsIsANumberAnythingElseAName) {
  const struct {
    std::string text;
    ColumnRef ref;
  } cases[] = {
      {"3", by_number(3)},
      {"007", by_number(7)},
      {"18446744073709551615", by_number(18446744073709551615u)},
      {"Girth", by_name("Girth")},
      {"x1", by_name("x1")},
      {"-1", by_name("-1")},
      {"1.0", by_name("1.0")},
      {" 2", by_name(" 2")},
      {"time, s", by_name("time, s")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const Expected<ColumnRef> ref = parse_column_ref(c.text);
    ASSERT_TRUE(ref.has_value()) << ref.error().message;
    EXPECT_EQ(*ref, c.ref);
  }
}

TEST(ParseColumnRef, AnEmptyTextZeroAndAHugeNumberAreRefused) {
  const struct {
    std::string text;
    std::string message;
  } cases[] = {
      {"", "an empty column name"},
      {"0", "column 0: columns are numbered from 1"},
      {"000", "column 0: columns are numbered from 1"},
      {"18446744073709551616", "column 18446744073709551616 is beyond any table"},
  };
  for (const auto& c : cases) {
    const Expected<ColumnRef> ref = parse_column_ref(c.text);
    ASSERT_FALSE(ref.has_value()) << c.text;
    EXPECT_EQ(ref.error().kind, ErrorKind::kInvalidArgument);
    EXPECT_EQ(ref.error().message, c.message);
  }
}

struct Choice {
  std::optional<ColumnRef> x = {};
  std::vector<ColumnRef> y = {};
  std::optional<ColumnRef> w = {};
  bool weights = false;  // the flag: column 3
};

ReadOptions options_of(const Choice& choice) {
  ReadOptions options;
  options.weights = choice.weights;
  options.x_column = choice.x;
  options.y_columns = choice.y;
  options.weights_column = choice.w;
  return options;
}

Expected<DataSet> read_chosen(const std::string& text, const Choice& choice, std::size_t chunk) {
  const TextFile file(text);
  return read_data(file.get(), {}, options_of(choice), table_limits(chunk));
}

struct ChosenCase {
  std::string text;
  Choice choice;
  std::vector<double> x;
  std::vector<double> y;
  std::vector<double> w;
  std::string name;                    // of the one series
  std::optional<std::string> x_header;
  std::optional<std::string> y_header;
  std::vector<std::string> warnings = {};
};

const ChosenCase kChosenCases[] = {
    // by number, in any order; no header: "column N"
    {"1 2 3\n4 5 6\n", {by_number(3), {by_number(1)}}, {3, 6}, {1, 4}, {}, "column 1", {}, {}},
    {"1 2 3\n4 5 6\n", {{}, {by_number(3)}}, {1, 4}, {3, 6}, {}, "column 3", {}, {}},
    // by name, plain and quoted headers, a quote inside quotes, a trailing delimiter
    {"Girth,Height,Volume\n8.3,70,10.3\n8.6,65,10.3\n",
     {by_name("Girth"), {by_name("Volume")}},
     {8.3, 8.6}, {10.3, 10.3}, {}, "Volume", "Girth", "Volume"},
    {"\"Girth\",\"Height\",\"Volume\"\n8.3,70,10.3\n",
     {by_name("Girth"), {by_name("Height")}},
     {8.3}, {70}, {}, "Height", "Girth", "Height"},
    {"\"time, s\";\"a \"\"b\"\"\"\n1,5;2\n",
     {by_name("time, s"), {by_name("a \"b\"")}},
     {1.5}, {2}, {}, "a \"b\"", "time, s", "a \"b\""},
    {"a,b,c,\n1,2,3,\n4,5,6,\n", {{}, {by_name("c")}}, {1, 4}, {3, 6}, {}, "c", "a", "c"},
    // by number with a header: header names all the same
    {"t y1 y2\n0 1 2\n", {{}, {by_number(3)}}, {0}, {2}, {}, "y2", "t", "y2"},
    // an empty header cell names nothing
    {"x,,z\n1,2,3\n", {{}, {by_number(2)}}, {1}, {2}, {}, "column 2", "x", {}},
    // without a choice: the header's names, "y" without one
    {"Girth,Height\n8.3,70\n", {}, {8.3}, {70}, {}, "Height", "Girth", "Height"},
    {"8.3,70\n", {}, {8.3}, {70}, {}, "y", {}, {}},
    // weights by column, or the flag's column 3 beside a chosen y
    {"x,w,y\n1,0.5,2\n3,0,4\n", {{}, {by_name("y")}, by_name("w")},
     {1, 3}, {2, 4}, {0.5, 0}, "y", "x", "y"},
    {"1 2 3 4\n", {{}, {by_number(4)}, {}, true}, {1}, {4}, {3}, "column 4", {}, {}},
    // only the chosen columns are read: text and missing cells elsewhere are no matter
    {"date,x,y\n2019-01-01,1,2\nbad,3,NA\n,5,6\n\"a b\",7,8\n",
     {by_name("x"), {by_name("y")}},
     {1, 5, 7}, {2, 6, 8}, {}, "y", "x", "y", {"line 3: NA cell, row skipped"}},
    {"1 x 2 # c\n3 y 4\n", {{}, {by_number(3)}}, {1, 3}, {2, 4}, {}, "column 3", {}, {}},
};

TEST(ChooseColumns, ColumnsByNumberOrNameReadTheirValuesAndNames) {
  for (const ChosenCase& c : kChosenCases) {
    for (const std::size_t chunk : kChunkSizes) {
      SCOPED_TRACE(::testing::PrintToString(c.text) + ", chunk " + std::to_string(chunk));
      const Expected<DataSet> result = read_chosen(c.text, c.choice, chunk);
      ASSERT_TRUE(result.has_value()) << result.error().message;
      const DataSet& data = *result;
      ASSERT_EQ(data.series.size(), 1u);
      const Series& series = data.series.front();
      EXPECT_EQ(series.x, c.x);
      EXPECT_EQ(series.y, c.y);
      EXPECT_EQ(series.w, c.w);
      EXPECT_EQ(series.name, c.name);
      EXPECT_EQ(series.header, c.y_header);
      EXPECT_EQ(data.x_header, c.x_header);
      EXPECT_EQ(data.warnings, c.warnings);
    }
  }
}

struct RefusedCase {
  std::string text;
  Choice choice;
  ErrorKind kind;
  std::string message;
};

const RefusedCase kRefusedCases[] = {
    // names: not in the header, in it twice, without a header, beyond the rows
    {"a,b\n1,2\n", {{}, {by_name("c")}}, ErrorKind::kInvalidArgument,
     "line 1: no column \"c\" in the header \"a\", \"b\""},
    {"# only a header\na,b\n", {by_name("B")}, ErrorKind::kInvalidArgument,
     "line 2: no column \"B\" in the header \"a\", \"b\""},
    {"x,y,x\n1,2,3\n", {by_name("x")}, ErrorKind::kInvalidArgument,
     "line 1: column \"x\" is ambiguous: columns 1 and 3 of the header \"x\", \"y\", \"x\""},
    {"1,2\n", {{}, {by_name("b")}}, ErrorKind::kInvalidArgument,
     "line 1: no column \"b\": the file has no header"},
    {"a,b,c\n\n1,2\n", {{}, {by_name("c")}}, ErrorKind::kInvalidArgument,
     "line 3: no column \"c\" (column 3) in a row of 2 values; the header: \"a\", \"b\", \"c\""},
    {"a b c d e f g h i j\n1 2 3 4 5 6 7 8 9 10\n", {{}, {by_name("k")}},
     ErrorKind::kInvalidArgument,
     "line 1: no column \"k\" in the header "
     "\"a\", \"b\", \"c\", \"d\", \"e\", \"f\", \"g\", \"h\", "
     "... (10 names)"},
    // numbers beyond the columns
    {"1 2 3\n", {{}, {by_number(4)}}, ErrorKind::kInvalidArgument,
     "line 1: no column 4 in a row of 3 values"},
    {"a,b\n1,2\n", {by_number(3)}, ErrorKind::kInvalidArgument,
     "line 2: no column 3 in a row of 2 values; the header: \"a\", \"b\""},
    {"1,2,\n", {{}, {by_number(3)}}, ErrorKind::kInvalidArgument,
     "line 1: no column 3 in a row of 2 values"},
    {"1 2\n", {{}, {}, {}, true}, ErrorKind::kBadData, "line 1: 2 values, expected 3 (x y w)"},
    // one column, two roles
    {"1 2 3\n", {by_number(2)}, ErrorKind::kInvalidArgument,
     "line 1: column 2 is chosen as x and as y"},
    {"1 2 3\n", {{}, {by_number(3), by_number(3)}}, ErrorKind::kInvalidArgument,
     "line 1: column 3 is chosen twice as y"},
    {"a b c\n1 2 3\n", {{}, {by_name("c")}, by_number(3)}, ErrorKind::kInvalidArgument,
     "line 2: column 3 is chosen as y and as w"},
    // rows of the wrong count, and values, in the chosen columns
    {"a,b,c\n1,2,3\n4,5\n", {{}, {by_name("c")}}, ErrorKind::kBadData,
     "line 3: 2 values, expected 3 as on line 2"},
    {"x a b\n1 2 3\n4 5\n", {{}, {by_name("a"), by_name("b")}}, ErrorKind::kBadData,
     "line 3: 2 values, expected 3 (x y y)"},
    {"t,x,y\nfoo,1,abc\n", {by_name("x"), {by_name("y")}}, ErrorKind::kBadData,
     "line 2: \"abc\" is not a number"},
    // the data-file format has no columns to choose
    {"1\n2\n1 2\n3 4\n", {{}, {by_number(2)}}, ErrorKind::kInvalidArgument,
     "a choice of columns needs plain columns, not the data-file format"},
    {"1\n2\n1 2\n3 4\n", {{}, {}, by_number(3)}, ErrorKind::kInvalidArgument,
     "a choice of columns needs plain columns, not the data-file format"},
};

TEST(ChooseColumns, AChoiceTheTableCannotMeetGivesItsExactMessage) {
  for (const RefusedCase& c : kRefusedCases) {
    for (const std::size_t chunk : kChunkSizes) {
      SCOPED_TRACE(::testing::PrintToString(c.text) + ", chunk " + std::to_string(chunk));
      const Expected<DataSet> result = read_chosen(c.text, c.choice, chunk);
      ASSERT_FALSE(result.has_value());
      EXPECT_EQ(result.error().kind, c.kind);
      EXPECT_EQ(result.error().message, c.message);
    }
  }
}

TEST(ChooseColumns, TheLegacyRunsDataFileRefusesAChoiceOfColumns) {
  const TextFile file("1\n2\n1 2\n3 4\n");
  ReadOptions options;
  options.data_file_only = true;
  options.x_column = by_number(1);
  const Expected<DataSet> result = read_data(file.get(), "d.txt", options);
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().message,
            "d.txt: a choice of columns needs plain columns, not the data-file format");
}

}  // namespace
}  // namespace polylsq::input
