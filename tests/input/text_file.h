// A temporary file holding given bytes, for the reader tests: the reader takes an open
// FILE*, so tests hand it the same kind of stream a caller would.
#pragma once

#include <cstdio>
#include <string_view>

#include <gtest/gtest.h>

#include "input/line_source.h"

namespace polylsq::input::testing {

// An unnamed temporary file with `bytes`, read from its start; removed at scope end.
class TextFile {
 public:
  explicit TextFile(std::string_view bytes) : file_(std::tmpfile()) {
    if (file_ == nullptr) {
      ADD_FAILURE() << "no temporary file";
      return;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
      ADD_FAILURE() << "temporary file not written";
    }
    std::rewind(file_);
  }
  ~TextFile() {
    if (file_ != nullptr) std::fclose(file_);
  }
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  std::FILE* get() const { return file_; }

 private:
  std::FILE* file_;
};

// The limits of the reader tables: chunks of `chunk` bytes, and below the default chunk
// the fast lanes on two threads whatever the file's size, so that the tables run through
// both paths, the two-thread one with parts of a few bytes.
inline StreamLimits table_limits(std::size_t chunk) {
  StreamLimits limits;
  limits.chunk_bytes = chunk;
  if (chunk < StreamLimits{}.chunk_bytes) limits.two_thread_bytes = 0;
  return limits;
}

}  // namespace polylsq::input::testing
