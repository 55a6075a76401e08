// The accurate fit's reader against the legacy list-directed reader on data files: both
// read the same texts, and every double read, rounded to float, must equal the float the
// legacy reader stores; a text one rejects, the other rejects too. Runs under GoogleTest's
// own main: the legacy test support's floating-point traps are not wanted here.
//
// Not compared: values beyond the float range (the legacy reader rejects them, a double
// holds them) and decimals within 2^-53 of a point halfway between two floats (rounding
// to double first may land on that point and then tie, where rounding straight to float
// does not); no text here comes near either.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "input/data_reader.h"
#include "recio/list_input.h"
#include "text/list_scan.h"
#include "tests/input/text_file.h"

namespace polylsq {
namespace {

// Records of a text as the legacy reader's file unit splits them: "\r\n", "\r" or "\n"
// end one record; a last record without an end is a record.
class TextRecords final : public text::RecordSource {
 public:
  explicit TextRecords(std::string_view text) : text_(text) {}
  bool next_record(std::string_view& record) override {
    if (at_ >= text_.size()) return false;
    const std::size_t end = std::min(text_.find('\n', at_), text_.find('\r', at_));
    const std::size_t stop = end == std::string_view::npos ? text_.size() : end;
    record = text_.substr(at_, stop - at_);
    at_ = stop;
    if (at_ < text_.size()) at_ += text_.compare(at_, 2, "\r\n") == 0 ? 2 : 1;
    return true;
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

struct Observations {
  std::vector<std::uint32_t> x;  // float bits
  std::vector<std::uint32_t> y;
};

// The legacy program's reads: NDEG, NOBS, then one (x, y) read per observation from
// zeroed items. Empty when any read fails.
std::optional<Observations> read_legacy(std::string_view text) {
  TextRecords records(text);
  int ndeg = 0;
  int nobs = 0;
  if (recio::detail::read_list_items(records, {&ndeg}) ||
      recio::detail::read_list_items(records, {&nobs})) {
    return std::nullopt;
  }
  Observations out;
  for (int i = 0; i < nobs; ++i) {
    float x = 0.0f;
    float y = 0.0f;
    if (recio::detail::read_list_items(records, {&x, &y})) return std::nullopt;
    out.x.push_back(std::bit_cast<std::uint32_t>(x));
    out.y.push_back(std::bit_cast<std::uint32_t>(y));
  }
  return out;
}

// The accurate reader, each double rounded to float. Empty when it fails.
std::optional<Observations> read_accurate(const std::string& text) {
  const input::testing::TextFile file(text);
  const Expected<input::DataSet> data = input::read_data(file.get(), {}, {});
  if (!data) return std::nullopt;
  EXPECT_EQ(data->format, input::DataFormat::kDataFile);
  const auto float_bits = [](double v) {
    return std::bit_cast<std::uint32_t>(static_cast<float>(v));
  };
  Observations out;
  for (const double v : data->series.front().x) out.x.push_back(float_bits(v));
  for (const double v : data->series.front().y) out.y.push_back(float_bits(v));
  return out;
}

// `reads`: whether the text is a valid data file (both readers must then read it).
void expect_agreement(const std::string& text, bool reads) {
  SCOPED_TRACE(::testing::PrintToString(text.substr(0, 200)));
  const std::optional<Observations> legacy = read_legacy(text);
  const std::optional<Observations> accurate = read_accurate(text);
  ASSERT_EQ(legacy.has_value(), reads);
  ASSERT_EQ(accurate.has_value(), reads);
  if (!reads) return;
  EXPECT_EQ(accurate->x, legacy->x);
  EXPECT_EQ(accurate->y, legacy->y);
}

struct DataFileCase {
  const char* text;
  bool reads;
};

const DataFileCase kDataFiles[] = {
    {"1\n3\n1 2\n3,4\n5 , 6\n", true},
    {"2\r\n2\r\n\t-1.5\t2.25\t\r\n3 ,4\r\n", true},
    {"1\r2\r1 2\r3 4", true},
    {"1\n2\n2*7\n3 4\n", true},
    {"1\n2\n1*3, 1*4\n5 2*6\n", true},
    {"1\n3\n2*\n,5\n6,,\n", true},
    {"1\n3\n5/\n/ 7\n1/2\n", true},
    {"1\n2\n1\n\n2\n1,\n,4\n", true},
    {"1\n2\n1 2 3\n4 5 six /\n", true},
    {"1\n3\n1.5D3 -2.5d-1\n1E+2 .5e-1\n-0 +7.\n", true},
    {"1\n2\n3.4028234e38 -3.4028235E38\n1.17549435e-38 1.4e-45\n", true},
    {"1\n2\n1e-50 -1d-50\n7.006492e-46 -0.7006492e-45\n", true},
    {"1\n2\n0.1 0.2\n0.30000001192092896 16777217\n", true},
    {"1\n1\n1.000000059604644775390625 1.000000178813934326171875\n", true},  // float midpoints
    {"1\n2\n123456789012345678901234567890 0.000000000000000000000000000123\n5 6\n", true},
    {"1\n1\n1 2\n3.O512 garbage after the last observation\n", true},
    // both reject
    {"1\n3\n1 2\n3.O512 4\n", false},
    {"1\n1\nNaN 1\n", false},
    {"1\n1\n1 -Inf\n", false},
    {"1\n1\n. 1\n", false},
    {"1\n1\n1+5 1\n", false},
    {"1\n1\n1 #5\n", false},
    {"1\n1\n2*3*4\n", false},
    {"1\n1\n0*5\n", false},
    {"1\n1\n*5\n", false},
    {"1\n3\n1 2\n3 4\n", false},
    {"1\n2\n1 2\n3\n\n", false},
};

TEST(ReaderAgreement, HandWrittenDataFilesReadAsTheLegacyReaderReadsThem) {
  for (const DataFileCase& c : kDataFiles) expect_agreement(c.text, c.reads);
}

TEST(ReaderAgreement, GeneratedValuesInEveryNotationReadAsTheLegacyReaderReadsThem) {
  // 3000 observations of magnitudes from 1e-30 to 1e31 (inside the float range) written in
  // fixed, exponent and D notation with 1 to 12 digits, separated as the format allows
  std::mt19937 rng(20240611u);
  std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
  std::uniform_int_distribution<int> exponent(-30, 30);
  std::uniform_int_distribution<int> digits(1, 12);
  std::uniform_int_distribution<int> style(0, 3);
  const char* const separators[] = {" ", ",", " , ", "\t", "\n"};
  std::uniform_int_distribution<int> separator(0, 4);
  constexpr int kCount = 3000;
  std::string text = "3\n" + std::to_string(kCount) + "\n";
  char value[64];
  for (int i = 0; i < 2 * kCount; ++i) {
    const double v = mantissa(rng) * std::pow(10.0, exponent(rng));
    const int precision = digits(rng);
    switch (style(rng)) {
      case 0: std::snprintf(value, sizeof value, "%.*g", precision, v); break;
      case 1: std::snprintf(value, sizeof value, "%.*E", precision, v); break;
      case 2:
        std::snprintf(value, sizeof value, "%.*e", precision, v);
        if (char* e = std::strchr(value, 'e')) *e = 'D';
        break;
      default: std::snprintf(value, sizeof value, "%.*f", precision, v); break;
    }
    text += value;
    text += i % 2 == 0 ? separators[separator(rng)] : "\r\n";
  }
  expect_agreement(text, true);
}

}  // namespace
}  // namespace polylsq
