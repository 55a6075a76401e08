// The two-thread reading of plain rows: the same observations, bit for bit and in order,
// as one thread, the values those of the C library's strtod; one second thread serving many
// readings; the first failure named by its line wherever the cut between the parts falls; a
// count that ends inside a later part.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "input/data_reader.h"
#include "input/plain_row.h"
#include "input/second_reader.h"
#include "tests/input/text_file.h"

namespace polylsq::input {
namespace {

using testing::table_limits;
using testing::TextFile;

constexpr std::size_t kRows = 3000;
constexpr std::size_t kHeaderLines = 2;  // degree and count of the data-file format

std::vector<std::uint64_t> bits(const std::vector<double>& values) {
  std::vector<std::uint64_t> out;
  for (const double v : values) out.push_back(std::bit_cast<std::uint64_t>(v));
  return out;
}

// Plain values of every form the fast lanes read or leave: short reals, eight or more
// digits a side, exponents, integers.
std::string random_value(std::mt19937_64& rng) {
  const std::string digits = std::to_string(rng() % 1000000000000ULL);
  const std::string sign = rng() % 2 == 0 ? "-" : "";
  const std::string forms[] = {
      digits.substr(0, 1 + rng() % 4) + "." + digits.substr(0, 1 + rng() % 7),
      digits + "." + digits,
      digits.substr(0, 3) + "e" + std::to_string(static_cast<int>(rng() % 40) - 20),
      digits.substr(0, 1 + rng() % 6), "." + digits.substr(0, 1 + rng() % 9)};
  return sign + forms[rng() % 5];
}

struct Table {
  std::string text;
  std::vector<double> x, y, w;  // by strtod
};

// kRows rows of x y (w), separated by blanks or a comma, ending in "\n" or "\r\n".
Table random_table(std::uint64_t seed, bool weights, bool data_file) {
  std::mt19937_64 rng(seed);
  Table table;
  if (data_file) table.text = "3\n" + std::to_string(kRows) + "\n";
  for (std::size_t i = 0; i < kRows; ++i) {
    const std::string x = random_value(rng);
    const std::string y = random_value(rng);
    const std::string separator = rng() % 3 == 0 ? ", " : " ";
    table.text += x + separator + y;
    table.x.push_back(std::strtod(x.c_str(), nullptr));
    table.y.push_back(std::strtod(y.c_str(), nullptr));
    if (weights) {
      const std::string w = std::to_string(rng() % 1000) + "." + std::to_string(rng() % 100);
      table.text += separator + w;
      table.w.push_back(std::strtod(w.c_str(), nullptr));
    }
    table.text += rng() % 4 == 0 ? "\r\n" : "\n";
  }
  return table;
}

// The chunks of the tables: two threads below the default chunk (table_limits), one at it.
constexpr std::size_t kChunks[] = {64, 4096, StreamLimits{}.chunk_bytes};

TEST(TwoThreads, ReadTheBitsOfOneThreadInBothFormats) {
  for (const auto& [data_file, weights] : {std::pair{true, false}, {false, false}, {false, true}}) {
    const Table table = random_table(data_file ? 11 : weights ? 12 : 13, weights, data_file);
    ReadOptions options;
    options.weights = weights;
    for (const std::size_t chunk : kChunks) {
      SCOPED_TRACE("data file " + std::to_string(data_file) + ", weights " +
                   std::to_string(weights) + ", chunk " + std::to_string(chunk));
      const TextFile file(table.text);
      const Expected<DataSet> read = read_data(file.get(), {}, options, table_limits(chunk));
      ASSERT_TRUE(read.has_value()) << read.error().message;
      const Series& series = read->series.front();
      EXPECT_EQ(bits(series.x), bits(table.x));
      EXPECT_EQ(bits(series.y), bits(table.y));
      EXPECT_EQ(bits(series.w), bits(table.w));
      EXPECT_TRUE(read->warnings.empty());
    }
  }
}

// One second thread serves reading after reading, a reading may be dropped midway, and the
// thread ends with a reading under way.
TEST(TwoThreads, OneSecondReaderServesReadingAfterReading) {
  const Table table = random_table(21, false, false);
  static const FieldClasses kClasses = make_field_classes(",", "#");
  const PlainRowForm form{2, &kClasses, std::size_t{1} << 20, false};
  const std::size_t all = std::numeric_limits<std::size_t>::max();
  PlainColumns alone;
  const PlainRun expected = scan_plain_rows_into(table.text, form, all, alone);
  ASSERT_EQ(expected.rows, kRows);
  SecondReader second;
  for (int reading = 0; reading < 40; ++reading) {
    SCOPED_TRACE("reading " + std::to_string(reading));
    const std::size_t most = reading % 5 == 4 ? kRows / 3 : all;
    ASSERT_TRUE(second.start(table.text, form, most));
    if (reading % 7 == 3) {
      second.abandon();
      continue;
    }
    const PlainRun run = second.finish();
    EXPECT_EQ(run.rows, std::min(most, expected.rows));
    ASSERT_EQ(second.columns()[0].size(), run.rows);
    const auto prefix = [&](std::size_t k) {
      return std::vector<double>(alone[k].begin(), alone[k].begin() + run.rows);
    };
    EXPECT_EQ(bits(second.columns()[0]), bits(prefix(0)));
    EXPECT_EQ(bits(second.columns()[1]), bits(prefix(1)));
  }
  ASSERT_TRUE(second.start(table.text, form, all));
}

TEST(TwoThreads, TheFirstFailureIsNamedByItsLineInAnyPart) {
  struct FailureCase {
    std::size_t row;  // 0-based row of plain columns replaced by `line`
    std::string line;
    bool weights;
    std::string message;  // after "line N: "
  };
  const FailureCase cases[] = {
      {1, "3.O5 4", false, "\"3.O5\" is not a number"},
      {kRows / 2, "3.O5 4", false, "\"3.O5\" is not a number"},
      {kRows / 2 + 1, "1 2 3", false, "3 values, expected 2 (x y)"},
      {kRows - 1, "1 2x", false, "\"2x\" is not a number"},
      {kRows * 3 / 4, "1 2 -0.5", true, "weight \"-0.5\" is negative"},
      {kRows - 2, "1e999 2 1", true, "\"1e999\" is beyond the double range"},
  };
  for (const FailureCase& c : cases) {
    std::string text;
    for (std::size_t i = 0; i < kRows; ++i) {
      text += i == c.row ? c.line
                         : std::to_string(i) + ".25 -" + std::to_string(i) + ".5" +
                               (c.weights ? " 1" : "");
      text += "\n";
    }
    ReadOptions options;
    options.weights = c.weights;
    for (const std::size_t chunk : kChunks) {
      SCOPED_TRACE(c.line + " on row " + std::to_string(c.row) + ", chunk " +
                   std::to_string(chunk));
      const TextFile file(text);
      const Expected<DataSet> read = read_data(file.get(), {}, options, table_limits(chunk));
      ASSERT_FALSE(read.has_value());
      EXPECT_EQ(read.error().message, "line " + std::to_string(c.row + 1) + ": " + c.message);
    }
  }
}

TEST(TwoThreads, ACountThatEndsInALaterPartKeepsItsObservations) {
  // kRows rows "i 2i" after a count of `count`: the first `count` rows are read and the
  // next line is named in the warning
  for (const std::size_t count : {std::size_t{1}, kRows / 3, kRows * 2 / 3, kRows - 1}) {
    std::string text = "1\n" + std::to_string(count) + "\n";
    for (std::size_t i = 0; i < kRows; ++i) {
      text += std::to_string(i) + " " + std::to_string(2 * i) + "\n";
    }
    for (const std::size_t chunk : kChunks) {
      SCOPED_TRACE("count " + std::to_string(count) + ", chunk " + std::to_string(chunk));
      const TextFile file(text);
      const Expected<DataSet> read = read_data(file.get(), {}, {}, table_limits(chunk));
      ASSERT_TRUE(read.has_value()) << read.error().message;
      const Series& series = read->series.front();
      ASSERT_EQ(series.x.size(), count);
      for (std::size_t i = 0; i < count; ++i) {
        ASSERT_EQ(series.x[i], static_cast<double>(i));
        ASSERT_EQ(series.y[i], static_cast<double>(2 * i));
      }
      ASSERT_EQ(read->warnings.size(), 1u);
      EXPECT_EQ(read->warnings.front(),
                "line " + std::to_string(kHeaderLines + count + 1) + ": values beyond the " +
                    std::to_string(count) + (count == 1 ? " observation" : " observations") +
                    " that the count announces; this line and those after it are not read");
    }
  }
}

}  // namespace
}  // namespace polylsq::input
