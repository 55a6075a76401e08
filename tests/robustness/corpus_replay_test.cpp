// Every input kept from fuzzing (tests/fuzz/corpus/ and the findings in
// tests/fuzz/findings/) as the data file of the real program: each run keeps the promises.
// The list-input target's inputs lose their first byte, which chose the read statements.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "robustness/checked_run.h"

namespace polylsq::robustness {
namespace {

const fs::path kFuzz = fs::path(POLYLSQ_SOURCE_DIR) / "tests" / "fuzz";

struct Source {
  const char* folder;  // below tests/fuzz
  std::size_t skip;    // leading bytes that are no part of the data file
};

const Source kSources[] = {
    {"corpus/program", 0},
    {"findings/program", 0},
    {"corpus/list_input", 1},
    {"findings/list_input", 1},
};

std::vector<fs::path> files_in(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

void PrintTo(const Source& s, std::ostream* os) { *os << s.folder; }

class CorpusReplay : public ProgramRunTest, public ::testing::WithParamInterface<Source> {};

TEST_P(CorpusReplay, EveryInputKeepsThePromises) {
  const Source& source = GetParam();
  const std::vector<fs::path> files = files_in(kFuzz / source.folder);
  if (std::string(source.folder).starts_with("corpus")) {
    EXPECT_FALSE(files.empty()) << "the kept corpus is missing";
  }
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.string());
    const std::string bytes = read_file(file).value_or("");
    std::error_code ec;
    fs::remove(dir_ / "F2B.txt", ec);
    run_and_check(bytes.substr(std::min(source.skip, bytes.size())), kOldResult);
    if (::testing::Test::HasFailure()) break;  // one failing input is enough to show
  }
}

INSTANTIATE_TEST_SUITE_P(Fuzz, CorpusReplay, ::testing::ValuesIn(kSources),
                         [](const ::testing::TestParamInfo<Source>& info) {
                           std::string name = info.param.folder;
                           std::replace(name.begin(), name.end(), '/', '_');
                           return name;
                         });

}  // namespace
}  // namespace polylsq::robustness
