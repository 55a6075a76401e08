// Lines of a file read in chunks: every line end, the byte-order mark and long lines, each
// case read with chunk sizes that put a chunk boundary at every byte.
#include "input/line_source.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/input/text_file.h"

namespace polylsq::input {
namespace {

using testing::TextFile;

const std::size_t kChunkSizes[] = {1, 2, 3, 4, 7, StreamLimits{}.chunk_bytes};

struct LinesCase {
  std::string bytes;
  std::vector<std::string> lines;
};

const LinesCase kLinesCases[] = {
    {"", {}},
    {"a", {"a"}},
    {"a\n", {"a"}},
    {"a\nb", {"a", "b"}},
    {"a\r\nb\r\n", {"a", "b"}},
    {"a\rb\r", {"a", "b"}},
    {"a\r\rb", {"a", "", "b"}},
    {"a\n\rb", {"a", "", "b"}},
    {"a\r\n\nb", {"a", "", "b"}},
    {"\n\n", {"", ""}},
    {"\r\n", {""}},
    {"\r", {""}},
    {"a\r", {"a"}},
    {"\xEF\xBB\xBF" "x,y\r\n1,2", {"x,y", "1,2"}},
    {"\xEF\xBB\xBF", {}},
    {"\xEF\xBB\xBF\xEF\xBB\xBF" "a", {"\xEF\xBB\xBF" "a"}},  // only the first is a mark
    {"\xEF\xBB", {"\xEF\xBB"}},
    {"a\n\xEF\xBB\xBF" "b", {"a", "\xEF\xBB\xBF" "b"}},
    {" \t1 2 \n", {" \t1 2 "}},
    {std::string("1\0002\n", 4), {std::string("1\0002", 3)}},
    {std::string(1000, 'x') + "\r\n" + std::string(700, 'y'),
     {std::string(1000, 'x'), std::string(700, 'y')}},
};

// Every line of `bytes` read with `limits`, then the end.
std::vector<std::string> read_lines(const std::string& bytes, const StreamLimits& limits) {
  const TextFile file(bytes);
  LineSource source(file.get(), limits);
  std::vector<std::string> lines;
  std::string_view line;
  LineSource::Status status;
  while ((status = source.next(line)) == LineSource::Status::kLine) {
    lines.emplace_back(line);
    EXPECT_EQ(source.line_number(), lines.size());
  }
  EXPECT_EQ(status, LineSource::Status::kEnd) << source.failure().message;
  EXPECT_EQ(source.next(line), LineSource::Status::kEnd);
  EXPECT_EQ(source.line_number(), lines.size());
  return lines;
}

TEST(LineSource, EveryLineEndAndTheByteOrderMarkAreReadAlikeAtEveryChunkSize) {
  for (const LinesCase& c : kLinesCases) {
    for (const std::size_t chunk : kChunkSizes) {
      SCOPED_TRACE(::testing::PrintToString(c.bytes) + ", chunk " + std::to_string(chunk));
      EXPECT_EQ(read_lines(c.bytes, {chunk, StreamLimits{}.max_line_bytes}), c.lines);
    }
  }
}

TEST(LineSource, ALineLongerThanTheLimitFailsNamingItsNumber) {
  const struct {
    std::string bytes;
    std::size_t lines_before_failure;
  } cases[] = {
      {"12345678\n123456789\n", 1},  // limit 8: the second line is one byte too long
      {"123456789", 0},
      {"1234\n123456789\r\n", 1},
      {"1234\n\n" + std::string(100000, 'x'), 2},
  };
  constexpr std::size_t kLimit = 8;
  for (const auto& c : cases) {
    for (const std::size_t chunk : kChunkSizes) {
      SCOPED_TRACE(c.bytes.substr(0, 20) + ", chunk " + std::to_string(chunk));
      const TextFile file(c.bytes);
      LineSource source(file.get(), {chunk, kLimit});
      std::string_view line;
      for (std::size_t i = 0; i < c.lines_before_failure; ++i) {
        ASSERT_EQ(source.next(line), LineSource::Status::kLine);
      }
      EXPECT_EQ(source.next(line), LineSource::Status::kFailed);
      EXPECT_EQ(source.failure().kind, ErrorKind::kBadData);
      EXPECT_EQ(source.failure().message, "line " + std::to_string(c.lines_before_failure + 1) +
                                              " is longer than 8 bytes");
      EXPECT_EQ(source.next(line), LineSource::Status::kFailed);
    }
  }
}

TEST(LineSource, AFileOpenedForWritingOnlyFailsAsUnreadable) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  std::FILE* write_only = std::freopen(nullptr, "wb", file);
  ASSERT_NE(write_only, nullptr);
  LineSource source(write_only, {});
  std::string_view line;
  EXPECT_EQ(source.next(line), LineSource::Status::kFailed);
  EXPECT_EQ(source.failure().kind, ErrorKind::kCannotRead);
  EXPECT_EQ(source.failure().message, "the file could not be read after line 0");
  std::fclose(write_only);
}

}  // namespace
}  // namespace polylsq::input
