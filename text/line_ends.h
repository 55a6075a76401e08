// Where the lines of a text end: "\r\n", a lone "\r" and a lone "\n" each end one line, and
// a last line without an end is a line. The legacy run's file units and the accurate
// reader split their bytes with these two pieces.
#pragma once

#include <cstddef>
#include <string_view>

namespace polylsq::text {

// The length of the line end at `p` in [p, end): 1 for "\n", 2 for "\r\n", 1 for "\r"
// before another byte. 0 for any other byte and for `end`. A "\r" that is the last byte
// is 1 when `bytes_complete` (nothing follows it) and 0 otherwise (its "\n" may not have
// been read yet).
// Inline: the fast lanes of the reader call it once a line.
inline std::size_t line_end_length(const char* p, const char* end, bool bytes_complete = false) {
  if (p == end) return 0;
  if (*p == '\n') return 1;
  if (*p != '\r') return 0;
  if (p + 1 == end) return bytes_complete ? 1 : 0;
  return p[1] == '\n' ? 2 : 1;
}

// Finds line ends in a buffer read line by line, searching each byte once while the
// buffer grows at its end: bytes appended after a search are searched by the next one.
class LineEndSearch {
 public:
  // The offset of the first "\r" or "\n" in `bytes` at or after `from`; bytes.size() when
  // there is none. `from` may not decrease between calls but after shift().
  std::size_t next_end(std::string_view bytes, std::size_t from);

  // The buffer's bytes were moved `by` places toward its start.
  void shift(std::size_t by);

 private:
  // No "\n" (resp. "\r") lies between the last `from` and the cache; at the cache, while
  // inside the bytes, lies that character or a byte appended after the search.
  std::size_t next_lf_ = 0;
  std::size_t next_cr_ = 0;
};

}  // namespace polylsq::text
