// The run-time's seam to the operating system, on whichever platform the test runs: files
// named in UTF-8 (non-ASCII names included) are created, read and rewritten byte for byte
// under exactly that name, and the held floating-point environment masks and restores.
#include "recio/platform.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cfloat>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "accurate/fp_guard.h"
#include "recio/fpenv.h"

namespace polylsq::recio::platform {
namespace {

namespace fs = std::filesystem;

fs::path path_of(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string utf8_of(const fs::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

// A fresh folder under the system's temporary folder, removed at the end of the test.
class SeamFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::temp_directory_path() / (std::string("polylsq-platform-") + test->name());
    fs::remove_all(folder_);
    ASSERT_TRUE(fs::create_directory(folder_));
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  std::string name_in_folder(const std::string& utf8_name) const { return utf8_of(folder_) + "/" + utf8_name; }
  std::set<std::string> names_in_folder() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) names.insert(utf8_of(entry.path().filename()));
    return names;
  }

  fs::path folder_;
};

// Written "\r\n" and "\n" stay as they are: files are bytes on every platform.
const std::string kRecords = "  2.000\r\n  -.500\r\n\x1a last\n";

const struct NamedFile {
  const char* label;
  const char* utf8_name;
} kNames[] = {
    {"Ascii", "B2F.txt"},
    {"Blank", "my data.txt"},
    {"Latin", "donn\xc3\xa9\x65s-\xc3\xbc.txt"},                  // "données-ü.txt"
    {"Cyrillic", "\xd0\xb4\xd0\xb0\xd0\xbd\xd0\xbd\xd1\x8b\xd0\xb5.txt"},  // "данные.txt"
    {"Cjk", "\xe6\x95\xb0\xe6\x8d\xae.txt"},                      // "数据.txt"
    {"BeyondTheBasicPlane", "\xf0\x9f\x93\x88.txt"},               // U+1F4C8, a surrogate pair in UTF-16
};

TEST_F(SeamFolder, AUnitFileIsCreatedRewrittenAndReadUnderItsUtf8Name) {
  for (const NamedFile& named : kNames) {
    SCOPED_TRACE(named.label);
    const std::string name = name_in_folder(named.utf8_name);
    FileHandle file = open_unit_file(name);
    ASSERT_NE(file, kNoFile);
    EXPECT_TRUE(rewrite_unit_file(file, name, kRecords));
    EXPECT_TRUE(close_unit_file(file));

    file = open_unit_file(name);
    ASSERT_NE(file, kNoFile);
    std::string data = "stale";
    EXPECT_TRUE(read_unit_file(file, name, data));
    EXPECT_TRUE(close_unit_file(file));
    EXPECT_EQ(data, kRecords);
    EXPECT_EQ(names_in_folder(), std::set<std::string>{named.utf8_name});
    EXPECT_EQ(fs::file_size(path_of(name)), kRecords.size());

    std::FILE* c_file = open_c_file(name, "rb");
    ASSERT_NE(c_file, nullptr);
    char first[3] = {};
    EXPECT_EQ(std::fread(first, 1, 2, c_file), 2u);
    std::fclose(c_file);
    EXPECT_STREQ(first, "  ");
    fs::remove(path_of(name));
  }
}

TEST_F(SeamFolder, ARewriteReplacesTheWholeContentsOfALongerFile) {
  const std::string name = name_in_folder("F2B.txt");
  const struct {
    const char* what;
    std::string before, after;
  } cases[] = {
      {"shorter", std::string(70000, 'x'), "     1.000\r\n"},
      {"empty", "old\r\n", ""},
      {"longer", "old\r\n", std::string(70000, 'y')},  // beyond one read chunk
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FileHandle file = open_unit_file(name);
    ASSERT_NE(file, kNoFile);
    ASSERT_TRUE(rewrite_unit_file(file, name, c.before));
    std::string data;
    ASSERT_TRUE(read_unit_file(file, name, data));  // reads from the first byte
    EXPECT_EQ(data, c.before);
    EXPECT_TRUE(rewrite_unit_file(file, name, c.after));
    EXPECT_TRUE(read_unit_file(file, name, data));
    EXPECT_TRUE(close_unit_file(file));
    EXPECT_EQ(data, c.after);
    EXPECT_EQ(fs::file_size(path_of(name)), c.after.size());
  }
}

TEST_F(SeamFolder, AMissingFileIsCreatedEmpty) {
  const std::string name = name_in_folder("new.txt");
  FileHandle file = open_unit_file(name);
  ASSERT_NE(file, kNoFile);
  std::string data = "stale";
  EXPECT_TRUE(read_unit_file(file, name, data));
  EXPECT_TRUE(close_unit_file(file));
  EXPECT_EQ(data, "");
  EXPECT_EQ(names_in_folder(), std::set<std::string>{"new.txt"});
}

TEST_F(SeamFolder, AFolderOpensButCannotBeReadOrRewritten) {
  const std::string name = name_in_folder("folder");
  fs::create_directory(path_of(name));
  FileHandle file = open_unit_file(name);
  ASSERT_NE(file, kNoFile);
  std::string data;
  EXPECT_FALSE(read_unit_file(file, name, data));
  EXPECT_FALSE(rewrite_unit_file(file, name, "     1.000\r\n"));
  EXPECT_TRUE(close_unit_file(file));
  EXPECT_TRUE(fs::is_directory(path_of(name)));
}

// The test program runs with the traps enabled: outside a hold these operations would end
// it. Both holds (the run-time's and the accurate fit's) give IEEE results and raise the
// flags inside, and give the caller's flags and rounding back.
template <class Hold>
void expect_masked_then_restored() {
  volatile double big = DBL_MAX;
  volatile double zero = 0.0;
  std::feclearexcept(FE_ALL_EXCEPT);
  {
    const Hold held;
    volatile double product = big * 2.0;
    EXPECT_TRUE(product > DBL_MAX);
    volatile double quotient = 1.0 / zero;
    EXPECT_TRUE(quotient > DBL_MAX);
    raise_invalid_operation();
    EXPECT_EQ(std::fetestexcept(FE_OVERFLOW | FE_DIVBYZERO | FE_INVALID), FE_OVERFLOW | FE_DIVBYZERO | FE_INVALID);
    std::fesetround(FE_UPWARD);
  }
  EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), 0);
  EXPECT_EQ(std::fegetround(), FE_TONEAREST);
}

TEST(HeldEnvironment, TheRunTimesHoldMasksTheTrapsAndGivesTheCallersStateBack) {
  expect_masked_then_restored<TrapsHeld>();
}

TEST(HeldEnvironment, TheAccurateFitsGuardMasksTheTrapsAndGivesTheCallersStateBack) {
  expect_masked_then_restored<accurate::FloatingPointGuard>();
}

TEST(HeldEnvironment, TheAccurateFitsGuardRoundsToNearestWhateverTheCaller) {
  volatile double one = 1.0;
  volatile double three = 3.0;
  std::fesetround(FE_UPWARD);
  const double upward = one / three;
  double inside = 0.0;
  {
    const accurate::FloatingPointGuard guard;
    inside = one / three;
  }
  EXPECT_EQ(std::fegetround(), FE_UPWARD);
  std::fesetround(FE_TONEAREST);
  EXPECT_EQ(inside, one / three);
  EXPECT_GT(upward, inside);
}

}  // namespace
}  // namespace polylsq::recio::platform
