// The scope guard that pushes a routine's name padded to six characters and pops the bare
// name, unless an exception is unwinding through the routine.
#include "support/routine_name.h"

#include <algorithm>
#include <exception>

#include "support/error_handler.h"

namespace polylsq {
namespace {

constexpr std::size_t kPushedNameWidth = 6;

}  // namespace

RoutineName::RoutineName(std::string_view name)
    : name_(name), exceptions_at_push_(std::uncaught_exceptions()) {
  if (name.size() >= kPushedNameWidth) {
    E1PSH(name);
    return;
  }
  char padded[kPushedNameWidth];
  std::fill(std::begin(padded), std::end(padded), ' ');
  std::copy(name.begin(), name.end(), padded);
  E1PSH(std::string_view(padded, kPushedNameWidth));
}

RoutineName::~RoutineName() noexcept(false) {
  if (std::uncaught_exceptions() == exceptions_at_push_) E1POP(name_);
}

}  // namespace polylsq
