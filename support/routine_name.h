// The name of a library routine on the error handler's stack for as long as the routine
// runs: declared first in the routine's body, it pushes the name and pops it on every
// normal way out.
#pragma once

#include <string_view>

namespace polylsq {

class RoutineName {
 public:
  // E1PSH(name blank-padded to six characters): "RCURV" is pushed as "RCURV ".
  // `name` must outlive the object (a string literal).
  explicit RoutineName(std::string_view name);
  // E1POP(name), which may print the level's message and stop the run; nothing while an
  // exception thrown since the push unwinds (a test's stop leaves by throwing, and its
  // name must stay on the stack as an ended run leaves it).
  ~RoutineName() noexcept(false);

  RoutineName(const RoutineName&) = delete;
  RoutineName& operator=(const RoutineName&) = delete;

 private:
  std::string_view name_;
  int exceptions_at_push_;
};

}  // namespace polylsq
