// Line ends: memchr over the bytes not yet searched, one cache a character.
#include "text/line_ends.h"

#include <algorithm>
#include <cstring>

namespace polylsq::text {
namespace {

// The first `c` at or after `from`, starting past the bytes that an earlier search
// already found free of it.
std::size_t find_from(std::string_view bytes, char c, std::size_t from, std::size_t& cache) {
  if (cache < from) cache = from;
  if (cache < bytes.size() && bytes[cache] != c) {
    const void* hit = std::memchr(bytes.data() + cache, c, bytes.size() - cache);
    cache = hit == nullptr ? bytes.size()
                           : static_cast<std::size_t>(static_cast<const char*>(hit) - bytes.data());
  }
  return std::min(cache, bytes.size());
}

}  // namespace

std::size_t LineEndSearch::next_end(std::string_view bytes, std::size_t from) {
  return std::min(find_from(bytes, '\n', from, next_lf_), find_from(bytes, '\r', from, next_cr_));
}

void LineEndSearch::shift(std::size_t by) {
  next_lf_ = next_lf_ > by ? next_lf_ - by : 0;
  next_cr_ = next_cr_ > by ? next_cr_ - by : 0;
}

}  // namespace polylsq::text
