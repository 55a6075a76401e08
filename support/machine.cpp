// Machine constants stored as bit patterns, the unit table, and the NaN test on bits.
// AMACH reports a bad index through the error handler; IMACH and UMACH write their own
// five records directly and stop the run.
#include "support/machine.h"

#include <bit>
#include <cstdint>
#include <string>

#include "recio/edit.h"
#include "recio/io.h"
#include "recio/run_end.h"
#include "support/error_handler.h"
#include "support/routine_name.h"
#include "support/testing.h"

namespace polylsq {
namespace {

// Smallest normalised, largest finite, 2^-24, 2^-23, log10(2), quiet NaN, +inf, -inf.
constexpr std::uint32_t kRealBits[8] = {0x00800000u, 0x7F7FFFFFu, 0x33800000u, 0x34000000u,
                                        0x3E9A209Bu, 0x7FC00000u, 0x7F800000u, 0xFF800000u};

constexpr int kIntegers[12] = {32, 4, 2, 31, 2147483647, 2, 24, -125, 128, 53, -1021, 1024};

constexpr int kInitialUnits[3] = {5, 6, 6};  // input, output, error messages
int units[3] = {kInitialUnits[0], kInitialUnits[1], kInitialUnits[2]};

std::string with_number(std::string_view text, int value) {
  std::string record(text);
  record += recio::edit_I(value, 6);
  record += '.';
  return record;
}

}  // namespace

float AMACH(int N) {
  if (N >= 1 && N <= 8) return std::bit_cast<float>(kRealBits[N - 1]);
  const RoutineName routine("AMACH");
  const float result = std::bit_cast<float>(kRealBits[5]);
  MSG_SET_INT(1, N);
  E1MES(5, 5, "The argument must be between 1 and 8 inclusive. N = %(I1)");
  return result;
}

int IMACH(int N) {
  if (N >= 1 && N <= 12) return kIntegers[N - 1];
  int NOUT = 0;
  UMACH(2, NOUT);
  recio::write_record(NOUT, "");
  recio::write_record(NOUT, " *** TERMINAL ERROR 5 from IMACH.  The argument");
  recio::write_record(NOUT, " ***          must be between 1 and 12 inclusive.");
  recio::write_record(NOUT, with_number(" ***          N = ", N));
  recio::write_record(NOUT, "");
  recio::stop({}, kExitStoppedByMessage);
}

void UMACH(int N, int& NUNIT) {
  // |N| in 64 bits: the most negative index has no 32-bit absolute value.
  const std::int64_t M = N < 0 ? -static_cast<std::int64_t>(N) : N;
  if (M >= 1 && M <= 3) {
    if (N > 0) {
      NUNIT = units[M - 1];
    } else {
      units[M - 1] = NUNIT;
    }
    return;
  }
  const int NOUT = units[2];
  const int shown = M > 2147483647 ? 2147483647 : static_cast<int>(M);  // shown as asterisks
  recio::write_record(NOUT, "");
  recio::write_record(NOUT, " *** TERMINAL ERROR 5 from UMACH.  The absolute");
  recio::write_record(NOUT, " ***          value of the index variable must be");
  recio::write_record(NOUT, with_number(" ***          1, 2, or 3.  IABS(N) = ", shown));
  recio::write_record(NOUT, "");
  recio::stop({}, kExitStoppedByMessage);
}

bool IS_NAN(float X) {
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(X);
  return (bits & 0x7F800000u) == 0x7F800000u && (bits & 0x007FFFFFu) != 0;
}

void machine_reset_for_tests() {
  for (int i = 0; i < 3; ++i) units[i] = kInitialUnits[i];
}

}  // namespace polylsq
