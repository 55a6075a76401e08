// Copies of the library's texts into buffers the caller owns, as snprintf writes them:
// never more than the buffer holds, always NUL-terminated, never half a UTF-8 character.
#pragma once

#include <cstddef>
#include <string_view>

namespace polylsq::capi {

// Writes into out the longest prefix of text that has at most capacity - 1 bytes and ends
// on a UTF-8 character boundary, then a NUL; writes nothing when capacity is 0 (out may
// then be NULL). Returns text.size().
std::size_t copy_text(std::string_view text, char* out, std::size_t capacity);

}  // namespace polylsq::capi
