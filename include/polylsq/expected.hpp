// The result-or-error type of polylsq's C++ code: a function that can fail returns
// Expected<T, E>, holding either its result or an error E; Expected<void, E> holds nothing
// or an error. Nothing throws. Installed with the library, whose C++ layer returns
// Expected<T, polylsq::Failure>; includes only the standard library.
#pragma once

#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

namespace polylsq {

template <class T, class E>
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
