// The console connection: carriage control, the owed line end, list-directed and
// formatted records, the console read and the stop, as bytes on standard output.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "recio/io.h"
#include "recio/run_end.h"
#include "support_lib/aliases.h"

namespace polylsq::recio {
namespace {

// Standard input replaced by a pipe holding `bytes` (then end of input) while alive.
class StdinFrom {
 public:
  explicit StdinFrom(const std::string& bytes) {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    EXPECT_EQ(::write(fds[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(fds[1]);
    saved_ = ::dup(STDIN_FILENO);
    ::dup2(fds[0], STDIN_FILENO);
    ::close(fds[0]);
  }
  ~StdinFrom() {
    ::dup2(saved_, STDIN_FILENO);
    ::close(saved_);
  }
  StdinFrom(const StdinFrom&) = delete;
  StdinFrom& operator=(const StdinFrom&) = delete;

 private:
  int saved_;
};

TEST(Console, CarriageControlWithAndWithoutAnOwedLine) {
  const struct {
    const char* what;
    const char* first;   // record written at the start of the run
    const char* second;  // record written after it
    const char* expected;
  } cases[] = {
      {"blank", " a", " b", "a\r\nb"},
      {"zero", "0a", "0b", "\r\na\r\n\r\nb"},
      {"plus", "+a", "+b", "\ra\rb"},
      {"one", "1a", "1b", "\r\n\f\r \ra\r\n\f\r \rb"},
      {"unlisted", "xa", "#b", "a\r\nb"},
      {"empty record", "", "", "\r\n"},
      {"empty after text", " a", "", "a\r\n"},
      {"single character", "a", "b", "\r\n"},
  };
  for (const auto& c : cases) {
    const auto run = run_captured_runtime([&] {
      write_record(6, c.first);
      write_record(6, c.second);
    });
    EXPECT_EQ(run.console, c.expected) << c.what;
  }
}

TEST(Console, UnitsStarZeroFiveAndSixShareOneLine) {
  const auto run = run_captured_runtime([] {
    write_record(kStarUnit, " a");
    write_record(0, " b");
    write_record(5, " c");
    write_record(6, " d");
  });
  EXPECT_EQ(run.console, "a\r\nb\r\nc\r\nd");
}

TEST(Console, ListDirectedRecordsBeginWithABlank) {
  const auto run = run_captured_runtime([] {
    write_list(kStarUnit, {" "});
    write_list(kStarUnit, {"  text"});
    write_list(kStarUnit, {"  text"});
    write_list(kStarUnit, {"ab", "cd"});
  });
  EXPECT_EQ(run.console, " \r\n  text\r\n  text\r\nabcd");
}

TEST(Console, ListDirectedRecordsHoldAtMost79Characters) {
  const std::string a(50, 'a');
  const std::string b(40, 'b');
  const std::string c(78, 'c');
  const std::string d(100, 'd');
  const auto run = run_captured_runtime([&] {
    write_list(kStarUnit, {a, b});  // b does not fit after a: new record
    write_list(kStarUnit, {c});     // exactly 79 with the leading blank
    write_list(kStarUnit, {d});     // longer than a record: split
  });
  EXPECT_EQ(run.console, a + "\r\n" + b + "\r\n" + c + "\r\n" + std::string(78, 'd') +
                             "\r\n" + std::string(22, 'd'));
}

TEST(Console, TranscriptOfBannerReportReadAndStop) {
  StdinFrom input("\n");
  const auto run = run_captured_runtime([] {
    write_list(kStarUnit, {" "});
    write_list(kStarUnit, {"  --- Least Squares Approximation ---"});
    write_list(kStarUnit, {" "});
    write_list(kStarUnit, {"------------------------------------- "});
    write_formatted(6, "('   B(',I1,') = ',F9.3)", {1, 2.5f});
    write_formatted(6, "('   B(',I1,') = ',F9.3)", {2, -0.25f});
    write_formatted(6, "('   R-squared = ',F12.4)", {99.87654f});
    write_list(kStarUnit, {"   -------  Push Enter key  -------"});
    read_list(kStarUnit, {});
    stop();
  });
  EXPECT_TRUE(run.stopped);
  EXPECT_FALSE(run.failure.has_value());
  EXPECT_EQ(run.console,
            " \r\n"
            "  --- Least Squares Approximation ---\r\n"
            " \r\n"
            "------------------------------------- \r\n"
            "  B(1) =     2.500\r\n"
            "  B(2) =     -.250\r\n"
            "  R-squared =      99.8765\r\n"
            "   -------  Push Enter key  -------\r\n"
            "Stop - Program terminated.\r\n");
}

TEST(Console, ReadAtEndOfInputCountsAsEnter) {
  StdinFrom input("");
  const auto run = run_captured_runtime([] {
    write_list(kStarUnit, {"wait"});
    read_list(kStarUnit, {});
    write_list(kStarUnit, {"after"});
    stop();
  });
  EXPECT_TRUE(run.stopped);
  EXPECT_FALSE(run.failure.has_value());
  EXPECT_EQ(run.console, "wait\r\nafter\r\nStop - Program terminated.\r\n");
}

TEST(Console, ReadWithNoItemsDiscardsExactlyOneLine) {
  StdinFrom input("ignored 1 2\r\n7 8\n");
  int value = 0;
  const auto run = run_captured_runtime([&] {
    read_list(5, {});
    read_list(5, {&value});
  });
  EXPECT_FALSE(run.failure.has_value());
  EXPECT_EQ(value, 7);
  EXPECT_EQ(run.console, "");  // nothing shown, nothing owed
}

TEST(Console, ReadWithItemsAtEndOfInputFails) {
  StdinFrom input("");
  int value = 0;
  const auto run = run_captured_runtime([&] { read_list(kStarUnit, {&value}); });
  EXPECT_EQ(run.failure, "\r\nrun-time error F6201: READ(CON)\r\n- end of file encountered\r\n");
}

TEST(Console, StopWithAndWithoutText) {
  const auto plain = run_captured_runtime([] { stop(); });
  EXPECT_EQ(plain.console, "Stop - Program terminated.\r\n");
  const auto owed = run_captured_runtime([] {
    write_record(6, " x");
    stop();
  });
  EXPECT_EQ(owed.console, "x\r\nStop - Program terminated.\r\n");
  const auto text = run_captured_runtime([] { stop("Done"); });
  EXPECT_EQ(text.console, "Done\r\n");
  EXPECT_TRUE(text.stopped);
}

TEST(Console, AReportWritesTheOwedLineEndFirst) {
  const auto run = run_captured_runtime([] {
    write_list(kStarUnit, {"banner"});
    write_record(12, "x");
  });
  EXPECT_EQ(run.console, "banner\r\n");
  EXPECT_EQ(run.failure, "\r\nrun-time error F6104: WRITE(12)\r\n- unit not connected\r\n");
}

}  // namespace
}  // namespace polylsq::recio
