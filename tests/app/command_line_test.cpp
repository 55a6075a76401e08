// The command line of the real binary: help, version and wrong command lines touch no
// file; named data and result files; the pause switched off; one exit status per outcome.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "robustness/checked_run.h"
#include "support_lib/case_name.h"

namespace polylsq::robustness {
namespace {

// A degree-2 fit of six observations that reaches the report.
const std::string kData = "2\n6\n1 2.1\n2 3.9\n3 8.2\n4 15.8\n5 26.1\n6 37.0\n";
const std::string kPointer = "Run 'polylsq --help' for usage.\n";
const std::string kFitPointer = "Run 'polylsq fit --help' for usage.\n";
const std::string kCheckPointer = "Run 'polylsq check --help' for usage.\n";
const std::string kDegreesPointer = "Run 'polylsq degrees --help' for usage.\n";

std::set<std::string> names_in(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename().string());
  return names;
}

class CommandLine : public ProgramRunTest {
 protected:
  ChildRun run_with(std::vector<std::string> args, Input input = Input::kDevNull) {
    ChildSetup setup;
    setup.args = std::move(args);
    setup.input = input;
    ChildRun run = run_program(dir_, setup);
    EXPECT_FALSE(run.timed_out) << "the run did not end within the time limit";
    EXPECT_EQ(run.signal, 0);
    return run;
  }
};

// Command lines that end before anything is read: the folder stays as it was.
struct NoRunCase {
  const char* name;
  std::vector<std::string> args;
  int status;
  std::string err;  // exact standard error
};

void PrintTo(const NoRunCase& c, std::ostream* os) { *os << c.name; }

const NoRunCase kNoRunCases[] = {
    {"Help", {"--help"}, 0, ""},
    {"ShortHelp", {"-h"}, 0, ""},
    {"HelpAmongOtherArguments", {"data.txt", "--help"}, 0, ""},
    {"Version", {"--version"}, 0, ""},
    {"UnknownOption", {"--bogus"}, 2, "polylsq: The following argument was not expected: --bogus\n" + kPointer},
    {"UnknownShortOption", {"-x"}, 2, "polylsq: The following argument was not expected: -x\n" + kPointer},
    {"ThirdFileName", {"B2F.txt", "out.txt", "more.txt"}, 2,
     "polylsq: The following argument was not expected: more.txt\n" + kPointer},
    {"NamedDataFileMissing", {"fti"}, 2, "polylsq: fti: no such file\n" + kPointer},
    {"NamedDataFileMissingWithResult", {"fti", "out.txt"}, 2, "polylsq: fti: no such file\n" + kPointer},
    {"DoubleDashEndsTheOptions", {"--", "--help"}, 2, "polylsq: --help: no such file\n" + kPointer},
    {"FitVersion", {"fit", "--version"}, 0, ""},
    {"CheckVersion", {"check", "--version"}, 0, ""},
    {"FitHelp", {"fit", "--help"}, 0, ""},
    // The data would be replaced by the result before they are read.
    {"DataAndResultOneFile", {"B2F.txt", "./B2F.txt"}, 2, "polylsq: B2F.txt and ./B2F.txt are the same file\n" + kPointer},
    {"DataIsTheDefaultResult", {"F2B.txt"}, 2, "polylsq: F2B.txt and F2B.txt are the same file\n" + kPointer},
    // Options that cannot be honoured.
    {"EmptyPlotName", {"fit", "--plot", ""}, 2, "polylsq: --plot: the file name is empty\n" + kFitPointer},
    {"EmptyResidualsName", {"fit", "--residuals", ""}, 2, "polylsq: --residuals: the file name is empty\n" + kFitPointer},
    {"CheckEmptyPlotName", {"check", "--plot", ""}, 2, "polylsq: --plot: the file name is empty\n" + kCheckPointer},
    {"EmptyAtItemInside", {"fit", "--at", "1,,2"}, 2, "polylsq: --at: \"1,,2\" has an empty item\n" + kFitPointer},
    {"EmptyAtItemFirst", {"fit", "--at", ",1"}, 2, "polylsq: --at: \",1\" has an empty item\n" + kFitPointer},
    {"EmptyAtItemLast", {"fit", "--at", "1,"}, 2, "polylsq: --at: \"1,\" has an empty item\n" + kFitPointer},
    {"LevelThatNothingUses", {"fit", "--level", "0.9"}, 2, "polylsq: --level: only --at, --at-file, --confint and --band use a level\n" + kFitPointer},
    {"EmptyColumnItem", {"fit", "--y", "2,,3"}, 2, "polylsq: --y: \"2,,3\" has an empty item\n" + kFitPointer},
    {"ColumnZero", {"fit", "--x", "0"}, 2,
     "polylsq: --x: \"0\": column 0: columns are numbered from 1\n" + kFitPointer},
    {"WeightsTwice", {"fit", "--weights", "--weights-column", "3"}, 2,
     "polylsq: --weights excludes --weights-column\n" + kFitPointer},
    {"PredictionsWithoutX", {"fit", "--predictions", "p.csv"}, 2,
     "polylsq: --predictions: no x to predict at: give --at or --at-file\n" + kFitPointer},
    {"AtFileAndDataBothStandardInput", {"fit", "--at-file", "-", "-"}, 2,
     "polylsq: --at-file -: standard input is already the data\n" + kFitPointer},
    {"AtFileMissing", {"fit", "--at-file", "nope.txt"}, 2, "polylsq: nope.txt: no such file\n" + kFitPointer},
    {"TitleWithoutPlot", {"fit", "--title", "T"}, 2, "polylsq: --title requires --plot\n" + kFitPointer},
    // The legacy run fits one unweighted series.
    {"CheckSeveralSeries", {"check", "--y", "2,3"}, 2,
     "polylsq: --y: check compares one series: the legacy run fits one\n" + kCheckPointer},
    {"CheckWeights", {"check", "--weights"}, 2, "polylsq: --weights: the legacy run has no weights\n" + kCheckPointer},
    {"CheckWeightsColumn", {"check", "--weights-column", "3"}, 2,
     "polylsq: --weights-column: the legacy run has no weights\n" + kCheckPointer},
    {"CheckDegreeAboveFive", {"check", "--degree", "6"}, 2,
     "polylsq: --degree: Value 6 not in range 0 to 5\n" + kCheckPointer},
    // 0.9999999999999999 < 1, but (1 + level) / 2 rounds to 1: no finite quantile.
    {"LevelWhoseQuantileIsInfinite", {"fit", "--level", "0.9999999999999999", "--at", "3"}, 2,
     "polylsq: --level: \"0.9999999999999999\" is too close to 1: its interval cannot be computed in double "
     "precision\n" + kFitPointer},
    {"LevelOne", {"fit", "--level", "1", "--band", "--plot", "f.svg"}, 2,
     "polylsq: --level: \"1\" is not a number between 0 and 1\n" + kFitPointer},
    // Outputs refused before anything is read.
    {"PlotOntoTheDataFile", {"check", "--plot", "B2F.txt"}, 2,
     "polylsq: --plot B2F.txt: is the data file; name another file for the output\n"},
    {"ResidualsOntoTheDataFileEvenWithForce", {"fit", "--force", "--residuals", "B2F.txt"}, 2,
     "polylsq: --residuals B2F.txt: is the data file; name another file for the output\n"},
    {"PredictionsOntoTheAtFile", {"fit", "--force", "--at-file", "F2B.txt", "--predictions", "F2B.txt"}, 2,
     "polylsq: --predictions F2B.txt: is the --at-file file; name another file for the output\n"},
    {"TwoOutputsOneFile", {"fit", "--plot", "out.svg", "--residuals", "out.svg"}, 2,
     "polylsq: --residuals out.svg: is also the --plot file; name two different files\n"},
    {"PlotOntoAFileOfAnotherProgram", {"fit", "--plot", "F2B.txt"}, 2,
     "polylsq: --plot F2B.txt: the file exists and is not a picture written by polylsq; --force replaces it\n"},
    {"PictureNotNamedSvg", {"fit", "--plot", "fit.png"}, 2,
     "polylsq: --plot fit.png: a picture is written as SVG: name a file ending in .svg\n"},
    // The degree choice.
    {"DegreesVersion", {"degrees", "--version"}, 0, ""},
    {"DegreesHelp", {"degrees", "--help"}, 0, ""},
    {"CriterionWithoutDegreeAuto", {"fit", "--criterion", "aic"}, 2,
     "polylsq: --criterion: only --degree auto chooses a degree\n" + kFitPointer},
    {"MaxDegreeWithAGivenDegree", {"fit", "--degree", "2", "--max-degree", "3"}, 2,
     "polylsq: --max-degree: only --degree auto chooses a degree\n" + kFitPointer},
    {"DegreeNeitherAutoNorANumber", {"fit", "--degree", "Auto"}, 2,
     "polylsq: --degree: \"Auto\" is neither auto nor a degree from 0 to 10\n" + kFitPointer},
    {"CriterionInCapitals", {"fit", "--degree", "auto", "--criterion", "BIC"}, 2,
     "polylsq: --criterion: \"BIC\" is not a criterion: bic, aic, aicc, loocv or ftest\n" + kFitPointer},
    {"DegreesUnknownCriterion", {"degrees", "--criterion", "r2"}, 2,
     "polylsq: --criterion: \"r2\" is not a criterion: bic, aic, aicc, loocv or ftest\n" + kDegreesPointer},
    {"DegreesNegativeMaxDegree", {"degrees", "--max-degree", "-1"}, 2,
     "polylsq: --max-degree: \"-1\" is not a whole number from 0 to 2147483647\n" + kDegreesPointer},
    {"DegreesFractionalMaxDegree", {"degrees", "--max-degree", "2.5"}, 2,
     "polylsq: --max-degree: \"2.5\" is not a whole number from 0 to 2147483647\n" + kDegreesPointer},
    {"DegreesDataFileMissing", {"degrees", "fti"}, 2, "polylsq: fti: no such file\n" + kDegreesPointer},
    {"DegreesUnknownOption", {"degrees", "--degree", "2"}, 2,
     "polylsq: The following argument was not expected: --degree\n" + kDegreesPointer},
    {"DegreesEmptyPlotName", {"degrees", "--plot", ""}, 2, "polylsq: --plot: the file name is empty\n" + kDegreesPointer},
    {"DegreesPlotOntoTheDataFile", {"degrees", "--force", "--plot", "B2F.txt"}, 2,
     "polylsq: --plot B2F.txt: is the data file; name another file for the output\n"},
    {"DegreesPictureNotNamedSvg", {"degrees", "--plot", "t.png"}, 2,
     "polylsq: --plot t.png: a picture is written as SVG: name a file ending in .svg\n"},
};

class NoRun : public CommandLine, public ::testing::WithParamInterface<NoRunCase> {};

TEST_P(NoRun, LeavesTheFolderAsItWas) {
  const NoRunCase& c = GetParam();
  write_file(dir_ / "B2F.txt", kData);
  write_file(dir_ / "F2B.txt", kOldResult);
  const std::set<std::string> before = names_in(dir_);

  const ChildRun run = run_with(c.args, Input::kNeverEnds);

  EXPECT_EQ(run.status, c.status);
  EXPECT_EQ(run.err, c.err);
  if (c.status != 0) {
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(names_in(dir_), before);
  EXPECT_EQ(read_file(dir_ / "B2F.txt"), kData);
  EXPECT_EQ(read_file(dir_ / "F2B.txt"), kOldResult);
}

INSTANTIATE_TEST_SUITE_P(Arguments, NoRun, ::testing::ValuesIn(kNoRunCases), testing::CaseName());

TEST_F(CommandLine, VersionIsTheProjectVersion) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--version"}, {"fit", "--version"},
                                               {"check", "--version"}, {"degrees", "--version"}}) {
    EXPECT_EQ(run_with(args).out, std::string("polylsq ") + POLYLSQ_VERSION + "\n") << args[0];
  }
}

TEST_F(CommandLine, HelpNamesEveryOptionAndExitStatus) {
  const ChildRun run = run_with({"--help"});
  EXPECT_EQ(run_with({"-h"}).out, run.out);
  for (const char* text : {"Usage: polylsq [OPTIONS] [DATA] [RESULT]", "--no-pause", "--version",
                           "-h,--help", "DATA", "RESULT", "B2F.txt", "F2B.txt"}) {
    EXPECT_NE(run.out.find(text), std::string::npos) << text;
  }
  for (const char* status : {"  0  ", "  1  ", "  2  ", "  3  "}) {
    EXPECT_NE(run.out.find(status), std::string::npos) << "exit status" << status;
  }
}

// Every option that a --help lists is documented in the manual page (written there with
// its hyphens escaped: "\-\-at\-file").
TEST_F(CommandLine, TheManualPageNamesEveryOptionOfEveryHelp) {
  namespace fs = std::filesystem;
  const std::string manual = read_file(fs::path(POLYLSQ_SOURCE_DIR) / "docs" / "polylsq.1").value_or("");
  ASSERT_FALSE(manual.empty());
  const std::regex option(R"((?:^  |,| )(--?[a-z][a-z-]*))");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--help"}, {"fit", "--help"}, {"check", "--help"}, {"degrees", "--help"}}) {
    const ChildRun run = run_with(args);
    ASSERT_EQ(run.status, 0) << args[0];
    std::size_t options = 0;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
      if (!line.starts_with("  -")) continue;
      const std::string names = line.substr(0, line.find_first_of(" ", 2));
      for (std::sregex_iterator it(names.begin(), names.end(), option), end; it != end; ++it) {
        std::string escaped;
        for (const char c : (*it)[1].str()) escaped += c == '-' ? std::string("\\-") : std::string(1, c);
        EXPECT_NE(manual.find(escaped), std::string::npos) << args[0] << ": " << (*it)[1].str();
        ++options;
      }
    }
    EXPECT_GE(options, 3u) << args[0];  // --help, --version and at least one more
  }
}

TEST_F(CommandLine, FlagGivenAValueIsAnErrorInOneLine) {
  write_file(dir_ / "B2F.txt", kData);
  for (const char* arg : {"--no-pause=yes", "--no-pause=no"}) {
    const ChildRun run = run_with({arg});
    EXPECT_EQ(run.status, 2) << arg;
    ASSERT_EQ(run.err.rfind("polylsq: ", 0), 0u) << run.err;
    const std::size_t first_end = run.err.find('\n');
    EXPECT_EQ(run.err.substr(first_end + 1), kPointer) << arg;
    EXPECT_FALSE(fs::exists(dir_ / "F2B.txt")) << arg;
  }
}

// Named files: the same run as the default files give, in the files named.
TEST_F(CommandLine, NamedDataAndResultFilesGiveTheBareRunsBytes) {
  const ChildRun bare = run_and_check(kData, std::nullopt);
  ASSERT_EQ(bare.status, 0);
  const std::optional<std::string> bare_result = read_file(dir_ / "F2B.txt");
  fs::remove(dir_ / "B2F.txt");
  fs::remove(dir_ / "F2B.txt");

  write_file(dir_ / "data.txt", kData);
  const ChildRun named = run_with({"data.txt", "out.txt"});
  EXPECT_EQ(named.status, 0);
  EXPECT_EQ(named.out, bare.out);
  EXPECT_EQ(named.err, "");
  EXPECT_EQ(read_file(dir_ / "out.txt"), bare_result);
  EXPECT_EQ(names_in(dir_), (std::set<std::string>{"data.txt", "out.txt"}));
}

TEST_F(CommandLine, NamedDataFileAloneWritesTheDefaultResultFile) {
  write_file(dir_ / "my data.txt", kData);
  const ChildRun run = run_with({"my data.txt"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(check_result_file(read_file(dir_ / "F2B.txt").value_or("")), "");
}

TEST_F(CommandLine, ReportsNameTheFilesActuallyUsed) {
  write_file(dir_ / "bad.txt", "2\n6\n1 2.1\n2 3.O512\n");
  const ChildRun read = run_with({"bad.txt", "out.txt"});
  EXPECT_EQ(read.status, 1);
  EXPECT_EQ(read.err, io_report(6204, "READ", "bad.txt", "invalid real") + "- line 4: \"3.O512\"\r\n");
  EXPECT_FALSE(fs::exists(dir_ / "out.txt"));

  write_file(dir_ / "data.txt", kData);
  fs::create_directory(dir_ / "folder");
  const ChildRun write = run_with({"data.txt", "folder"});
  EXPECT_EQ(write.status, 1);
  EXPECT_EQ(write.err, io_report(6301, "WRITE", "folder", "write failure"));
}

// The pause: with --no-pause the closing line is shown and no line is read, so a standard
// input that never ends does not hold the run.
TEST_F(CommandLine, NoPauseEndsWhateverStandardInputDoes) {
  const ChildRun paused = run_and_check(kData, std::nullopt);
  const ChildRun run = run_with({"--no-pause"}, Input::kNeverEnds);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, paused.out);
  EXPECT_NE(run.out.find("Push Enter key"), std::string::npos);
}

// One exit status per outcome, and the promises of every run (promises.h) besides.
struct StatusCase {
  const char* name;
  std::string data;
  int status;
};

void PrintTo(const StatusCase& c, std::ostream* os) { *os << c.name; }

const StatusCase kStatusCases[] = {
    {"ResultsWritten", kData, 0},
    {"WarningStillWritesResults", "3\n4\n1 1\n2 2\n3 3\n4 4\n", 0},
    {"RunTimeReport", "2\n6\n1 2.1\n2 3.O512\n", 1},
    {"EndOfFile", "2\n6\n1 2.1\n", 1},
    {"DegreeAboveFive", "7\n6\n1 2.1\n", 3},
    {"SingleObservation", "1\n1\n1 2\n", 3},
    {"ConstantX", "1\n3\n2 1\n2 2\n2 3\n", 3},
    {"NoObservations", "1\n0\n", 3},
    // y near 1e14 and x near 1000 at degree 5: the standard errors leave the float range,
    // but nothing shows them, so the run reaches its results.
    {"UnshownStatisticsBeyondTheFloatRange",
     "5\n16\n1000.0 1.000655e+14\n1000.5 1.000305e+14\n1001.0 1.000675e+14\n1001.5 1.000107e+14\n"
     "1002.0 1.000517e+14\n1002.5 1.000490e+14\n1003.0 1.000602e+14\n1003.5 1.000370e+14\n"
     "1004.0 1.000257e+14\n1004.5 1.000374e+14\n1005.0 1.000826e+14\n1005.5 1.000173e+14\n"
     "1006.0 1.000298e+14\n1006.5 1.000644e+14\n1007.0 1.000790e+14\n1007.5 1.000988e+14\n",
     0},
};

class ExitStatus : public CommandLine, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(ExitStatus, TellsTheOutcome) {
  const ChildRun run = run_and_check(GetParam().data, kOldResult);
  EXPECT_EQ(run.status, GetParam().status) << run.out << run.err;
}

INSTANTIATE_TEST_SUITE_P(Outcomes, ExitStatus, ::testing::ValuesIn(kStatusCases), testing::CaseName());

}  // namespace
}  // namespace polylsq::robustness
