// The conversion floor for the end-to-end timing: reads "B2F.txt" (degree, count, count
// pairs) into memory with one fread, converts every value with a bare fast_float loop on
// one core into x and y, and writes their sums to "F2B.txt". No grammar beyond blanks and
// line ends, no checks, no fit: a reader that converts the same text cannot take much less.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <fast_float/fast_float.h>

namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The next value after `p` converted into `value`; nullptr at the end or on a bad value.
const char* next_value(const char* p, const char* end, double& value) {
  while (p != end && is_space(*p)) ++p;
  const auto [stop, error] = fast_float::from_chars(p, end, value);
  return error == std::errc() ? stop : nullptr;
}

}  // namespace

int main() {
  std::FILE* in = std::fopen("B2F.txt", "rb");
  if (in == nullptr || std::fseek(in, 0, SEEK_END) != 0) return 1;
  const long size = std::ftell(in);
  if (size < 0 || std::fseek(in, 0, SEEK_SET) != 0) return 1;
  std::vector<char> text(static_cast<std::size_t>(size));
  if (std::fread(text.data(), 1, text.size(), in) != text.size()) return 1;
  std::fclose(in);

  const char* p = text.data();
  const char* const end = p + text.size();
  double degree = 0.0;
  double count = 0.0;
  if ((p = next_value(p, end, degree)) == nullptr || (p = next_value(p, end, count)) == nullptr) {
    return 1;
  }
  const auto n = static_cast<std::size_t>(count);
  std::vector<double> x(n);
  std::vector<double> y(n);
  for (std::size_t i = 0; i < n; ++i) {
    if ((p = next_value(p, end, x[i])) == nullptr || (p = next_value(p, end, y[i])) == nullptr) {
      return 1;
    }
  }
  double sum_x = 0.0;
  double sum_y = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    sum_x += x[i];
    sum_y += y[i];
  }
  std::FILE* out = std::fopen("F2B.txt", "w");
  if (out == nullptr) return 1;
  std::fprintf(out, "%.0f %zu %.17g %.17g\n", degree, n, sum_x, sum_y);
  return std::fclose(out) == 0 ? 0 : 1;
}
