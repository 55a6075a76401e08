// The data reader: input text -> the doubles read, or the exact message. Every table row
// is read at several chunk sizes, down to one byte, so that chunk boundaries fall inside
// values, between "\r" and "\n" and inside the byte-order mark.
#include "input/data_reader.h"

#include <bit>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/input/text_file.h"

namespace polylsq::input {
namespace {

using testing::TextFile;
using testing::table_limits;

constexpr std::size_t kChunkSizes[] = {1, 2, 3, 7, 64, StreamLimits{}.chunk_bytes};
constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kMinSubnormal = std::numeric_limits<double>::denorm_min();

Expected<DataSet> read_text(const std::string& text, bool weights, std::size_t chunk,
                            std::string_view name = {}) {
  const TextFile file(text);
  ReadOptions options;
  options.weights = weights;
  return read_data(file.get(), name, options, table_limits(chunk));
}

std::vector<std::uint64_t> bits(const std::vector<double>& values) {
  std::vector<std::uint64_t> out;
  for (const double v : values) out.push_back(std::bit_cast<std::uint64_t>(v));
  return out;
}

// A row of a table of texts that read: the values are compared bit for bit.
struct ReadsCase {
  std::string text;
  std::vector<double> x;
  std::vector<double> y;
  std::vector<double> w = {};                  // with weights
  std::vector<std::string> warnings = {};
};

void expect_reads(const ReadsCase& c, DataFormat format, std::optional<int> degree) {
  for (const std::size_t chunk : kChunkSizes) {
    SCOPED_TRACE(::testing::PrintToString(c.text) + ", chunk " + std::to_string(chunk));
    const bool weights = !c.w.empty();
    const Expected<DataSet> result = read_text(c.text, weights, chunk);
    ASSERT_TRUE(result.has_value()) << result.error().message;
    const DataSet& data = *result;
    EXPECT_EQ(data.format, format);
    EXPECT_EQ(data.file_degree, degree);
    ASSERT_EQ(data.series.size(), 1u);
    const Series& series = data.series.front();
    EXPECT_EQ(bits(series.x), bits(c.x));
    EXPECT_EQ(bits(series.y), bits(c.y));
    EXPECT_EQ(bits(series.w), bits(c.w));
    EXPECT_TRUE(series.lines.empty());
    EXPECT_EQ(data.warnings, c.warnings);
  }
}

struct DataFileCase {
  int degree;
  ReadsCase reads;
};

const DataFileCase kDataFileCases[] = {
    {1, {"1\n3\n1 2\n3,4\n5 , 6\n", {1, 3, 5}, {2, 4, 6}}},
    {2, {"2\n2\n\t-1.5\t2.25\t\n3 ,4\n", {-1.5, 3}, {2.25, 4}}},
    // line ends: CR LF, lone CR, none after the last line
    {1, {"1\r\n2\r\n1 2\r\n3 4\r\n", {1, 3}, {2, 4}}},
    {1, {"1\r2\r1 2\r3 4\r", {1, 3}, {2, 4}}},
    {1, {"1\n2\n1 2\n3 4", {1, 3}, {2, 4}}},
    // blank and comment lines before and between the header lines
    {3, {"# degree, count\n\n3\n  # count\n2\n1 2\n3 4\n", {1, 3}, {2, 4}}},
    // based integers and signs in the header
    {1, {"16#1\n2#11\n1 2\n3 4\n5 6\n", {1, 3, 5}, {2, 4, 6}}},
    {2, {"#2\n#3\n1 2\n3 4\n5 6\n", {1, 3, 5}, {2, 4, 6}}},
    {2, {" +2 \n+1\n1 2\n", {1}, {2}}},
    {-1, {"-1\n1\n1 2\n", {1}, {2}}},  // the caller judges the degree
    // repeat counts, null values, slashes
    {1, {"1\n2\n2*7\n3 4\n", {7, 3}, {7, 4}}},
    {1, {"1\n2\n1*3, 1*4\n5 2*6\n", {3, 5}, {4, 6}}},
    {1, {"1\n2\n2*\n1 2\n", {0, 1}, {0, 2}}},
    {1, {"1\n1\n3*\n", {0}, {0}}},
    {1, {"1\n2\n,5\n6,,\n", {0, 6}, {5, 0}}},
    {1, {"1\n1\n,,\n", {0}, {0}}},
    {1, {"1\n1\n1*,9\n", {0}, {9}}},
    {1, {"1\n3\n5/\n/ 7\n1/2\n", {5, 0, 1}, {0, 0, 0}}},
    {1, {"1\n1\n8,/\n", {8}, {0}}},
    // one observation over several lines; the rest of a read's last line is skipped
    {1, {"1\n2\n1\n2\n3 4\n", {1, 3}, {2, 4}}},
    {1, {"1\n2\n\n1\n\n2\n3 4\n", {1, 3}, {2, 4}}},
    {1, {"1\n2\n1,\n2\n3\n,4\n", {1, 3}, {2, 4}}},
    {1, {"1\n2\n1 2 3\n4 5 six /\n", {1, 4}, {2, 5}}},
    // exponents with E or D, either case, and the limits of the double range
    {1, {"1\n2\n1.5D3 -2.5d-1\n1E+2 .5e-1\n", {1500, 100}, {-0.25, 0.05}}},
    {1,
     {"1\n2\n1.7976931348623157e308 -4.9406564584124654e-324\n-1.7976931348623157D308 "
      "2.2250738585072014E-308\n",
      {kMax, -kMax},
      {-kMinSubnormal, std::numeric_limits<double>::min()}}},
    {1, {"1\n1\n1e-400 -1d-400\n", {0.0}, {-0.0}}},
    // lines after the last observation are not data; the first with values is named
    {1, {"1\n1\n1 2\n3.O512 \xFF\x01 \n# anything\n", {1}, {2}}},
    {1, {"1\n3\n1 2\n3 4\n5 6 7\n\n# more\n 8,9\n10 11\n", {1, 3, 5}, {2, 4, 6}, {},
         {"line 8: values beyond the 3 observations that the count announces; this line and "
          "those after it are not read"}}},
    // a byte-order mark at the start of a data file
    {1, {"\xEF\xBB\xBF" "1\r\n1\r\n1 2\r\n", {1}, {2}}},
};

TEST(ReadDataFile, EveryListDirectedFormReadsItsValues) {
  for (const DataFileCase& c : kDataFileCases) {
    expect_reads(c.reads, DataFormat::kDataFile, c.degree);
  }
}

// A file the legacy run reads: its header read list-directed whatever its first lines
// look like, as the legacy reader reads them.
TEST(ReadDataFile, AForcedDataFileReadsItsHeaderAsTheLegacyRunDoes) {
  struct ForcedCase {
    std::string text;
    std::variant<int, std::string> degree_or_error;
  };
  const ForcedCase cases[] = {
      {"3 7\n2\n1 2\n3 4\n", 3},          // the rest of the degree's line is skipped
      {"2*3\n2\n1 2\n3 4\n", 3},          // a repeat count
      {"3,\n\n2\n1 2\n3 4\n", 3},        // the count's read goes on over a blank line
      {"1\n2 9\n1 2\n3 4\n", 1},          // the standard form
      {"2.0\n2\n1 2\n", std::string("line 1: \"2.0\" is not an integer")},
      {"1\n,\n1 2\n", std::string("line 2: the count of observations is 0, at least 1 is needed")},
      {"4\n", std::string("the file ends after line 1 before the count of observations")},
      {"1\n3\n1 2\n", std::string("the file ends after line 3: 3 observations were announced, 1 read")},
  };
  for (const ForcedCase& c : cases) {
    for (const std::size_t chunk : kChunkSizes) {
      SCOPED_TRACE(::testing::PrintToString(c.text) + ", chunk " + std::to_string(chunk));
      const TextFile file(c.text);
      ReadOptions options;
      options.data_file_only = true;
      const Expected<DataSet> result =
          read_data(file.get(), {}, options, table_limits(chunk));
      if (const auto* error = std::get_if<std::string>(&c.degree_or_error)) {
        ASSERT_FALSE(result.has_value());
        EXPECT_EQ(result.error().message, *error);
        continue;
      }
      ASSERT_TRUE(result.has_value()) << result.error().message;
      const DataSet& data = result.value();
      EXPECT_EQ(data.file_degree, std::get<int>(c.degree_or_error));
      EXPECT_EQ(data.series.front().x, (std::vector<double>{1, 3}));
      EXPECT_EQ(data.series.front().y, (std::vector<double>{2, 4}));
    }
  }
}

const ReadsCase kColumnCases[] = {
    {"1 2\n3 4\n", {1, 3}, {2, 4}},
    {"1,2\n3,4", {1, 3}, {2, 4}},
    {"1;2\r\n3;4\r\n", {1, 3}, {2, 4}},
    {"1\t2\r3 ,\t4\r", {1, 3}, {2, 4}},
    {" -1.5 ; +2.25 \n", {-1.5}, {2.25}},
    {"1D2 3e-1\n", {100}, {0.3}},
    // headers: plain, quoted, after comments, behind a byte-order mark
    {"x y\n1 2\n", {1}, {2}},
    {"\"x\",\"y\"\n1,2\n", {1}, {2}},
    {"# measured\n\n\"time, s\";\"level\"\n1;2\n", {1}, {2}},
    {"\xEF\xBB\xBF" "x,y\r\n1,2\r\n", {1}, {2}},
    {"\xEF\xBB\xBF" "1,2\r\n", {1}, {2}},
    {"x,NA\n1,2\n", {1}, {2}},
    // comments anywhere, blank lines
    {"# data\n1 2 # first\n\n   \n3 4#second\n#", {1, 3}, {2, 4}},
    // decimal commas where semicolons separate
    {"x;y\n1,5;2,25\n-0,5 ; 3\n1.5;,5\n", {1.5, -0.5, 1.5}, {2.25, 3, 0.5}},
    {"1,5;2\n7,25 8\n", {1.5, 7.25}, {2, 8}},
    // quoted numbers
    {"\"1.5\",\"2\"\n", {1.5}, {2}},
    {"\"1,5\";\"2\"\n", {1.5}, {2}},
    // a first line with one number is a row when the second is not: see the error table
    // rows with an empty or NA cell are skipped with a warning
    {"1 2\n3,NA\n,4\n5,6\n7,\n\"\",8\n",
     {1, 5},
     {2, 6},
     {},
     {"line 2: NA cell, row skipped", "line 3: empty cell, row skipped",
      "line 5: empty cell, row skipped", "line 6: empty cell, row skipped"}},
    {"x;y\n1;2\n;\n", {1}, {2}, {}, {"line 3: empty cell, row skipped"}},
    // weights: zero allowed
    {"1 2 0.5\n3 4 0\n5 6 -0\n", {1, 3, 5}, {2, 4, 6}, {0.5, 0, -0.0}},
    {"x,y,w\n1,2,3\n4,NA,5\n", {1}, {2}, {3}, {"line 3: NA cell, row skipped"}},
    // a delimiter at the end of every row, the header included, adds no column
    {"1,2,\n", {1}, {2}},
    {"x;y;\n1,5;2;\n3;4 ; # c\n", {1.5, 3}, {2, 4}},
    {"1,2,\n3,4\n", {1, 3}, {2, 4}},
    {"\"x\",\"y\",\n1,,\n3,4,\n", {3}, {4}, {}, {"line 2: empty cell, row skipped"}},
    {"x,y\n1,2,\n", {1}, {2}, {}, {"columns 1 and 2 (x, y) of 3 used"}},  // not the header
    // more columns than used: the first two (three with weights), with a warning; the
    // others never read
    {"1 2 3\n", {1}, {2}, {}, {"columns 1 and 2 (x, y) of 3 used"}},
    {"1,5 2,5\n", {1}, {5}, {}, {"columns 1 and 2 (x, y) of 4 used"}},
    {"a,b,c\n1,2,x\n3,4,\n5,6,\"\"\n", {1, 3, 5}, {2, 4, 6}, {},
     {"columns 1 and 2 (x, y) of 3 used"}},
    {"1 2 3 4\n5 6 7 NA\n", {1, 5}, {2, 6}, {3, 7}, {"columns 1, 2 and 3 (x, y, w) of 4 used"}},
    // missing values in any spelling and case, in the x and y columns only
    {"x,y\n1,N/A\nnan,2\n3,NULL\n4,na\nNaN,Null\n6,7\n",
     {6},
     {7},
     {},
     {"line 2: N/A cell, row skipped", "line 3: nan cell, row skipped",
      "line 4: NULL cell, row skipped", "line 5: na cell, row skipped",
      "line 6: NaN cell, row skipped"}},
    {"NA,1\n2,3\n", {2}, {3}, {}, {"line 1: NA cell, row skipped"}},
    // a value at each end of the double range
    {"1.7976931348623157e308 4.9406564584124654e-324\n", {kMax}, {kMinSubnormal}},
};

TEST(ReadColumns, SeparatorsHeadersCommentsAndMissingCellsReadAsDesigned) {
  for (const ReadsCase& c : kColumnCases) expect_reads(c, DataFormat::kColumns, std::nullopt);
}

TEST(ReadColumns, SkippedRowsBeyondTwentyAreCountedInOneWarning) {
  std::string text = "x,y\n";
  std::vector<std::string> warnings;
  for (int line = 2; line <= 26; ++line) {
    text += "NA,1\n";
    if (line <= 21) warnings.push_back("line " + std::to_string(line) + ": NA cell, row skipped");
  }
  warnings.push_back("5 more rows with an empty or NA cell skipped");
  text += "1,2\n";
  expect_reads({text, {1}, {2}, {}, warnings}, DataFormat::kColumns, std::nullopt);
}

struct FailsCase {
  std::string text;
  bool weights;
  std::string message;
};

const std::string k36Digits = "123456789012345678901234567890123456";

const FailsCase kFailsCases[] = {
    // nothing to read
    {"", false, "no observations"},
    {"\n \n# only a comment\n\xEF\xBB\xBF", false, "no observations"},
    {"\xEF\xBB\xBF", false, "no observations"},
    {"x y\n# no rows\n", false, "no observations"},
    {"x y\nNA 1\n1 \"\"\n", false, "no observations: every row has an empty or NA cell"},
    {",1,2\n", false, "no observations: every row has an empty or NA cell"},
    {"1 NaN\n", false, "no observations: every row has an empty or NA cell"},
    // data file: the header
    {"2.0\n3\n1 2\n", false, "line 1: \"2.0\" is not an integer (the degree)"},
    {"1.5\n2.5\n", false, "line 1: \"1.5\" is not an integer (the degree)"},
    {"2\n1e3\n", false, "line 2: \"1e3\" is not an integer (the count of observations)"},
    {"\n99999999999\n3\n", false,
     "line 2: \"99999999999\" is outside the 32-bit integer range (the degree)"},
    {"1\n16#80000000\n", false,
     "line 2: \"16#80000000\" is outside the 32-bit integer range (the count of observations)"},
    {"1\n0\n1 2\n", false, "line 2: the count of observations is 0, at least 1 is needed"},
    {"1\n\n-5\n", false, "line 3: the count of observations is -5, at least 1 is needed"},
    {"1\n2\n1 2\n", true, "--weights needs plain columns, not the data-file format"},
    // data file: the observations
    {"1\n3\n1 2\n3.O512 4\n", false, "line 4: \"3.O512\" is not a number"},
    {"1\n1\nNaN 1\n", false, "line 3: \"NaN\" is not a number"},
    {"1\n1\n1 -Inf\n", false, "line 3: \"-Inf\" is not a number"},
    {"1\n1\n. 1\n", false, "line 3: \".\" is not a number"},
    {"1\n1\n1+5 1\n", false, "line 3: \"1+5\" is not a number"},
    {"1\n1\n1 #5\n", false, "line 3: \"#5\" is not a number"},
    {"1\n1\n1;2\n", false, "line 3: \"1;2\" is not a number"},
    {"1\n1\n1\n\n2x\n", false, "line 5: \"2x\" is not a number"},
    {"1\n1\n2*3*4\n", false, "line 3: \"2*3*4\" is not a number"},
    {"1\n1\n0*5\n", false, "line 3: \"0*5\" has a bad repeat count"},
    {"1\n1\n*5\n", false, "line 3: \"*5\" has a bad repeat count"},
    {"1\n1\n-1*5\n", false, "line 3: \"-1*5\" has a bad repeat count"},
    {"1\n1\nx*\n", false, "line 3: \"x*\" has a bad repeat count"},
    {"1\n1\n2147483648*1\n", false, "line 3: \"2147483648*1\" has a bad repeat count"},
    {"1\n1\n1e999 2\n", false, "line 3: \"1e999\" is beyond the double range"},
    {"1\n1\n2 -1.7976931348623159D308\n", false,
     "line 3: \"-1.7976931348623159D308\" is beyond the double range"},
    {"1\n3\n1 2\n3 4\n", false,
     "the file ends after line 4: 3 observations were announced, 2 read"},
    {"1\n1\n", false, "the file ends after line 2: 1 observation was announced, 0 read"},
    {"1\n2\n1 2\n3\n\n\n", false,
     "the file ends after line 6: 2 observations were announced, 1 read"},
    {"1\n2\n1 2\r\n3 ,", false,
     "the file ends after line 4: 2 observations were announced, 1 read"},
    // columns
    {"3\n1 2\n", false, "line 1: 1 value, expected 2 (x y)"},
    {"1 2\n\n3\n", false, "line 3: 1 value, expected 2 (x y)"},
    {"1,2,\n3,4\n5,6,7\n", false, "line 3: 3 values, expected 2 (x y)"},
    {"1,2\n3,4,\n", false, "line 2: 3 values, expected 2 (x y)"},
    {"1 2 3\n4 5\n", false, "line 2: 2 values, expected 3 as on line 1"},
    {"# c\nx y z\n\n1 2 3\n4 5\n", false, "line 5: 2 values, expected 3 as on line 4"},
    {"1 2\n3 4 # ok\n5 6 7 # bad\n", false, "line 3: 3 values, expected 2 (x y)"},
    {"1 2\n", true, "line 1: 2 values, expected 3 (x y w)"},
    {"1 2\n3 abc\n", false, "line 2: \"abc\" is not a number"},
    {"1 2\nx y\n", false, "line 2: \"x\" is not a number"},
    {"x 2\n", false, "line 1: \"x\" is not a number"},
    {"1 -NaN\n", false, "line 1: \"-NaN\" is not a number"},
    {"inf 2\n", false, "line 1: \"inf\" is not a number"},
    {"1 2\nNA abc\n", false, "line 2: \"abc\" is not a number"},
    {"1e999 2\n", false, "line 1: \"1e999\" is beyond the double range"},
    {"1;2,5,5\n", false, "line 1: \"2,5,5\" is not a number"},
    {"1 2\x01\n", false, "line 1: \"2\\x01\" is not a number"},
    // quoted texts are cut after 40 bytes, never inside a UTF-8 character
    {"1 0." + k36Digits + "78901234567890x\n", false,
     "line 1: \"0." + k36Digits + "78\"... is not a number"},
    {"1 0." + k36Digits + "\xC3\xA9x\n", false,
     "line 1: \"0." + k36Digits + "\xC3\xA9\"... is not a number"},
    {"1 0." + k36Digits + "7\xC3\xA9x\n", false,
     "line 1: \"0." + k36Digits + "7\"... is not a number"},
    {"1 2 -1\n", true, "line 1: weight \"-1\" is negative"},
    {"1 2 1e-300\n3 4 -1e-300\n", true, "line 2: weight \"-1e-300\" is negative"},
    {"1 2 Inf\n", true, "line 1: \"Inf\" is not a number"},
    // a weight is never missing, the row's other cells whatever they hold
    {"1 2 NaN\n", true, "line 1: \"NaN\" is not a number"},
    {"1 2 nan\n", true, "line 1: \"nan\" is not a number"},
    {"1 2 N/A\n", true, "line 1: missing weight (\"N/A\")"},
    {"1 NA null\n", true, "line 1: missing weight (\"null\")"},
    {"x,y,w\n1,2,\n", true, "line 2: missing weight (empty cell)"},
    {"1 NA -1\n", true, "line 1: weight \"-1\" is negative"},
};

TEST(ReadData, EveryFailureGivesItsExactMessage) {
  for (const FailsCase& c : kFailsCases) {
    for (const std::size_t chunk : kChunkSizes) {
      SCOPED_TRACE(::testing::PrintToString(c.text) + ", chunk " + std::to_string(chunk));
      const Expected<DataSet> result = read_text(c.text, c.weights, chunk);
      ASSERT_FALSE(result.has_value());
      EXPECT_EQ(result.error().message, c.message);
    }
  }
}

TEST(ReadData, TheDisplayNameStartsEveryMessageAndWarning) {
  const Expected<DataSet> fails = read_text("1 2\n3\n", false, 64, "data.csv");
  ASSERT_FALSE(fails.has_value());
  EXPECT_EQ(fails.error().message, "data.csv: line 2: 1 value, expected 2 (x y)");

  const Expected<DataSet> reads = read_text("1 2\nNA 3\n", false, 64, "data.csv");
  ASSERT_TRUE(reads.has_value());
  EXPECT_EQ(reads.value().warnings,
            std::vector<std::string>{"data.csv: line 2: NA cell, row skipped"});

  const Expected<DataSet> empty = read_text("", false, 64, "-");
  ASSERT_FALSE(empty.has_value());
  EXPECT_EQ(empty.error().message, "-: no observations");
}

// What follows the observations is only looked through for values, up to the first line
// the reader cannot take: never an error.
TEST(ReadData, LinesAfterTheLastObservationAreNotData) {
  const std::string observations = "1\n2\n1 2\n3\n4\n";
  constexpr std::size_t kChunk = 16;
  constexpr std::size_t kLineLimit = 1024;
  const std::string text = observations + std::string(100000, '\xFF') + "\n5 6\n";
  const TextFile file(text);
  const Expected<DataSet> result = read_data(file.get(), {}, {}, {kChunk, kLineLimit});
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result.value().series.front().y, (std::vector<double>{2, 4}));
  EXPECT_TRUE(result.value().warnings.empty());
  EXPECT_LE(std::ftell(file.get()), static_cast<long>(observations.size() + kLineLimit + 2 * kChunk));
}

TEST(ReadData, ALineLongerThanTheChunkIsReadWhole) {
  const std::string comment = "# " + std::string(5000, '=') + "\n";
  const std::string long_value = "0." + std::string(3000, '0') + "1";  // 1e-3001: zero
  const std::string text = comment + "1 " + long_value + "\n" + long_value + ",3\n";
  for (const std::size_t chunk : {std::size_t{16}, std::size_t{1000}}) {
    const TextFile file(text);
    const Expected<DataSet> result = read_data(file.get(), {}, {}, table_limits(chunk));
    ASSERT_TRUE(result.has_value()) << result.error().message;
    EXPECT_EQ(result.value().series.front().x, (std::vector<double>{1, 0}));
    EXPECT_EQ(result.value().series.front().y, (std::vector<double>{0, 3}));
  }
}

TEST(ReadData, ALineBeyondTheLineLimitIsAnError) {
  const TextFile file("1 2\n" + std::string(100, '1') + " 2\n");
  const Expected<DataSet> result = read_data(file.get(), "big.txt", {}, {16, 64});
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().message, "big.txt: line 2 is longer than 64 bytes");
}

TEST(ReadData, TwoHundredThousandRowsComeBackInOrder) {
  // 200003 rows "i -ie0": many batches of the storage and chunks of the file
  constexpr int kRows = 200003;
  std::string text;
  for (int i = 0; i < kRows; ++i) text += std::to_string(i) + " -" + std::to_string(i) + "e0\n";
  const TextFile file(text);
  const Expected<DataSet> result = read_data(file.get(), {}, {});
  ASSERT_TRUE(result.has_value());
  const Series& data = result.value().series.front();
  ASSERT_EQ(data.x.size(), static_cast<std::size_t>(kRows));
  ASSERT_EQ(data.y.size(), static_cast<std::size_t>(kRows));
  for (int i = 0; i < kRows; ++i) {
    ASSERT_EQ(data.x[i], i);
    ASSERT_EQ(data.y[i], -i);
  }
}

}  // namespace
}  // namespace polylsq::input
