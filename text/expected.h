// Errors as values for the accurate face: a function that can fail returns Expected<T>,
// holding either its result or an Error, whose kind says what failed and whose message,
// meant for the user, says how. Expected<void> holds nothing or an Error. Nothing throws.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

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

template <class T, class E = Error>
class [[nodiscard]] Expected {
  static_assert(!std::is_same_v<T, E>);

 public:
  Expected(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Expected(E error) : state_(std::in_place_index<1>, std::move(error)) {}

  bool has_value() const { return state_.index() == 0; }
  explicit operator bool() const { return has_value(); }

  // Only when has_value().
  const T& value() const { return std::get<0>(state_); }
  T& value() { return std::get<0>(state_); }
  const T& operator*() const { return value(); }
  T& operator*() { return value(); }
  const T* operator->() const { return &value(); }
  T* operator->() { return &value(); }

  // Only when !has_value().
  const E& error() const { return std::get<1>(state_); }
  E& error() { return std::get<1>(state_); }

 private:
  std::variant<T, E> state_;
};

template <class E>
class [[nodiscard]] Expected<void, E> {
 public:
  Expected() = default;
  Expected(E error) : error_(std::move(error)) {}

  bool has_value() const { return !error_.has_value(); }
  explicit operator bool() const { return has_value(); }

  // Only when !has_value().
  const E& error() const { return *error_; }
  E& error() { return *error_; }

 private:
  std::optional<E> error_;
};

}  // namespace polylsq
