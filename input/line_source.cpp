// Lines of an open file: one buffer holds the unread part of the last chunk; a line that
// runs past the buffer's end is moved to its front and completed by the next read, the
// buffer growing only for lines longer than about half a chunk.
#include "input/line_source.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "input/second_reader.h"

namespace polylsq::input {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A regular file with at least `bytes` left to read from its position.
bool is_large_regular_file(std::FILE* file, std::size_t bytes) {
  struct stat status {};
  if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  const long at = std::ftell(file);
  return at >= 0 && status.st_size >= at &&
         static_cast<std::uintmax_t>(status.st_size - at) >= bytes;
}

}  // namespace

LineSource::LineSource(std::FILE* file, const StreamLimits& limits)
    : file_(file),
      chunk_bytes_(std::max<std::size_t>(limits.chunk_bytes, 1)),
      max_line_bytes_(std::max<std::size_t>(limits.max_line_bytes, 1)),
      two_threads_(is_large_regular_file(file, limits.two_thread_bytes) &&
                   second_core_available()) {}

bool LineSource::refill() {
  if (begin_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    line_ends_.shift(begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (capacity_ - end_ < (chunk_bytes_ + 1) / 2) {
    const std::size_t grown = std::max(2 * capacity_, end_ + chunk_bytes_);
    auto larger = std::make_unique_for_overwrite<char[]>(grown);
    if (end_ > 0) std::memcpy(larger.get(), buffer_.get(), end_);
    buffer_ = std::move(larger);
    capacity_ = grown;
  }
  const std::size_t got =
      std::fread(buffer_.get() + end_, 1, std::min(capacity_ - end_, chunk_bytes_), file_);
  if (got == 0) {
    if (std::ferror(file_) != 0) {
      failure_ = {ErrorKind::kCannotRead,
                  "the file could not be read after line " + std::to_string(line_number_)};
      return false;
    }
    at_eof_ = true;
  }
  end_ += got;
  return true;
}

LineSource::Status LineSource::next(std::string_view& line) {
  if (!failure_.message.empty()) return Status::kFailed;
  while (!started_) {
    if (end_ - begin_ >= kByteOrderMark.size() || at_eof_) {
      if (std::string_view(buffer_.get() + begin_, end_ - begin_).starts_with(kByteOrderMark)) {
        begin_ += kByteOrderMark.size();
      }
      started_ = true;
    } else if (!refill()) {
      return Status::kFailed;
    }
  }
  for (;;) {
    const std::size_t stop = line_ends_.next_end(std::string_view(buffer_.get(), end_), begin_);
    const std::size_t length = stop - begin_;  // of the line, or of its part read so far
    if (length > max_line_bytes_) {
      failure_ = {ErrorKind::kBadData, "line " + std::to_string(line_number_ + 1) +
                                           " is longer than " + std::to_string(max_line_bytes_) +
                                           " bytes"};
      return Status::kFailed;
    }
    // a "\r" that ends the bytes read may be the first half of "\r\n": read on first
    const std::size_t end_length =
        text::line_end_length(buffer_.get() + stop, buffer_.get() + end_, at_eof_);
    if (end_length != 0) {
      line = std::string_view(buffer_.get() + begin_, length);
      begin_ = stop + end_length;
      ++line_number_;
      return Status::kLine;
    }
    if (at_eof_) {
      if (begin_ == end_) return Status::kEnd;
      line = std::string_view(buffer_.get() + begin_, length);
      begin_ = end_;
      ++line_number_;
      return Status::kLine;
    }
    if (!refill()) return Status::kFailed;
  }
}

}  // namespace polylsq::input
