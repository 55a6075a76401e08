// Error objects of the C interface: making, reading and freeing them.
#include "capi/error_object.h"

#include <new>
#include <utility>

namespace polylsq::capi {
namespace {

// Given out when not even an error object can be allocated. Immutable; its message fits
// in the string's own storage, so making it allocates nothing.
polylsq_error_t* unallocated_out_of_memory() {
  static const polylsq_error kError{POLYLSQ_OUT_OF_MEMORY, "out of memory", -1};
  return const_cast<polylsq_error_t*>(&kError);  // never written through: see polylsq_error_free
}

}  // namespace

polylsq_status_t status_of(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::kDegreeOutOfRange:
      return POLYLSQ_DEGREE_OUT_OF_RANGE;
    case ErrorKind::kSizeMismatch:
      return POLYLSQ_SIZE_MISMATCH;
    case ErrorKind::kNonFiniteValue:
      return POLYLSQ_NON_FINITE_VALUE;
    case ErrorKind::kNegativeWeight:
      return POLYLSQ_NEGATIVE_WEIGHT;
    case ErrorKind::kTooFewObservations:
      return POLYLSQ_TOO_FEW_OBSERVATIONS;
    case ErrorKind::kConstantX:
      return POLYLSQ_CONSTANT_X;
    case ErrorKind::kTooFewDistinctX:
      return POLYLSQ_TOO_FEW_DISTINCT_X;
    case ErrorKind::kIllConditioned:
      return POLYLSQ_ILL_CONDITIONED;
    case ErrorKind::kOutOfRange:
      return POLYLSQ_OUT_OF_RANGE;
    case ErrorKind::kOutOfMemory:
      return POLYLSQ_OUT_OF_MEMORY;
    case ErrorKind::kInvalidArgument:
      return POLYLSQ_INVALID_ARGUMENT;
    case ErrorKind::kCannotRead:
      return POLYLSQ_CANNOT_READ;
    case ErrorKind::kBadData:
      return POLYLSQ_BAD_DATA;
    case ErrorKind::kCannotWrite:
      return POLYLSQ_CANNOT_WRITE;
  }
  return POLYLSQ_INVALID_ARGUMENT;  // not a kind: a corrupted value
}

void clear_error(polylsq_error_t** error) {
  if (error != nullptr) *error = nullptr;
}

polylsq_status_t report(polylsq_error_t** error, polylsq_status_t status, std::string message,
                        std::int64_t observation) {
  if (error == nullptr) return status;
  *error = new (std::nothrow) polylsq_error{status, std::move(message), observation};
  if (*error == nullptr) {
    *error = unallocated_out_of_memory();
    return POLYLSQ_OUT_OF_MEMORY;
  }
  return status;
}

polylsq_status_t report(polylsq_error_t** error, Error engine_error) {
  const std::int64_t observation =
      engine_error.observation ? static_cast<std::int64_t>(*engine_error.observation) : -1;
  return report(error, status_of(engine_error.kind), std::move(engine_error.message), observation);
}

polylsq_status_t report_out_of_memory(polylsq_error_t** error, const char* doing) {
  try {
    return report(error, POLYLSQ_OUT_OF_MEMORY, std::string("not enough memory for ") + doing);
  } catch (...) {  // the message itself
    if (error != nullptr) *error = unallocated_out_of_memory();
    return POLYLSQ_OUT_OF_MEMORY;
  }
}

}  // namespace polylsq::capi

extern "C" {

polylsq_status_t polylsq_error_status(const polylsq_error_t* error) {
  return error != nullptr ? error->status : POLYLSQ_INVALID_ARGUMENT;
}

const char* polylsq_error_message(const polylsq_error_t* error) {
  return error != nullptr ? error->message.c_str() : "";
}

int64_t polylsq_error_observation(const polylsq_error_t* error) {
  return error != nullptr ? error->observation : -1;
}

void polylsq_error_free(polylsq_error_t* error) {
  if (error != nullptr && error != polylsq::capi::unallocated_out_of_memory()) delete error;
}

}  // extern "C"
