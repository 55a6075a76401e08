// Queries of the error state.
//
// N1RTY(0) / N1RCD(0): the type / code recorded so far at the calling routine's own level;
// N1RTY(1) / N1RCD(1): those left by the routine that most recently returned to it
// (-1 when it has called none). Any other argument is a terminal error that stops the run.
#pragma once

namespace polylsq {

int N1RTY(int I);
int N1RCD(int I);

// Whether an error has been recorded at the calling routine's own level: N1RCD(0) is not 0.
// The routines that ask, after their argument checks, record only errors of nonzero type
// with nonzero codes at their level by then (terminal errors with codes from 1, none passed
// up by a callee), so the recorded type and code there are 0 together and the code alone
// decides.
bool error_recorded_here();

}  // namespace polylsq
