// Plain columns beyond one series: several y columns each with its own missing rows, each
// read bit for bit as when read alone; the source line of every observation; the x values
// of a file of predictions. Every table row is read at several chunk sizes.
#include "input/column_reader.h"

#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "input/data_reader.h"
#include "tests/input/text_file.h"

namespace polylsq::input {
namespace {

using testing::TextFile;
using testing::table_limits;

constexpr std::size_t kChunkSizes[] = {1, 3, 64, StreamLimits{}.chunk_bytes};

ColumnRef by_name(std::string name) { return {0, std::move(name)}; }

Expected<DataSet> read_text(const std::string& text, const ReadOptions& options,
                            std::size_t chunk = StreamLimits{}.chunk_bytes) {
  const TextFile file(text);
  return read_data(file.get(), {}, options, table_limits(chunk));
}

std::vector<std::uint64_t> bits(const std::vector<double>& values) {
  std::vector<std::uint64_t> out;
  for (const double v : values) out.push_back(std::bit_cast<std::uint64_t>(v));
  return out;
}

struct SeriesRead {
  std::string name;
  std::vector<double> x;
  std::vector<double> y;
  std::vector<std::size_t> lines;
};

struct SeveralCase {
  std::string text;
  std::vector<std::string> y_columns;
  std::vector<SeriesRead> series;
  std::vector<std::string> warnings;
};

const SeveralCase kSeveralCases[] = {
    {"x,A,B,C\n1,10,NA,100\n2,20,200,\n3,nan,300,300\nNA,1,2,3\n4,40,400,400\n5,N/A,,null\n",
     {"A", "B", "C"},
     {{"A", {1, 2, 4}, {10, 20, 40}, {2, 3, 6}},
      {"B", {2, 3, 4}, {200, 300, 400}, {3, 4, 6}},
      {"C", {1, 3, 4}, {100, 300, 400}, {2, 4, 6}}},
     {"line 2: NA cell, row skipped for B", "line 3: empty cell, row skipped for C",
      "line 4: nan cell, row skipped for A", "line 5: NA cell, row skipped",
      "line 7: N/A cell, row skipped"}},
    // two of three skipped, named in order; a chosen order unlike the file's
    {"t a b c\n1 NA 2 NA\n3 4 5 6\n",
     {"c", "b", "a"},
     {{"c", {3}, {6}, {3}}, {"b", {1, 3}, {2, 5}, {2, 3}}, {"a", {3}, {4}, {3}}},
     {"line 2: NA cell, row skipped for c and a"}},
};

TEST(SeveralSeries, EachSeriesHasItsOwnMissingRowsNameAndLines) {
  for (const SeveralCase& c : kSeveralCases) {
    for (const std::size_t chunk : kChunkSizes) {
      SCOPED_TRACE(::testing::PrintToString(c.text) + ", chunk " + std::to_string(chunk));
      ReadOptions options;
      for (const std::string& name : c.y_columns) options.y_columns.push_back(by_name(name));
      options.source_lines = true;
      const Expected<DataSet> result = read_text(c.text, options, chunk);
      ASSERT_TRUE(result.has_value()) << result.error().message;
      ASSERT_EQ(result->series.size(), c.series.size());
      for (std::size_t k = 0; k < c.series.size(); ++k) {
        const Series& read = result->series[k];
        EXPECT_EQ(read.name, c.series[k].name);
        EXPECT_EQ(read.header, c.series[k].name);
        EXPECT_EQ(read.x, c.series[k].x);
        EXPECT_EQ(read.y, c.series[k].y);
        EXPECT_TRUE(read.w.empty());
        EXPECT_EQ(read.lines, c.series[k].lines);
      }
      EXPECT_EQ(result->warnings, c.warnings);
    }
  }
}

TEST(SeveralSeries, ASeriesWithoutObservationsIsNamedInTheError) {
  ReadOptions options;
  options.y_columns = {by_name("A"), by_name("B")};
  const Expected<DataSet> result = read_text("x,A,B\n1,2,NA\n3,4,\n", options);
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().message, "no observations for B: every row has an empty or NA cell");
}

// A decimal of one of the forms a table holds, or a missing cell one time in `gap`.
std::string random_cell(std::mt19937_64& rng, int gap) {
  static const char* const kMissing[] = {"NA", "", "nan", "N/A", "null"};
  if (rng() % gap == 0) return kMissing[rng() % 5];
  const std::int64_t digits = static_cast<std::int64_t>(rng() % 2000000) - 1000000;
  switch (rng() % 4) {
    case 0:
      return std::to_string(digits);
    case 1:
      return std::to_string(digits) + "e-" + std::to_string(rng() % 30);
    case 2:
      return "0." + std::to_string(rng()) + std::to_string(rng());  // beyond 17 digits
    default:
      return std::to_string(digits / 1000) + "." + std::to_string(rng() % 1000);
  }
}

// Several series of one read against each y column read alone: x, y, weights and lines
// the same bits. Rows of plain numbers go through the fast lane, the others do not.
TEST(SeveralSeries, EverySeriesEqualsItsColumnReadAloneBitForBit) {
  std::mt19937_64 rng(20260114);
  std::string text = "x,A,B,C,w\n";
  for (int row = 0; row < 3000; ++row) {
    if (row % 97 == 0) text += "# a comment\n\n";
    text += random_cell(rng, 40) + "," + random_cell(rng, 9) + "," + random_cell(rng, 7) + "," +
            random_cell(rng, 400) + "," + std::to_string(rng() % 5) + "\n";
  }
  ReadOptions together;
  together.y_columns = {by_name("A"), by_name("B"), by_name("C")};
  together.weights_column = by_name("w");
  together.source_lines = true;
  for (const std::size_t chunk : {std::size_t{7}, StreamLimits{}.chunk_bytes}) {
    const Expected<DataSet> all = read_text(text, together, chunk);
    ASSERT_TRUE(all.has_value()) << all.error().message;
    for (std::size_t k = 0; k < together.y_columns.size(); ++k) {
      SCOPED_TRACE("series " + std::to_string(k) + ", chunk " + std::to_string(chunk));
      ReadOptions alone = together;
      alone.y_columns = {together.y_columns[k]};
      const Expected<DataSet> one = read_text(text, alone, chunk);
      ASSERT_TRUE(one.has_value()) << one.error().message;
      const Series& expected = one->series.front();
      const Series& read = all->series[k];
      EXPECT_GT(read.x.size(), 2000u);
      EXPECT_EQ(bits(read.x), bits(expected.x));
      EXPECT_EQ(bits(read.y), bits(expected.y));
      EXPECT_EQ(bits(read.w), bits(expected.w));
      EXPECT_EQ(read.lines, expected.lines);
    }
  }
}

struct LinesCase {
  std::string text;
  std::vector<std::size_t> lines;
};

TEST(SourceLines, EachObservationKeepsTheLineItCameFrom) {
  const LinesCase cases[] = {
      {"x y\n\n1 2\n# c\n3 NA\n5 6\n", {3, 6}},
      {"\xEF\xBB\xBF" "1,2\r\n\r\n3,4\r5,6", {1, 3, 4}},
      {"1 2 extra\n3 4 more # c\n", {1, 2}},
      {"1;2;\n3;4;\n", {1, 2}},
      // a data file: the line where each observation's read ends
      {"1\n3\n1 2\n\n3\n4\n5 6\n", {3, 6, 7}},
      {"# c\n1\n2\n1 2 3\n4 /\n", {4, 5}},
  };
  ReadOptions options;
  options.source_lines = true;
  for (const LinesCase& c : cases) {
    for (const std::size_t chunk : kChunkSizes) {
      SCOPED_TRACE(::testing::PrintToString(c.text) + ", chunk " + std::to_string(chunk));
      const Expected<DataSet> result = read_text(c.text, options, chunk);
      ASSERT_TRUE(result.has_value()) << result.error().message;
      EXPECT_EQ(result->series.front().lines, c.lines);
    }
  }
}

TEST(SourceLines, ManyRowsThroughTheFastLaneKeepTheirLines) {
  for (const bool data_file : {false, true}) {
    std::string text = data_file ? "1\n20000\n" : "x y\n";
    std::size_t line = data_file ? 2 : 1;
    std::vector<std::size_t> expected;
    for (int row = 0; row < 20000; ++row) {
      if (row % 1000 == 999) {
        text += data_file ? "\n" : "# every thousandth\n";
        ++line;
      }
      text += std::to_string(row) + " " + std::to_string(row * 3) + "\n";
      expected.push_back(++line);
    }
    ReadOptions options;
    options.source_lines = true;
    const Expected<DataSet> result = read_text(text, options);
    ASSERT_TRUE(result.has_value()) << result.error().message;
    EXPECT_EQ(result->series.front().lines, expected) << (data_file ? "data file" : "columns");
  }
}

struct XValuesCase {
  std::string text;
  std::optional<ColumnRef> column;
  std::vector<double> x;
  std::optional<std::string> header;
  std::vector<std::string> warnings = {};
};

TEST(ReadXValues, OneXALineOrTheXColumnOfATable) {
  const XValuesCase cases[] = {
      {"1\n2.5\n-3e2\n", {}, {1, 2.5, -300}, {}},
      {"# at\nx\n1\nNA\n\n2\n", {}, {1, 2}, "x", {"line 4: NA cell, row skipped"}},
      {"a,b\n1,2\n3,4\n", {}, {1, 3}, "a", {"column 1 (x) of 2 used"}},
      {"a,b\n1,2\n3,4\n", by_name("b"), {2, 4}, "b"},
      {"1;5\n2;7,5\n", ColumnRef{2, {}}, {5, 7.5}, {}},
      {"1,\n2,\n", {}, {1, 2}, {}},
  };
  for (const XValuesCase& c : cases) {
    for (const std::size_t chunk : kChunkSizes) {
      SCOPED_TRACE(::testing::PrintToString(c.text) + ", chunk " + std::to_string(chunk));
      const TextFile file(c.text);
      const Expected<XValues> read =
          read_x_values(file.get(), {}, c.column, table_limits(chunk));
      ASSERT_TRUE(read.has_value()) << read.error().message;
      EXPECT_EQ(read->x, c.x);
      EXPECT_EQ(read->header, c.header);
      EXPECT_EQ(read->warnings, c.warnings);
    }
  }
}

TEST(ReadXValues, FailuresGiveTheReadersMessagesNamedAfterTheFile) {
  const struct {
    std::string text;
    std::optional<ColumnRef> column;
    std::string message;
  } cases[] = {
      {"", {}, "at.txt: no x values"},
      {"x\nNA\n\n", {}, "at.txt: no x values: every row has an empty or NA cell"},
      {"1\n2 3\n", {}, "at.txt: line 2: 2 values, expected 1 (x)"},
      {"1\nabc\n", {}, "at.txt: line 2: \"abc\" is not a number"},
      {"a b\n1 2\n", by_name("c"), "at.txt: line 1: no column \"c\" in the header \"a\", \"b\""},
  };
  for (const auto& c : cases) {
    const TextFile file(c.text);
    const Expected<XValues> read = read_x_values(file.get(), "at.txt", c.column);
    ASSERT_FALSE(read.has_value()) << c.text;
    EXPECT_EQ(read.error().message, c.message);
  }
}

}  // namespace
}  // namespace polylsq::input
