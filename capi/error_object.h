// The C interface's error objects and the shape every entry point shares: *error cleared
// on entry, set on failure; an engine Error turned into a status and message; a failed
// allocation (or any exception, which only allocation raises here) reported as
// POLYLSQ_OUT_OF_MEMORY and never let out through the C boundary.
#pragma once

#include <cstdint>
#include <string>

#include "polylsq/polylsq.h"
#include "text/expected.h"

struct polylsq_error {
  polylsq_status_t status = POLYLSQ_OK;
  std::string message;
  std::int64_t observation = -1;  // 0-based, -1 when the message names none
};

namespace polylsq::capi {

// The status of an engine error kind: each kind has its own.
polylsq_status_t status_of(ErrorKind kind);

// *error = NULL when error is not NULL.
void clear_error(polylsq_error_t** error);

// Stores a new error in *error (when error is not NULL) and returns its status. When the
// error itself cannot be allocated, *error is the one immutable out-of-memory error that
// polylsq_error_free leaves alone, and the status POLYLSQ_OUT_OF_MEMORY.
polylsq_status_t report(polylsq_error_t** error, polylsq_status_t status, std::string message,
                        std::int64_t observation = -1);
polylsq_status_t report(polylsq_error_t** error, Error engine_error);
// For a catch block: what `doing` ("the fit") could not get memory for.
polylsq_status_t report_out_of_memory(polylsq_error_t** error, const char* doing);

// Runs `body` (which reports its own failures) with *error cleared first; an exception
// escaping it becomes POLYLSQ_OUT_OF_MEMORY about `doing`, and `failed` is returned.
template <class Body, class Result>
Result guarded_call(polylsq_error_t** error, const char* doing, Result failed, Body&& body) {
  clear_error(error);
  try {
    return body();
  } catch (...) {
    report_out_of_memory(error, doing);
    return failed;
  }
}

}  // namespace polylsq::capi
