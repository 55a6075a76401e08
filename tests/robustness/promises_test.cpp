// The promise checks that judge every robustness run and every fuzz input: each kind of
// broken promise is caught, and the runs that keep them pass.
#include <gtest/gtest.h>

#include <string>

#include "robustness/promises.h"
#include "support_lib/case_name.h"

namespace polylsq::robustness {
namespace {

std::string console(const std::string& b1, const std::string& r2) {
  return std::string(kBanner) +
         "\r\n------------------------------------- "
         "\r\n  B(1) = " + b1 + "\r\n  B(2) =    -1.582\r\n  B(3) =     1.241"
         "\r\n  B(4) =      .000\r\n  B(5) =      .000\r\n  B(6) =      .000"
         "\r\n  R-squared = " + r2 + "\r\n------------------------------------- \r\n "
         "\r\n   --- Calculation was finished ---\r\n " + std::string(kPushEnter) + "\r\n" +
         std::string(kStopLine);
}

std::string result(const std::string& b1, const std::string& r2) {
  return b1 + "\r\n    -1.582\r\n     1.241\r\n      .000\r\n      .000\r\n      .000\r\n" + r2 + "\r\n";
}

const std::string kGoodOut = console("    2.230", "     99.8928");
const std::string kGoodResult = result("     2.230", "     99.8928");
const std::string kOld = "old\r\n";
const std::string kReadReport =
    "\r\nrun-time error F6201: READ(B2F.txt)\r\n- end of file encountered\r\n- after line 2\r\n";
const std::string kBannerOnly = std::string(kBanner) + "\r\n";

struct PromiseCase {
  const char* name;
  int status;
  std::string out;
  std::string err;
  std::optional<std::string> before;
  std::optional<std::string> after;
  bool kept;
};

const PromiseCase kCases[] = {
    {"FullRunKeeps", 0, kGoodOut, "", kOld, kGoodResult, true},
    {"ReadFailureKeeps", 1, kBannerOnly, kReadReport, kOld, kOld, true},
    {"MathReportKeeps", 1, kBannerOnly, "\r\nrun-time error M6104: MATH\r\n- floating-point error: overflow\r\n",
     std::nullopt, std::nullopt, true},
    {"LibraryStopKeeps", 3, kBannerOnly + "*** TERMINAL ERROR\r\n" + std::string(kStopLine), "", kOld, kOld,
     true},
    {"LibraryStopWithStatusZeroBreaks", 0, kBannerOnly + "*** TERMINAL ERROR\r\n" + std::string(kStopLine), "",
     kOld, kOld, false},
    {"ReportWithStatusThreeBreaks", 3, kGoodOut, "", kOld, kGoodResult, false},
    {"NanTextsInBothPlacesKeep", 0, console("1#QNAN...", "1#QNAN......"), "", std::nullopt,
     result("1#QNAN....", "1#QNAN......"), true},
    {"AsterisksOnTheConsoleOnlyKeep", 0, console("*********", "     99.8928"), "", std::nullopt,
     result("123456.000", "     99.8928"), true},
    {"SanitizerReportBreaks", 1, kBannerOnly, kReadReport + "==1==ERROR: AddressSanitizer: heap-buffer-overflow\n",
     kOld, kOld, false},
    {"TwoReportsBreak", 1, kBannerOnly, kReadReport + kReadReport, kOld, kOld, false},
    {"StderrAfterAStopBreaks", 0, kGoodOut, "terminate called after throwing\n", kOld, kGoodResult, false},
    {"OtherStatusBreaks", 134, kBannerOnly, "", kOld, kOld, false},
    {"MissingStopLineBreaks", 0, kGoodOut.substr(0, kGoodOut.size() - kStopLine.size()), "", kOld,
     kGoodResult, false},
    {"MissingOwedLineEndAfterAReportBreaks", 1, std::string(kBanner), kReadReport, kOld, kOld, false},
    {"ResultChangedByAFailedReadBreaks", 1, kBannerOnly, kReadReport, kOld, kGoodResult, false},
    {"ResultCreatedByALibraryStopBreaks", 3, kBannerOnly + std::string(kStopLine), "", std::nullopt,
     kGoodResult, false},
    {"SixRecordsBreak", 0, kGoodOut, "", kOld, kGoodResult.substr(0, kGoodResult.size() - 14), false},
    {"LoneLineFeedsBreak", 0, kGoodOut, "", kOld,
     "     2.230\n    -1.582\n     1.241\n      .000\n      .000\n      .000\n     99.8928\n", false},
    {"WrongWidthBreaks", 0, console("    2.230", "    99.8928"), "", kOld, result("    2.230", "    99.8928"),
     false},
    {"ConsoleAndFileDisagreeBreaks", 0, console("    2.231", "     99.8928"), "", kOld, kGoodResult, false},
    {"MissingResultAfterTheReportBreaks", 0, kGoodOut, "", std::nullopt, std::nullopt, false},
    {"NoBannerBreaks", 0, std::string(kStopLine), "", kOld, kOld, false},
};

void PrintTo(const PromiseCase& c, std::ostream* os) { *os << c.name; }

class Promises : public ::testing::TestWithParam<PromiseCase> {};

TEST_P(Promises, AreJudgedAsKeptOrBroken) {
  const PromiseCase& c = GetParam();
  const RunView view{c.status, c.out, c.err, c.before, c.after};
  const std::string verdict = check_run(view);
  if (c.kept) {
    EXPECT_EQ(verdict, "");
  } else {
    EXPECT_NE(verdict, "");
  }
}

INSTANTIATE_TEST_SUITE_P(Runs, Promises, ::testing::ValuesIn(kCases), testing::CaseName());

TEST(ReportForm, AcceptsEachStatementLabelAndTheMathForm) {
  for (const char* report :
       {"\r\nrun-time error F6101: OPEN(F2B.txt)\r\n- cannot open file\r\n",
        "\r\nrun-time error F6202: READ(B2F.txt)\r\n- read failure\r\n",
        "\r\nrun-time error F6201: READ(B2F.txt)\r\n- end of file encountered\r\n- after line 0\r\n",
        "\r\nrun-time error F6204: READ(data.txt)\r\n- invalid real\r\n- line 7: \"3.O512\"\r\n",
        "\r\nrun-time error F6203: READ(B2F.txt)\r\n- invalid integer\r\n- line 1: \"a\\\"b\\x00\"\r\n",
        "\r\nrun-time error F6203: READ(CON)\r\n- invalid integer\r\n",
        "\r\nrun-time error F6105: CLOSE(F2B.txt)\r\n- close failure\r\n",
        "\r\nrun-time error F6301: WRITE(F2B.txt)\r\n- write failure\r\n",
        "\r\nrun-time error F6401: ALLOCATE\r\n- insufficient memory\r\n",
        "\r\nrun-time error M6201: MATH\r\n- log: DOMAIN error\r\n"}) {
    EXPECT_EQ(check_report(report), "") << report;
  }
}

TEST(ReportForm, RejectsLoneLineFeedsAndMissingParts) {
  for (const char* report : {"\nrun-time error F6201: READ(B2F.txt)\n- end of file encountered\n",
                             "\r\nrun-time error F6201: READ(B2F.txt)\r\n- \r\n",
                             "\r\nrun-time error F620: READ(B2F.txt)\r\n- end of file\r\n",
                             "\r\nrun-time error F6201: READ()\r\n- end of file\r\n",
                             "\r\nrun-time error F6201: MATH\r\n- end of file\r\n",
                             "\r\nrun-time error F6401: ALLOCATE(B2F.txt)\r\n- insufficient memory\r\n",
                             "\r\nrun-time error M6401: ALLOCATE\r\n- insufficient memory\r\n",
                             // a read on a file without its location, or with a broken one
                             "\r\nrun-time error F6201: READ(B2F.txt)\r\n- end of file encountered\r\n",
                             "\r\nrun-time error F6201: READ(B2F.txt)\r\n- end of file encountered\r\n- line 2: \"\"\r\n",
                             "\r\nrun-time error F6204: READ(B2F.txt)\r\n- invalid real\r\n- after line 2\r\n",
                             "\r\nrun-time error F6204: READ(B2F.txt)\r\n- invalid real\r\n- line 07: \"x\"\r\n",
                             "\r\nrun-time error F6204: READ(B2F.txt)\r\n- invalid real\r\n- line 7: \"x\"y\"\r\n",
                             "\r\nrun-time error F6202: READ(B2F.txt)\r\n- read failure\r\n- after line 0\r\n", ""}) {
    EXPECT_NE(check_report(report), "") << report;
  }
}

}  // namespace
}  // namespace polylsq::robustness
