// List-directed input from files: separators, records, repeat counts, null values,
// slashes, based integers, conversions and the reports of failing reads.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "recio/io.h"
#include "support_lib/aliases.h"
#include "support_lib/files.h"
#include "support_lib/fixtures.h"

namespace polylsq::recio {
namespace {

using polylsq::testing::write_file;

constexpr int kUnset = 99;  // an item that no value reaches keeps it

// One read statement into the items named by `kinds` ('i' integer, 'f' real).
struct Values {
  std::vector<int> ints;
  std::vector<float> reals;
};

void read_items(const std::string& kinds, Values& v) {
  v.ints.assign(kinds.size(), kUnset);
  v.reals.assign(kinds.size(), static_cast<float>(kUnset));
  std::vector<InItem> items;
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    if (kinds[i] == 'i') {
      items.emplace_back(&v.ints[i]);
    } else {
      items.emplace_back(&v.reals[i]);
    }
  }
  // read_list takes a braced list; the tests use at most three items
  switch (items.size()) {
    case 1: read_list(1, {items[0]}); break;
    case 2: read_list(1, {items[0], items[1]}); break;
    case 3: read_list(1, {items[0], items[1], items[2]}); break;
    default: FAIL() << "unsupported item count";
  }
}

// The value an item holds after the read, as a double for comparison.
std::vector<double> held(const std::string& kinds, const Values& v) {
  std::vector<double> out;
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    out.push_back(kinds[i] == 'i' ? v.ints[i] : static_cast<double>(v.reals[i]));
  }
  return out;
}

struct ReadCase {
  const char* what;
  std::string content;
  std::string first;                 // kinds of the first statement
  std::vector<double> expected;      // values held after it
  std::optional<int> next_integer;   // value of a second statement reading one integer
};

class ListInput : public polylsq::testing::WorkingDirTest {
 protected:
  void check(const ReadCase& c) {
    write_file("in.txt", c.content);
    Values v;
    std::optional<int> next;
    const auto run = run_captured_runtime([&] {
      open_unit(1, "in.txt");
      read_items(c.first, v);
      if (c.next_integer) {
        int value = kUnset;
        read_list(1, {&value});
        next = value;
      }
    });
    EXPECT_FALSE(run.failure.has_value()) << c.what << ": " << run.failure.value_or("");
    EXPECT_EQ(held(c.first, v), c.expected) << c.what;
    EXPECT_EQ(next, c.next_integer) << c.what;
  }

  // The report of a statement reading `kinds` from a file holding `content`.
  std::string failure_of(const std::string& content, const std::string& kinds) {
    write_file("B2F.txt", content);
    Values v;
    const auto run = run_captured_runtime([&] {
      open_unit(1, "B2F.txt");
      read_items(kinds, v);
    });
    return run.failure.value_or("no failure");
  }
};

std::string read_report(int number, const std::string& message) {
  return runtime_report('F', number, "READ(B2F.txt)", message);
}

TEST_F(ListInput, SeparatorsRecordsRepeatsNullsAndSlashes) {
  const ReadCase cases[] = {
      {"comma", "3, 4\n", "ii", {3, 4}, {}},
      {"blank", "3 4\n", "ii", {3, 4}, {}},
      {"tab, last line without end", "3\t4", "ii", {3, 4}, {}},
      {"blanks around comma", "3 ,  4\n", "ii", {3, 4}, {}},
      {"split over lines", "3\n4\n", "ii", {3, 4}, {}},
      {"split with empty line", "3\n\n4\n", "ii", {3, 4}, {}},
      {"rest of record skipped", "1 2 3\n9\n", "ii", {1, 2}, 9},
      {"first value only", "3 7\n5\n", "i", {3}, 5},
      {"split, next starts after", "1.5\n2.5 8\n7\n", "ff", {1.5, 2.5}, 7},
      {"repeat", "3*7\n", "iii", {7, 7, 7}, {}},
      {"repeat beyond items", "3*7\n5\n", "ii", {7, 7}, 5},
      {"repeat then value", "2*1.5, 3\n", "fff", {1.5, 1.5, 3}, {}},
      {"null repeat", "2* 4\n", "iii", {kUnset, kUnset, 4}, {}},
      {"null between commas", "1,,3\n", "iii", {1, kUnset, 3}, {}},
      {"leading comma is null", ",5\n", "ii", {kUnset, 5}, {}},
      {"comma after line end", "1,\n,3\n", "iii", {1, kUnset, 3}, {}},
      {"slash ends statement", "1/\n2\n", "ii", {1, kUnset}, 2},
      {"slash after blank", "1 / 5\n6\n", "ii", {1, kUnset}, 6},
      {"slash at start", "/\n6\n", "i", {kUnset}, 6},
      {"CRLF records", "3\r\n4\r\n", "i", {3}, 4},
      {"lone CR records", "3\r4\r", "i", {3}, 4},
      {"CRLF split value", "3\r\n\r\n4\r\n", "ii", {3, 4}, {}},
      {"integer into real", "3 -2\n", "ff", {3, -2}, {}},
  };
  for (const ReadCase& c : cases) check(c);
}

TEST_F(ListInput, IntegerForms) {
  const ReadCase cases[] = {
      {"signed", "+7 -7\n", "ii", {7, -7}, {}},
      {"hex default base", "#FF #1f\n", "ii", {255, 31}, {}},
      {"binary", "2#101\n", "i", {5}, {}},
      {"base 36", "36#z 36#Z\n", "ii", {35, 35}, {}},
      {"largest", "2147483647 -2147483648\n", "ii", {2147483647, -2147483648.0}, {}},
      {"based largest", "16#7FFFFFFF\n", "i", {2147483647}, {}},
  };
  for (const ReadCase& c : cases) check(c);
}

TEST_F(ListInput, RealForms) {
  const ReadCase cases[] = {
      {"D exponent", "1.5D2 1.5d-1\n", "ff", {150, static_cast<double>(0.15f)}, {}},
      {"E exponent", "1.5e+2 25E-1\n", "ff", {150, 2.5}, {}},
      {"signs with D exponent", "+1.5D+2 -2d0\n", "ff", {150, -2}, {}},
      {"no integer digits", "-.5\n", "f", {-0.5}, {}},
      {"no fraction digits", "5.\n", "f", {5}, {}},
      {"largest float", "3.4028235e38\n", "f", {static_cast<double>(std::numeric_limits<float>::max())}, {}},
      {"smallest denormal", "1.4e-45\n", "f", {static_cast<double>(std::numeric_limits<float>::denorm_min())}, {}},
      {"underflow to zero", "1e-50\n", "f", {0.0}, {}},
  };
  for (const ReadCase& c : cases) check(c);
}

TEST_F(ListInput, RealsAreRoundedOnceToTheNearestFloat) {
  // Just above the midpoint of 1 and the next float: through double it would become the
  // midpoint and then round to even (1.0).
  write_file("in.txt", "1.00000005960464477539062500001 0.1\n");
  float x = 0.0f;
  float tenth = 0.0f;
  const auto run = run_captured_runtime([&] {
    open_unit(1, "in.txt");
    read_list(1, {&x, &tenth});
  });
  EXPECT_FALSE(run.failure.has_value());
  EXPECT_EQ(x, std::nextafter(1.0f, 2.0f));
  EXPECT_EQ(std::bit_cast<std::uint32_t>(tenth), 0x3dcccccdu);
}

TEST_F(ListInput, NegativeUnderflowKeepsItsSign) {
  write_file("in.txt", "-1e-50\n");
  float x = 1.0f;
  run_captured_runtime([&] {
    open_unit(1, "in.txt");
    read_list(1, {&x});
  });
  EXPECT_EQ(x, 0.0f);
  EXPECT_TRUE(std::signbit(x));
}

TEST_F(ListInput, FailingValuesGiveTheirReports) {
  const struct {
    const char* content;
    const char* kinds;
    int number;
    const char* message;
    const char* location;  // the report's third line, after "- "
  } cases[] = {
      {"2.0\n", "i", 6203, "invalid integer", "line 1: \"2.0\""},
      {"1.5 2.5\n", "ii", 6203, "invalid integer", "line 1: \"1.5\""},
      {"1e3\n", "i", 6203, "invalid integer", "line 1: \"1e3\""},
      {"12a\n", "i", 6203, "invalid integer", "line 1: \"12a\""},
      {"1;2\n", "i", 6203, "invalid integer", "line 1: \"1;2\""},
      {"37#1\n", "i", 6203, "invalid integer", "line 1: \"37#1\""},
      {"1#1\n", "i", 6203, "invalid integer", "line 1: \"1#1\""},
      {"2#102\n", "i", 6203, "invalid integer", "line 1: \"2#102\""},
      {"#\n", "i", 6203, "invalid integer", "line 1: \"#\""},
      {"0*5\n", "i", 6203, "invalid integer", "line 1: \"0*5\""},
      {"2147483648\n", "i", 6205, "integer out of range", "line 1: \"2147483648\""},
      {"-2147483649\n", "i", 6205, "integer out of range", "line 1: \"-2147483649\""},
      {"16#80000000\n", "i", 6205, "integer out of range", "line 1: \"16#80000000\""},
      {"99999999999999999999\n", "i", 6205, "integer out of range", "line 1: \"99999999999999999999\""},
      {"NaN\n", "f", 6204, "invalid real", "line 1: \"NaN\""},
      {"Inf\n", "f", 6204, "invalid real", "line 1: \"Inf\""},
      {".\n", "f", 6204, "invalid real", "line 1: \".\""},
      {"1.0+5\n", "f", 6204, "invalid real", "line 1: \"1.0+5\""},
      {"1e\n", "f", 6204, "invalid real", "line 1: \"1e\""},
      {"e5\n", "f", 6204, "invalid real", "line 1: \"e5\""},
      {"1.5x\n", "f", 6204, "invalid real", "line 1: \"1.5x\""},
      {"1e39\n", "f", 6206, "real out of range", "line 1: \"1e39\""},
      {"-1e39\n", "f", 6206, "real out of range", "line 1: \"-1e39\""},
      {"3.4028236e38\n", "f", 6206, "real out of range", "line 1: \"3.4028236e38\""},
      {"1e99999999999\n", "f", 6206, "real out of range", "line 1: \"1e99999999999\""},
      {"5\n", "ii", 6201, "end of file encountered", "after line 1"},
      {"", "i", 6201, "end of file encountered", "after line 0"},
      {"\n\n", "i", 6201, "end of file encountered", "after line 2"},
      // lines counted over every kind of line end; the line of the failing value
      {"1\n\n2\r\n3x\n", "iff", 6204, "invalid real", "line 4: \"3x\""},
      {"1\r2\r", "iii", 6201, "end of file encountered", "after line 2"},
      {"1,\r\n\r\n", "ii", 6201, "end of file encountered", "after line 2"},
      {"1\n3*x\n", "ii", 6203, "invalid integer", "line 2: \"3*x\""},
      // the value as written: escapes, UTF-8 kept whole, long values cut after 40 bytes
      {"\"q\"\\\t\n", "f", 6204, "invalid real", "line 1: \"\\\"q\\\"\\\\\""},
      {"a\x01\xff\xc3\xa9\n", "f", 6204, "invalid real", "line 1: \"a\\x01\\xff\xc3\xa9\""},
      {"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\xc3\xa9y\n", "f", 6204, "invalid real",
       "line 1: \"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\"..."},
      // bytes that continue no UTF-8 sequence are escaped one by one, cut after 40 bytes
      {"\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4"
       "\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\xb4\n",
       "f", 6204, "invalid real",
       "line 1: \"\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4"
       "\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4\\xb4"
       "\\xb4\\xb4\\xb4\\xb4\"..."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(failure_of(c.content, c.kinds),
              read_report(c.number, c.message) + "- " + c.location + "\r\n")
        << '"' << c.content << '"';
  }
}

TEST_F(ListInput, ValuesBeforeTheFailingOneAreStored) {
  write_file("in.txt", "4 x\n");
  int a = kUnset;
  int b = kUnset;
  const auto run = run_captured_runtime([&] {
    open_unit(1, "in.txt");
    read_list(1, {&a, &b});
  });
  EXPECT_TRUE(run.failure.has_value());
  EXPECT_EQ(a, 4);
  EXPECT_EQ(b, kUnset);
}

TEST_F(ListInput, ManyRecordsAreReadInOrder) {
  std::string content = "2\n";
  constexpr int kRows = 20000;
  content += std::to_string(kRows) + "\n";
  for (int i = 1; i <= kRows; ++i) content += std::to_string(i) + ", " + std::to_string(-i) + ".5\r\n";
  write_file("in.txt", content);
  int degree = 0;
  int rows = 0;
  double sum = 0.0;
  const auto run = run_captured_runtime([&] {
    open_unit(1, "in.txt");
    read_list(1, {&degree});
    read_list(1, {&rows});
    for (int i = 1; i <= rows; ++i) {
      float x = 0.0f;
      float y = 0.0f;
      read_list(1, {&x, &y});
      sum += x + y;
    }
    close_unit(1);
  });
  EXPECT_FALSE(run.failure.has_value());
  EXPECT_EQ(degree, 2);
  EXPECT_EQ(rows, kRows);
  EXPECT_EQ(sum, -0.5 * kRows);  // each row adds i + (-i - 0.5), exact in double
}

}  // namespace
}  // namespace polylsq::recio
