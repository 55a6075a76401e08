// The pure layout of the error handler's records, with exact strings: the first line and
// its width (the added ".  " counted twice), continuation lines, labels of every type,
// negative codes, raised first letters, and traceback rows with fields that overflow.
// Expected records come from the golden runs (tests/app/golden) and from the line rules
// applied by hand.
#include "support/message_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace polylsq {
namespace {

using Records = std::vector<std::string>;

class CollectRecords final : public RecordSink {
 public:
  void put(std::string_view record) override { records.emplace_back(record); }
  Records records;
};

// A routine name as the handler stores it: blank-padded to 32 characters.
std::string stored(const std::string& name) { return name + std::string(32 - name.size(), ' '); }

struct MessageCase {
  const char* what;
  int type;
  int code;
  std::string name;
  std::string text;
  Records expected;
};

TEST(MessageLayout, MessagesBecomeTheirRecordsExactly) {
  const std::string x41(41, 'x');
  // A warning from TESTR with its text built by the handler (".  " first): the prefix
  // " 1 from TESTR" leaves 46 characters of text on the first line.
  const std::string testr = " *** WARNING  ERROR 1 from TESTR.  ";
  const std::string x38(38, 'x');
  const std::string w42(42, 'w');
  const std::string a60(60, 'a');
  const MessageCase cases[] = {
      {"golden constant_x: broken at the last blank within 46 characters", 4, 7, "RCURV",
       ".  The x values are constant.  At least two distinct x values are needed.",
       {"", " *** FATAL    ERROR 7 from RCURV.  The x values are constant.  At least two",
        " ***          distinct x values are needed."}},
      {"golden degree_six_rejected: a seven-letter name leaves 44 characters", 5, 1, "POLYLSQ",
       ".  NDEG = 6.  The degree of the polynomial to be fit must be less than or equal to 5.",
       {"", " *** TERMINAL ERROR 1 from POLYLSQ.  NDEG = 6.  The degree of the polynomial",
        " ***          to be fit must be less than or equal to 5."}},
      {"dots added: 59 - 16 - 3 = 40 characters, cut inside a word without blanks", 3, 2,
       "TESTR", x41,
       {"", " *** WARNING  ERROR 2 from TESTR.  " + x41.substr(0, 40), " ***          x"}},
      {"no text: the first line ends after the prefix", 1, 1, "TESTR", "",
       {"", " *** NOTE     ERROR 1 from TESTR.  "}},
      {"type 0 is UNKNOWN, a negative code keeps its sign", 0, -3, "TESTR", ".  Odd.",
       {"", " *** UNKNOWN  ERROR -3 from TESTR.  Odd."}},
      {"type 8 is UNKNOWN too", 8, 12, "TESTR", ".  Odd.",
       {"", " *** UNKNOWN  ERROR 12 from TESTR.  Odd."}},
      {"alert label", 2, 1, "TESTR", ".  A.", {"", " *** ALERT    ERROR 1 from TESTR.  A."}},
      {"immediate warning label", 6, 1, "TESTR", ".  A.",
       {"", " *** WARNING  ERROR 1 from TESTR.  A."}},
      {"immediate fatal label", 7, 1, "TESTR", ".  A.",
       {"", " *** FATAL    ERROR 1 from TESTR.  A."}},
      {"a lower-case first letter before an upper-case one is raised", 3, 1, "aBC", ".  A.",
       {"", " *** WARNING  ERROR 1 from ABC.  A."}},
      {"two lower-case letters stay as they are", 3, 1, "ab", ".  A.",
       {"", " *** WARNING  ERROR 1 from ab.  A."}},
      {"exactly 46 characters fit the first line", 6, 1, "TESTR", ".  " + x38 + " yyyy",
       {"", testr + x38 + " yyyy"}},
      {"one more moves the last word", 6, 1, "TESTR", ".  " + x38 + " yyyyy",
       {"", testr + x38, " ***          yyyyy"}},
      {"forced break on the first line", 6, 1, "TESTR", ".  First part.%/Second part.",
       {"", testr + "First part.", " ***          Second part."}},
      {"blank after a forced break is kept", 6, 1, "TESTR", ".  First.%/ indented",
       {"", testr + "First.", " ***           indented"}},
      {"forced break at the 46th character is not taken on the first line", 6, 1, "TESTR",
       ".  " + x38 + " yyy%/zz", {"", testr + x38, " ***          yyy", " ***          zz"}},
      {"leading blank of a continuation is skipped", 6, 1, "TESTR", ".  " + w42 + "  Next.",
       {"", testr + w42, " ***          Next."}},
      {"continuation ends at the last blank of its window", 6, 1, "TESTR",
       ".  Head.%/" + a60 + " bbbbbbbbbb",
       {"", testr + "Head.", " ***          " + a60 + " ", " ***          bbbbbbbbbb"}},
      {"forced breaks in continuation windows", 6, 1, "TESTR", ".  Head.%/one%/two",
       {"", testr + "Head.", " ***          one", " ***          two"}},
      {"message ending with a forced break", 6, 1, "TESTR", ".  Head.%/", {"", testr + "Head."}},
  };
  for (const MessageCase& c : cases) {
    const std::string name = stored(c.name);
    CollectRecords out;
    lay_out_message(MessageToShow{c.type, c.code, name, c.text}, out);
    EXPECT_EQ(out.records, c.expected) << c.what;
  }
}

TEST(MessageLayout, TracebackRowsShowNameTypeAndCodeInFixedColumns) {
  const std::string names[] = {stored("R3ORP"), stored("R4ORP"), stored("RCURV"), stored("USER"),
                               stored("xYZ"),   stored("aBCDE")};
  const TracebackRow rows[] = {
      {names[0], 6, 11, true},
      {names[1], 0, 0, true},
      {names[2], 0, 0, false},
      {names[3], 0, 0, false},
      {names[4], 1234567, -99999, false},
      {names[5], 0, 0, true},
  };
  CollectRecords out;
  lay_out_traceback(rows, out);
  // The first four rows as in the golden run perfect_fit_of_lower_degree.
  const Records expected = {
      "     Here is a traceback of subprogram calls in reverse order:",
      "     Routine name                    Error type  Error code",
      "     ------------                    ----------  ----------",
      "     R3ORP                                6          11    (Called internally)",
      "     R4ORP                                0           0    (Called internally)",
      "     RCURV                                0           0",
      "     USER                                 0           0",
      "     XYZ                             ******      -99999",
      "     ABCDE                                0           0    (Called internally)",
  };
  EXPECT_EQ(out.records, expected);
}

}  // namespace
}  // namespace polylsq
