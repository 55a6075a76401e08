// Fuzz target: list-directed input. The input's first byte chooses the item lists of a
// sequence of read statements, the rest is the data file they read. Every statement
// either fills its items or ends the run with a READ report on the file; no stored real
// is an infinity or a NaN. Every value token of the data is also converted on its own and
// compared with an independent conversion (strtof, and a plain digit loop for integers),
// and each real with the accurate reader's double of it, rounded to float.
#include <fcntl.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "input/number_text.h"
#include "recio/testing.h"
#include "recio/io.h"
#include "recio/list_input.h"
#include "fuzz/work_dir.h"
#include "robustness/promises.h"

namespace {

using polylsq::recio::detail::IoError;

struct ReadFailed {};

std::string g_report;

[[noreturn]] void violation(const std::string& what) {
  std::fprintf(stderr, "PROMISE BROKEN: %s\n", what.c_str());
  std::abort();
}

const char* error_name(const std::optional<IoError>& e) {
  if (!e) return "none";
  switch (*e) {
    case IoError::kBadInteger: return "invalid integer";
    case IoError::kBadReal: return "invalid real";
    case IoError::kIntegerRange: return "integer out of range";
    case IoError::kRealRange: return "real out of range";
    default: return "other";
  }
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }
// What ends a value token: blanks, tabs, commas, slashes and record ends.
bool is_separator(char c) {
  return c == ' ' || c == '\t' || c == ',' || c == '/' || c == '\r' || c == '\n';
}

// [sign] (digits [. [digits]] | . digits) [(E|e|D|d) [sign] digits]
bool is_real_constant(std::string_view t) {
  std::size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < t.size() && is_digit(t[i])) ++i, ++digits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && is_digit(t[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i == t.size()) return true;
  if (t[i] != 'E' && t[i] != 'e' && t[i] != 'D' && t[i] != 'd') return false;
  ++i;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  if (i == t.size()) return false;
  for (; i < t.size(); ++i) {
    if (!is_digit(t[i])) return false;
  }
  return true;
}

// Whether `wide` lies halfway between two adjacent floats (or between the largest float
// and 2^128).
bool halfway_between_floats(double wide) {
  const double magnitude = std::fabs(wide);
  if (magnitude >= FLT_MIN) {  // a normal float drops the last 29 bits of a double: 1 then 0s
    constexpr std::uint64_t kDropped = (std::uint64_t{1} << 29) - 1;
    return (std::bit_cast<std::uint64_t>(wide) & kDropped) == std::uint64_t{1} << 28;
  }
  const double scaled = magnitude * 0x1p150;  // subnormal floats: even multiples of 2^-150
  return scaled == std::floor(scaled) && std::fmod(scaled, 2.0) == 1.0;
}

// The accurate reader reads the same grammar: it rejects what the legacy reader rejects as
// no real, and where both read the token, its double rounded to float is the legacy float,
// unless the double lies halfway between two floats (rounding twice may then tie where
// rounding once does not).
void check_double_agrees(std::string_view token, const std::optional<IoError>& error, float value) {
  double wide = 0.0;
  const polylsq::text::Conversion verdict = polylsq::input::parse_real(token, wide);
  if ((verdict == polylsq::text::Conversion::kMalformed) != (error == IoError::kBadReal)) {
    violation("parse_real(\"" + std::string(token) + "\") and convert_real disagree on the form");
  }
  if (error || verdict != polylsq::text::Conversion::kOk) return;
  if (halfway_between_floats(wide)) return;
  const float narrow = static_cast<float>(wide);
  if (std::bit_cast<std::uint32_t>(narrow) != std::bit_cast<std::uint32_t>(value)) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "%a rounds to %a, the legacy float is %a", wide, narrow, value);
    violation("parse_real(\"" + std::string(token) + "\") = " + buf);
  }
}

void check_real_token(std::string_view token) {
  float value = 12345.0f;
  const std::optional<IoError> error = polylsq::recio::detail::convert_real(token, value);
  std::optional<IoError> expected_error;
  float expected = 12345.0f;
  if (!is_real_constant(token)) {
    expected_error = IoError::kBadReal;
  } else {
    std::string text(token);
    for (char& c : text) {
      if (c == 'd' || c == 'D') c = 'e';
    }
    char* end = nullptr;
    expected = std::strtof(text.c_str(), &end);
    if (end != text.c_str() + text.size()) violation("strtof did not take \"" + text + "\"");
    if (std::isinf(expected)) expected_error = IoError::kRealRange;
  }
  if (error != expected_error) {
    violation("convert_real(\"" + std::string(token) + "\"): " + error_name(error) + ", expected " +
              error_name(expected_error));
  }
  if (!error && std::bit_cast<std::uint32_t>(value) != std::bit_cast<std::uint32_t>(expected)) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "%a, expected %a", value, expected);
    violation("convert_real(\"" + std::string(token) + "\") = " + buf);
  }  check_double_agrees(token, error, value);
}

// Digit value in bases up to 36, or 99.
int digit_value(char c) {
  if (is_digit(c)) return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return 99;
}

// Saturating magnitude of non-empty digits in `base`; nullopt for any other character.
std::optional<std::uint64_t> magnitude(std::string_view digits, int base) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t m = 0;
  for (const char c : digits) {
    const int d = digit_value(c);
    if (d >= base) return std::nullopt;
    m = m > (std::uint64_t{1} << 40) ? m : m * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
  }
  return m;
}

void check_integer_token(std::string_view token) {
  int value = 12345;
  const std::optional<IoError> error = polylsq::recio::detail::convert_integer(token, value);
  std::optional<IoError> expected_error;
  std::int64_t expected = 12345;
  const std::size_t hash = token.find('#');
  if (hash != std::string_view::npos) {
    std::optional<std::uint64_t> base = std::uint64_t{16};
    if (hash > 0) base = magnitude(token.substr(0, hash), 10);
    if (!base || *base < 2 || *base > 36) {
      expected_error = IoError::kBadInteger;
    } else if (const auto m = magnitude(token.substr(hash + 1), static_cast<int>(*base)); !m) {
      expected_error = IoError::kBadInteger;
    } else if (*m > 2147483647u) {
      expected_error = IoError::kIntegerRange;
    } else {
      expected = static_cast<std::int64_t>(*m);
    }
  } else {
    bool negative = false;
    std::string_view digits = token;
    if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) {
      negative = digits[0] == '-';
      digits.remove_prefix(1);
    }
    const auto m = magnitude(digits, 10);
    if (!m) {
      expected_error = IoError::kBadInteger;
    } else {
      const std::int64_t v = negative ? -static_cast<std::int64_t>(*m) : static_cast<std::int64_t>(*m);
      if (v < -2147483648LL || v > 2147483647LL) {
        expected_error = IoError::kIntegerRange;
      } else {
        expected = v;
      }
    }
  }
  if (error != expected_error) {
    violation("convert_integer(\"" + std::string(token) + "\"): " + error_name(error) +
              ", expected " + error_name(expected_error));
  }
  if (!error && value != expected) {
    violation("convert_integer(\"" + std::string(token) + "\") = " + std::to_string(value) +
              ", expected " + std::to_string(expected));
  }
}

// Every value token of the data: separators split, a repeat count's value is checked
// after its asterisk.
void check_tokens(std::string_view data) {
  int checked = 0;
  std::size_t i = 0;
  while (i < data.size() && checked < 64) {
    while (i < data.size() && is_separator(data[i])) ++i;
    const std::size_t start = i;
    while (i < data.size() && !is_separator(data[i])) ++i;
    std::string_view token = data.substr(start, i - start);
    if (token.empty()) continue;
    if (const std::size_t star = token.find('*'); star != std::string_view::npos) {
      token.remove_prefix(star + 1);
      if (token.empty()) continue;
    }
    check_real_token(token);
    check_integer_token(token);
    ++checked;
  }
}

void write_data_file(std::string_view bytes) {
  const int fd = ::open("B2F.txt", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) violation("cannot write the data file");
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n <= 0) violation("cannot write the data file");
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  ::close(fd);
}

void check_stored(float x) {
  if (std::isinf(x) || std::isnan(x)) violation("a read stored an infinity or a NaN");
}

void check_failure() {
  if (!polylsq::robustness::check_report(g_report).empty()) violation("unexpected report: \"" + g_report + "\"");
  // "\r\nrun-time error F6201: READ(B2F.txt)\r\n- ...": the number at 18, the label at 22
  const std::string_view number = std::string_view(g_report).substr(18, 4);
  const bool read_error = number == "6201" || number == "6203" || number == "6204" ||
                          number == "6205" || number == "6206";
  if (!read_error || g_report.find(": READ(B2F.txt)\r\n") != 22) {
    violation("unexpected report: \"" + g_report + "\"");
  }
}

// Read statements over the data file until it fails or the plan is done.
void run_statements(std::uint8_t plan) {
  namespace recio = polylsq::recio;
  recio::reset_runtime_for_tests();
  recio::set_console_sink([](std::string_view) {});
  recio::set_stop_hook([](int) { violation("a read statement stopped the run"); });
  recio::set_failure_hook([](std::string_view report) {
    g_report = std::string(report);
    throw ReadFailed{};
  });
  g_report.clear();
  try {
    recio::open_unit(1, "B2F.txt");
    int i1 = 7, i2 = 7;
    float x = 7.0f, y = 7.0f, z = 7.0f;
    for (int statement = 0; statement < 24; ++statement) {
      switch ((plan >> (2 * (statement % 4))) & 3) {
        case 0: recio::read_list(1, {&i1}); break;
        case 1: recio::read_list(1, {&x, &y}); break;
        case 2: recio::read_list(1, {&i1, &x}); break;
        default: recio::read_list(1, {&x, &i1, &y, &i2, &z}); break;
      }
      check_stored(x);
      check_stored(y);
      check_stored(z);
    }
    recio::close_unit(1);
  } catch (const ReadFailed&) {
    check_failure();
  }
  recio::reset_runtime_for_tests();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (!polylsq::fuzz::enter_private_work_dir("polylsq-fuzz-list-")) violation("no working directory");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  write_data_file(text);
  run_statements(data[0]);
  check_tokens(text);
  std::string().swap(g_report);  // every block of a run is released by its end
  return 0;
}
