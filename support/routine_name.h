// The name of a library routine on the error handler's stack for as long as the routine
// runs: declared first in the routine's body, it pushes the name and pops it on every
// normal way out. Inline: the data pass runs a named routine for every row.
#pragma once

#include <exception>
#include <string_view>

#include "support/error_handler.h"

namespace polylsq {

class RoutineName {
 public:
  // E1PSH(name blank-padded to six characters): "RCURV" is pushed as "RCURV ".
  // `name` must outlive the object (a string literal).
  explicit RoutineName(std::string_view name)
      : name_(name), exceptions_at_push_(std::uncaught_exceptions()) {
    if (name.size() >= kPushedWidth) {
      E1PSH(name);
      return;
    }
    char padded[kPushedWidth] = {' ', ' ', ' ', ' ', ' ', ' '};
    for (std::size_t i = 0; i < name.size(); ++i) padded[i] = name[i];
    E1PSH(std::string_view(padded, kPushedWidth));
  }

  // E1POP(name), which may print the level's message and stop the run; nothing while an
  // exception thrown since the push unwinds (a test's stop leaves by throwing, and its
  // name must stay on the stack as an ended run leaves it).
  ~RoutineName() noexcept(false) {
    if (std::uncaught_exceptions() == exceptions_at_push_) E1POP(name_);
  }

  RoutineName(const RoutineName&) = delete;
  RoutineName& operator=(const RoutineName&) = delete;

 private:
  static constexpr std::size_t kPushedWidth = 6;
  std::string_view name_;
  int exceptions_at_push_;
};

}  // namespace polylsq
