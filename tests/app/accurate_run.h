// Runs of `polylsq fit` and `polylsq check` in a fresh folder for the end-to-end tests of the
// accurate fit: the run, its JSON, the folder's contents, closeness of JSON numbers.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "support_lib/child_process.h"
#include "support_lib/files.h"
#include "support_lib/fixtures.h"

namespace polylsq::testing {

namespace fs = std::filesystem;
using nlohmann::json;

// 12 significant digits: the engine is correct to more; closed forms in double to about 15.
inline constexpr double kRelative = 1e-12;

inline void expect_close(const json& actual, double expected, const char* what) {
  ASSERT_TRUE(actual.is_number()) << what << " is " << actual;
  EXPECT_NEAR(actual.get<double>(), expected, kRelative * std::fabs(expected)) << what;
}

inline std::set<std::string> keys_of(const json& object) {
  std::set<std::string> keys;
  for (const auto& item : object.items()) keys.insert(item.key());
  return keys;
}

inline std::set<std::string> names_in(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename().string());
  return names;
}

class AccurateCommands : public TempDirTest {
 protected:
  ChildRun run(std::vector<std::string> args, const std::string& input = "") {
    ChildSetup setup;
    setup.args = std::move(args);
    if (!input.empty()) {
      setup.input = Input::kFile;
      setup.stdin_bytes = input;
    }
    ChildRun outcome = run_program(dir_, setup);
    EXPECT_FALSE(outcome.timed_out);
    EXPECT_EQ(outcome.signal, 0);
    return outcome;
  }

  // `polylsq fit --json EXTRA... FILE` on `text` written to `file`; its object.
  json fit_json(const std::string& file, const std::string& text, std::vector<std::string> extra = {}) {
    write_file(dir_ / file, text);
    std::vector<std::string> args{"fit", "--json"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(file);
    const ChildRun outcome = run(args);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    return json::parse(outcome.out);
  }
};

}  // namespace polylsq::testing
