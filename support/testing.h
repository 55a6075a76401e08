// Test-only resets of the library support: the error handler and the unit table back to
// their state before first use. Included by tests and fuzz harnesses only.
#pragma once

namespace polylsq {

void error_handler_reset_for_tests();
void machine_reset_for_tests();

}  // namespace polylsq
