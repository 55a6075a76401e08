// The single-precision complementary error function, built on Chebyshev series. It
// pushes its own name and reports through the error handler; term counts and bounds are
// computed on the first call and kept for the process.
#pragma once

namespace polylsq {

// erfc(X): 2 at or below the point where it rounds to 2 (a NaN X ends the run through the
// invalid-operation trap there); 0 with an alert (type 2, code 1) above the point where it
// underflows.
float ERFC(float X);

}  // namespace polylsq
