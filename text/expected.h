// Errors as values for the accurate face: a function that can fail returns Expected<T>,
// holding either its result or an Error, whose kind says what failed and whose message,
// meant for the user, says how. Expected<void> holds nothing or an Error. Nothing throws.
// The class template itself is the library's installed polylsq/expected.hpp.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "polylsq/expected.hpp"

namespace polylsq {

enum class ErrorKind {
  // reading the data
  kCannotRead,            // the file cannot be opened or read
  kBadData,               // text the format does not allow, or too few observations in it
  // the fit and its predictions
  kDegreeOutOfRange,      // degree outside 0..kMaxDegree
  kSizeMismatch,          // x, y (and weights) of different lengths
  kNonFiniteValue,        // an x, y or weight is infinite or NaN
  kNegativeWeight,        // a weight below zero
  kTooFewObservations,    // fewer observations (with positive weight) than coefficients
  kConstantX,             // every x equal while the degree is 1 or more
  kTooFewDistinctX,       // fewer distinct x than coefficients
  kIllConditioned,        // x values too close together against their range
  kOutOfRange,            // a result does not fit in a double
  // either
  kInvalidArgument,       // e.g. a confidence level outside (0, 1), options that exclude each other
  kOutOfMemory,
  // the commands' outputs
  kCannotWrite,           // a picture or table that cannot be written whole
};

struct Error {
  ErrorKind kind;
  std::string message;  // e.g. "data.txt: line 7: \"3.O512\" is not a number"
  // 0-based index of the offending observation, where the error names one.
  std::optional<std::size_t> observation = std::nullopt;
};

// The engine's functions name their errors polylsq::Error: Expected<T> is Expected<T, Error>.
template <class T, class E = Error>
class Expected;

}  // namespace polylsq
