// Errors as values for the accurate fit: every public entry point returns Expected<T>,
// holding either its result or a FitError with a message meant for the user.
#pragma once

#include <charconv>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace polylsq::accurate {

enum class FitErrorKind {
  kDegreeOutOfRange,      // degree outside 0..kMaxDegree
  kSizeMismatch,          // x, y (and weights) of different lengths
  kNonFiniteValue,        // an x, y or weight is infinite or NaN
  kNegativeWeight,        // a weight below zero
  kTooFewObservations,    // fewer observations (with positive weight) than coefficients
  kConstantX,             // every x equal while the degree is 1 or more
  kTooFewDistinctX,       // fewer distinct x than coefficients
  kIllConditioned,        // x values too close together against their range
  kOutOfRange,            // a result does not fit in a double
  kInvalidArgument,       // e.g. a confidence level outside (0, 1), a non-finite x0
  kOutOfMemory,
};

struct FitError {
  FitErrorKind kind;
  std::string message;
  // 0-based index of the offending observation, where the error names one.
  std::optional<std::size_t> observation;
};

// The shortest text that reads back as v ("0.1", "1e+300", "inf", "nan"), for messages.
inline std::string shortest_text(double v) {
  char text[32];
  char* const end = std::to_chars(text, text + sizeof text, v).ptr;
  return std::string(text, end);
}

template <class T>
class Expected {
 public:
  Expected(T value) : state_(std::move(value)) {}
  Expected(FitError error) : state_(std::move(error)) {}

  bool has_value() const { return state_.index() == 0; }
  explicit operator bool() const { return has_value(); }

  // Only when has_value().
  const T& value() const { return std::get<0>(state_); }
  const T& operator*() const { return value(); }
  const T* operator->() const { return &value(); }

  // Only when !has_value().
  const FitError& error() const { return std::get<1>(state_); }

 private:
  std::variant<T, FitError> state_;
};

}  // namespace polylsq::accurate
