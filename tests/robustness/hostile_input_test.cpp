// Hostile data files: the real program on input nobody planned for keeps its promises
// (robustness/promises.h) and, where the run-time's form is fixed, gives the exact report.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "robustness/checked_run.h"
#include "support_lib/case_name.h"

namespace polylsq::robustness {
namespace {

// A degree-2 fit of six observations that reaches the report.
const std::string kPairs = "1 2.1\n2 3.9\n3 8.2\n4 15.8\n5 26.1\n6 37.0\n";
const std::string kGood = "2\n6\n" + kPairs;

std::string repeat(std::string_view unit, std::size_t times) {
  std::string s;
  s.reserve(unit.size() * times);
  for (std::size_t i = 0; i < times; ++i) s += unit;
  return s;
}

// Deterministic bytes of every value, from a 64-bit linear congruential generator.
std::string garbage(std::size_t length, std::uint64_t seed) {
  std::string s(length, '\0');
  for (char& c : s) {
    seed = seed * 6364136223846793005u + 1442695040888963407u;
    c = static_cast<char>(seed >> 56);
  }
  return s;
}

constexpr std::size_t kTenMegabytes = 10u << 20;

const std::string kEndOfFile = io_report(6201, "READ", "B2F.txt", "end of file encountered");
const std::string kInvalidInteger = io_report(6203, "READ", "B2F.txt", "invalid integer");
const std::string kInvalidReal = io_report(6204, "READ", "B2F.txt", "invalid real");
const std::string kIntegerRange = io_report(6205, "READ", "B2F.txt", "integer out of range");
const std::string kRealRange = io_report(6206, "READ", "B2F.txt", "real out of range");

// What a case expects beyond the promises.
struct Expect {
  int status = 0;                  // exit status
  std::string err;                 // exact standard error (status 1)
  std::string out_contains;        // a text that standard output must hold
  bool reaches_report = false;     // the console report and seven records
  std::string same_run_as;         // data whose run must give the same output and result
};

struct HostileCase {
  const char* name;
  std::function<std::string()> data;
  Expect expect;
};

// A run-time report; a failing read adds where it stopped (`after line 5`, `line 7: "x"`).
Expect fails_with(const std::string& report, const std::string& location = "") {
  return Expect{1, location.empty() ? report : report + "- " + location + "\r\n", "", false, ""};
}
Expect reaches_report() { return Expect{0, "", "", true, ""}; }
Expect same_run_as(std::string data) { return Expect{0, "", "", true, std::move(data)}; }
Expect stops_showing(std::string text) { return Expect{3, "", std::move(text), false, ""}; }

// The start of a long value as the report quotes it: 40 bytes, then "..." after the quote.
std::string cut(const std::string& forty_bytes) { return "\"" + forty_bytes + "\"..."; }

const HostileCase kCases[] = {
    // Nothing to read.
    {"EmptyFile", [] { return std::string(); }, fails_with(kEndOfFile, "after line 0")},
    {"OnlyWhitespace", [] { return std::string(" \t \r\n\n  \t\r\n   "); },
     fails_with(kEndOfFile, "after line 4")},
    {"OnlyLineEnds", [] { return repeat("\r\n", 1000); }, fails_with(kEndOfFile, "after line 1000")},
    // Bytes that are no text.
    {"NulBytes", [] { return std::string("\0\0\0\n\0\n", 6); },
     fails_with(kInvalidInteger, "line 1: \"\\x00\\x00\\x00\"")},
    {"NulInsideTheDegree", [] { return std::string("2\0\n6\n", 5) + kPairs; },
     fails_with(kInvalidInteger, "line 1: \"2\\x00\"")},
    {"BinaryGarbage", [] { return "\x89PNG\r\n\x1a\n" + garbage(65536, 1); },
     fails_with(kInvalidInteger, "line 1: \"\\x89PNG\"")},
    {"GarbageInsteadOfObservations", [] { return "2\n6\n\x01\x02\x7f\xff\xfe garbage\n"; },
     fails_with(kInvalidReal, "line 3: \"\\x01\\x02\\x7f\\xff\\xfe\"")},
    {"HighBitLetterInANumber", [] { return "2\n6\n1 2.1\n2 3.9\xc3\xa9\n"; },
     fails_with(kInvalidReal, "line 4: \"3.9\xc3\xa9\"")},
    // A 10 MB line in each place.
    {"TenMegabyteLineOfBlanksAfterTheDegree",
     [] { return "2" + repeat(" ", kTenMegabytes) + "\n6\n" + kPairs; }, same_run_as(kGood)},
    {"TenMegabyteDegree", [] { return repeat("9", kTenMegabytes) + "\n6\n" + kPairs; },
     fails_with(kIntegerRange, "line 1: " + cut(repeat("9", 40)))},
    {"TenMegabyteLineOfValuesForOnePair", [] { return "2\n6\n1 2.1" + repeat(" 7", kTenMegabytes / 2) + "\n" + kPairs.substr(6); },
     same_run_as(kGood)},
    {"TenMegabyteRealTooLarge", [] { return "2\n6\n1" + repeat("0", kTenMegabytes) + " 2\n"; },
     fails_with(kRealRange, "line 3: " + cut("1" + repeat("0", 39)))},
    {"TenMegabyteRealEqualToOne",
     [] { return "2\n6\n1." + repeat("0", kTenMegabytes) + " 2.1\n" + kPairs.substr(6); }, same_run_as(kGood)},
    {"TenMegabyteGarbageLine", [] { return "2\n6\n" + repeat("x", kTenMegabytes); },
     fails_with(kInvalidReal, "line 3: " + cut(repeat("x", 40)))},
    // Numbers of a thousand digits.
    {"ThousandDigitDegree", [] { return "1" + repeat("0", 999) + "\n6\n" + kPairs; },
     fails_with(kIntegerRange, "line 1: " + cut("1" + repeat("0", 39)))},
    {"ThousandDigitDegreeOfLeadingZeros", [] { return repeat("0", 999) + "2\n6\n" + kPairs; },
     same_run_as(kGood)},
    {"ThousandDigitAbscissaTooLarge", [] { return "2\n6\n1" + repeat("0", 999) + " 2\n"; },
     fails_with(kRealRange, "line 3: " + cut("1" + repeat("0", 39)))},
    {"ThousandDigitAbscissaWithExponentIsOne",
     [] { return "2\n6\n1" + repeat("0", 999) + "E-999 2.1\n" + kPairs.substr(6); }, same_run_as(kGood)},
    {"ThousandDigitResponse", [] { return "2\n6\n1 2.1" + repeat("0", 998) + "\n" + kPairs.substr(6); },
     same_run_as(kGood)},
    {"ThousandDigitFractionUnderflowsToZero",
     [] { return "2\n6\n0." + repeat("0", 999) + "1 2\n" + kPairs.substr(6); },
     same_run_as("2\n6\n0 2\n" + kPairs.substr(6))},
    // Reals beyond the float range, at its ends, and signed zeros.
    {"HugeExponent", [] { return "2\n6\n1 1e99999\n"; }, fails_with(kRealRange, "line 3: \"1e99999\"")},
    {"HugeNegativeExponentValue", [] { return "2\n6\n1 -1e99999\n"; },
     fails_with(kRealRange, "line 3: \"-1e99999\"")},
    {"ExponentBeyondSixtyFourBits", [] { return "2\n6\n1 1e99999999999999999999999\n"; },
     fails_with(kRealRange, "line 3: \"1e99999999999999999999999\"")},
    {"HugeExponentIntoTheDegree", [] { return "1e99999\n"; },
     fails_with(kInvalidInteger, "line 1: \"1e99999\"")},
    {"TinyExponentIsZero", [] { return "2\n6\n0 1e-99999\n" + kPairs.substr(6); },
     same_run_as("2\n6\n0 0\n" + kPairs.substr(6))},
    {"TinyExponentBeyondSixtyFourBits",
     [] { return "2\n6\n0 1D-99999999999999999999999\n" + kPairs.substr(6); },
     same_run_as("2\n6\n0 0\n" + kPairs.substr(6))},
    {"NegativeZero", [] { return "2\n6\n-0 -0.0\n" + kPairs.substr(6); }, reaches_report()},
    {"SmallestDenormal", [] { return "2\n6\n1.401298464324817e-45 1.4E-45\n" + kPairs.substr(6); },
     reaches_report()},
    {"HalfTheSmallestDenormalIsZero", [] { return "2\n6\n0 7.0e-46\n" + kPairs.substr(6); },
     same_run_as("2\n6\n0 0\n" + kPairs.substr(6))},
    // The largest float is read; its square overflows in the fit: the trap's report.
    {"LargestFloat", [] { return "2\n6\n1 3.4028235e38\n" + kPairs.substr(6); },
     fails_with("\r\nrun-time error M6104: MATH\r\n- floating-point error: overflow\r\n")},
    {"JustBeyondTheLargestFloat", [] { return "2\n6\n1 3.4028236e38\n2 -3.5e38\n"; },
     fails_with(kRealRange, "line 3: \"3.4028236e38\"")},
    {"InfinityAndNanAreNoReals", [] { return "2\n6\n1 Inf\n"; }, fails_with(kInvalidReal, "line 3: \"Inf\"")},
    // Integers at the ends of the 32-bit range.
    {"DegreeLargestInteger", [] { return "2147483647\n6\n" + kPairs; }, stops_showing("NDEG = 2147483647.")},
    {"DegreeJustBeyondTheLargestInteger", [] { return "2147483648\n6\n" + kPairs; },
     fails_with(kIntegerRange, "line 1: \"2147483648\"")},
    {"DegreeSmallestInteger", [] { return "-2147483648\n6\n" + kPairs; }, stops_showing("NDEG = -2147483648.")},
    {"DegreeJustBelowTheSmallestInteger", [] { return "-2147483649\n6\n" + kPairs; },
     fails_with(kIntegerRange, "line 1: \"-2147483649\"")},
    {"CountSmallestInteger", [] { return "2\n-2147483648\n" + kPairs; }, stops_showing("NOBS = -2147483648")},
    {"BasedCountJustBeyondTheRange", [] { return "2\n16#80000000\n" + kPairs; },
     fails_with(kIntegerRange, "line 2: \"16#80000000\"")},
    {"BasedCountOfThirtyTwoOnes", [] { return "2\n2#" + repeat("1", 32) + "\n" + kPairs; },
     fails_with(kIntegerRange, "line 2: \"2#" + repeat("1", 32) + "\"")},
    {"BasedCountLargestInteger", [] { return "2\n#7FFFFFFF\n" + kPairs; },
     fails_with(kEndOfFile, "after line 8")},
    // Repeat counts.
    {"HugeRepeatCountForTheDegree", [] { return "2147483647*2\n6\n" + kPairs; }, same_run_as(kGood)},
    {"RepeatCountBeyondTheRange", [] { return "2147483648*2\n6\n" + kPairs; },
     fails_with(kInvalidInteger, "line 1: \"2147483648*2\"")},
    {"RepeatCountOfTwentyDigits", [] { return "2\n6\n99999999999999999999*1.5\n"; },
     fails_with(kInvalidReal, "line 3: \"99999999999999999999*1.5\"")},
    {"ZeroRepeatCount", [] { return "0*2\n6\n" + kPairs; }, fails_with(kInvalidInteger, "line 1: \"0*2\"")},
    {"HugeRepeatCountOfNullValues", [] { return "2147483647*\n6\n" + kPairs; },
     same_run_as("0\n6\n" + kPairs)},
    {"HugeRepeatCountForAPair", [] { return "2\n6\n2147483647*1\n" + kPairs.substr(6); },
     same_run_as("2\n6\n1 1\n" + kPairs.substr(6))},
    // Slashes.
    {"SlashBeforeAllItems", [] { return std::string("/\n/\n/\n"); }, stops_showing("NOBS = 0")},
    {"SlashBeforeEveryPair", [] { return "2\n6\n" + repeat("/\n", 6); }, stops_showing("RCURV")},
    {"SlashAfterTheAbscissa", [] { return "2\n6\n1/ 2.1\n" + kPairs.substr(6); },
     same_run_as("2\n6\n1 0\n" + kPairs.substr(6))},
};

TEST(HostileInput, CaseNamesAreUnique) {
  std::vector<std::string> names;
  for (const HostileCase& c : kCases) names.emplace_back(c.name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
}

// Shown by name in test listings.
void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.name; }

class HostileInputRun : public ProgramRunTest, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostileInputRun, KeepsThePromises) {
  const HostileCase& c = GetParam();
  const Expect& expect = c.expect;
  const ChildRun run = run_and_check(c.data(), kOldResult);
  EXPECT_EQ(run.status, expect.status);
  if (expect.status == 1) {
    EXPECT_EQ(run.err, expect.err);
  }
  if (!expect.out_contains.empty()) {
    EXPECT_NE(run.out.find(expect.out_contains), std::string::npos) << run.out;
  }
  const std::optional<std::string> result = read_file(dir_ / "F2B.txt");
  if (expect.reaches_report) {
    EXPECT_NE(result, kOldResult) << "no result was written";
  } else {
    EXPECT_EQ(result, kOldResult) << "the old result file was changed";
  }
  if (!expect.same_run_as.empty()) {
    std::error_code ec;
    fs::remove(dir_ / "F2B.txt", ec);
    write_file(dir_ / "B2F.txt", expect.same_run_as);
    const ChildRun reference = run_program(dir_);
    EXPECT_EQ(reference.status, 0);
    EXPECT_EQ(run.out, reference.out);
    EXPECT_EQ(result, read_file(dir_ / "F2B.txt"));
  }
}

INSTANTIATE_TEST_SUITE_P(Data, HostileInputRun, ::testing::ValuesIn(kCases), testing::CaseName());

// The same observations with every kind of record end give the same run.
class LineEnds : public ProgramRunTest {};

TEST_F(LineEnds, CrLfLoneCrLoneLfAndAnUnterminatedLastLineReadAlike) {
  const std::string lf = "3\n6\n1 2.1\n2 3.9\n3 8.2\n4 15.8\n5 26.1\n6 37.0\n";
  auto with_ends = [&](std::string_view end) {
    std::string s;
    for (const char c : lf) {
      if (c == '\n') {
        s += end;
      } else {
        s += c;
      }
    }
    return s;
  };
  const ChildRun reference = run_and_check(lf, std::nullopt);
  ASSERT_EQ(reference.status, 0);
  const std::optional<std::string> reference_result = read_file(dir_ / "F2B.txt");
  ASSERT_TRUE(reference_result.has_value());
  const std::string variants[] = {
      with_ends("\r\n"), with_ends("\r"), lf.substr(0, lf.size() - 1),
      with_ends("\r\n").substr(0, with_ends("\r\n").size() - 2),
      "3\r\n6\n1 2.1\r2 3.9\r\n3 8.2\n4 15.8\r5 26.1\r\n6 37.0",  // mixed
  };
  for (const std::string& data : variants) {
    SCOPED_TRACE(::testing::PrintToString(data));
    std::error_code ec;
    fs::remove(dir_ / "F2B.txt", ec);
    const ChildRun run = run_and_check(data, std::nullopt);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, reference.out);
    EXPECT_EQ(read_file(dir_ / "F2B.txt"), reference_result);
  }
}

// A claimed count far beyond the data ends at the end of the file, quickly, with memory
// that follows the data read and not the count.
class HugeCount : public ProgramRunTest {};

// Peak resident set of a run that reads three observations: the program, its libraries
// and the run-time's buffers, far below the 16 GiB that 2^31 pairs would take. The
// sanitizers' shadow memory and allocator caches add their own tens of megabytes.
constexpr long kPeakRssLimitKb = kSanitized ? 256 * 1024 : 32 * 1024;

TEST_F(HugeCount, LargestCountWithThreeObservationsEndsAtEndOfFile) {
  const ChildRun run = run_and_check("2\n2147483647\n1 2\n2 3\n3 5\n", kOldResult);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, kEndOfFile + "- after line 5\r\n");
  EXPECT_LT(run.peak_rss_kb, kPeakRssLimitKb);
  EXPECT_LT(run.seconds, 5.0);
  std::printf("NOBS = 2147483647 with three observations: %.3f s, peak RSS %ld kB%s\n", run.seconds,
              run.peak_rss_kb, kSanitized ? " (sanitized build)" : "");
}

// A million observations: the run completes and writes its seven records.
class MillionObservations : public ProgramRunTest {};

TEST_F(MillionObservations, CompletesWithSevenRecords) {
  constexpr int kCount = 1000000;
  std::string data = "5\n" + std::to_string(kCount) + "\n";
  data.reserve(24u * kCount);
  std::uint64_t seed = 42;
  char line[64];
  for (int i = 0; i < kCount; ++i) {
    seed = seed * 6364136223846793005u + 1442695040888963407u;
    const double noise = static_cast<double>(seed >> 11) * 0x1.0p-53 - 0.5;
    const double x = -10.0 + 20.0 * (i % 20011) / 20011.0;
    const double y = 1.5 - 2.0 * x + 0.25 * x * x + noise;
    std::snprintf(line, sizeof line, "%.5f %.5f\n", x, y);
    data += line;
  }
  const ChildRun run = run_and_check(data, kOldResult);
  EXPECT_EQ(run.status, 0);
  const std::optional<std::string> result = read_file(dir_ / "F2B.txt");
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(check_result_file(*result), "");
  std::printf("1,000,000 observations: %.2f s, peak RSS %ld kB%s\n", run.seconds, run.peak_rss_kb,
              kSanitized ? " (sanitized build)" : "");
}

}  // namespace
}  // namespace polylsq::robustness
