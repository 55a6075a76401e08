// Lines of an open file, read in chunks: the file is never held whole, only the chunk and
// the line being read. Lines end as text/line_ends.h says; a UTF-8 byte-order mark at the
// start of the file is dropped.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "text/expected.h"
#include "text/line_ends.h"

namespace polylsq::input {

// Sizes of the reading buffer. The defaults suit files of any size; tests shrink them to
// put chunk boundaries inside values and line ends.
struct StreamLimits {
  std::size_t chunk_bytes = std::size_t{256} << 10;    // bytes asked of each read
  std::size_t max_line_bytes = std::size_t{64} << 20;  // longer lines are an error
  // A regular file with at least this many bytes from its position on is read on two
  // threads where the fast lanes take its rows, when the process may use two cores;
  // standard input and pipes never are.
  std::size_t two_thread_bytes = std::size_t{4} << 20;
};

class LineSource {
 public:
  enum class Status { kLine, kEnd, kFailed };

  // `file` stays open and owned by the caller; it must be read in binary mode so that the
  // line ends arrive as written. Limits of 0 are taken as 1.
  LineSource(std::FILE* file, const StreamLimits& limits);

  // kLine: `line` holds the next line without its end, valid until the next call.
  // kEnd: the file has no more lines. kFailed: the file could not be read or the line
  // is longer than the limit; failure() says which. kEnd and kFailed repeat once reached.
  Status next(std::string_view& line);

  // The bytes read and not yet returned as lines, for a reader that finds the ends of
  // common lines itself; valid until the next call. Empty before the first next().
  std::string_view unread() const {
    return begin_ == end_ ? std::string_view()
                          : std::string_view(buffer_.get() + begin_, end_ - begin_);
  }

  // Takes the first `bytes` of unread(), which hold `lines` whole lines with their ends,
  // none longer than max_line_bytes().
  void skip(std::size_t bytes, std::size_t lines) {
    begin_ += bytes;
    line_number_ += lines;
  }

  std::size_t max_line_bytes() const { return max_line_bytes_; }

  // Whether the fast lanes read the chunks on two threads (StreamLimits::two_thread_bytes).
  bool two_threads() const { return two_threads_; }

  // The number of the line last returned (1 for the first); after kEnd, of the last line.
  std::size_t line_number() const { return line_number_; }

  // What went wrong when next() gave kFailed: the file could not be read (kCannotRead), or
  // "line 7 is longer than 67108864 bytes" (kBadData).
  const Error& failure() const { return failure_; }

 private:
  bool refill();

  std::FILE* file_;
  std::size_t chunk_bytes_;
  std::size_t max_line_bytes_;
  bool two_threads_;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_ = 0;
  std::size_t begin_ = 0;  // first byte of the next line
  std::size_t end_ = 0;    // end of the bytes read
  text::LineEndSearch line_ends_;  // over [0, end_), from begin_ on
  bool at_eof_ = false;
  bool started_ = false;  // the byte-order mark has been looked for
  std::size_t line_number_ = 0;
  Error failure_{ErrorKind::kCannotRead, {}};  // a message once next() failed
};

}  // namespace polylsq::input
