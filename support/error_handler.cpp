// The error handler's entries: the push and pop of routine names with the printing and
// stopping that a pop brings, the recording of an error at the current level, and the
// printer that writes the pending message and the traceback on the error-message unit.
#include "support/error_handler.h"

#include <cstring>
#include <span>

#include "recio/io.h"
#include "recio/run_end.h"
#include "support/error_state.h"
#include "support/machine.h"
#include "support/message_layout.h"

namespace polylsq {
namespace {

ErrorHandlerState& state = error_handler_state;

// `name` cut or blank-padded to the stored width.
void store_routine_name(std::string_view name, char (&stored)[kRoutineNameWidth]) {
  std::memset(stored, ' ', kRoutineNameWidth);
  const std::size_t n = name.size() < kRoutineNameWidth ? name.size() : kRoutineNameWidth;
  if (n > 0) std::memcpy(stored, name.data(), n);
}

// `name` and the stored name are equal once both are blank-padded; beyond the stored
// width only blanks match.
bool routine_name_matches(std::string_view name, const char (&stored)[kRoutineNameWidth]) {
  char padded[kRoutineNameWidth];
  store_routine_name(name, padded);
  if (std::memcmp(padded, stored, kRoutineNameWidth) != 0) return false;
  for (std::size_t i = kRoutineNameWidth; i < name.size(); ++i) {
    if (name[i] != ' ') return false;
  }
  return true;
}

// The name stored for `level`, blank-padded to its full width.
std::string_view stored_name(int level) {
  return std::string_view(state.routine_name[level], kRoutineNameWidth);
}

// Each record on the unit that UMACH gives for index 3 at the time it is written.
class ErrorUnit final : public RecordSink {
 public:
  void put(std::string_view record) override {
    int nout = 0;
    UMACH(3, nout);
    recio::write_record(nout, record);
  }
};

// Prints the pending message under the current level's type, code and name, then the
// traceback (from the current level down to "USER") when the level is deeper than the
// routine called by the user.
void ERR_PRINT() {
  if (state.msg_len == 0) return;
  ErrorUnit unit;
  const int t = state.err_type[state.level];
  const MessageToShow message{
      t, state.err_code[state.level], stored_name(state.level),
      std::string_view(state.msg_buf + 1, static_cast<std::size_t>(state.msg_len))};
  lay_out_message(message, unit);

  state.msg_len = 0;
  clear_parameters();

  // A type outside 1..7 (the illegal-type failure) keeps the traceback of every failure.
  const bool trace = t >= 1 && t <= kErrorTypes ? state.trace_on[t] == 1 : true;
  if (trace && state.level > 2) {
    TracebackRow rows[kErrorLevelSlots + 1];
    int n = 0;
    for (int k = state.level; k >= 1; --k) {
      rows[n++] = TracebackRow{stored_name(k), state.err_type[k], state.err_code[k],
                               k >= 2 && !state.user_called[k]};
    }
    lay_out_traceback(std::span<const TracebackRow>(rows, static_cast<std::size_t>(n)), unit);
  }
}

// 1 when a recorded immediate warning or fatal error asks for a stop; clears the flags.
int ERR_IMMEDIATE_STOP() {
  int result = 0;
  if (state.immediate_warning_flag != 0) {
    result = state.stop_on[6];
    state.immediate_warning_flag = 0;
  }
  if (state.immediate_fatal_flag != 0) {
    result = state.stop_on[7];
    state.immediate_fatal_flag = 0;
  }
  return result;
}

}  // namespace

void E1PSH(std::string_view NAME) {
  ensure_error_handler_initialised();
  if (state.level < state.max_level) {
    ++state.level;
    store_routine_name(NAME, state.routine_name[state.level]);
    state.err_type[state.level] = 0;
    state.err_code[state.level] = 0;
    return;
  }
  MSG_SET_INT(1, state.max_level);
  E1MES(5, 1, "Error condition in E1PSH.  Push would cause stack level to exceed %(I1). ");
  recio::stop({}, kExitStoppedByMessage);
}

void E1POP(std::string_view NAME) {
  if (state.level <= 1) {
    E1PSH("E1POP");
    MSG_SET_TEXT(1, NAME);
    E1MES(5, 1, "Error condition in E1POP.  Cannot pop from %(L1) because stack is empty.");
    recio::stop({}, kExitStoppedByMessage);
  }
  if (!routine_name_matches(NAME, state.routine_name[state.level])) {
    MSG_SET_TEXT(1, NAME);
    MSG_SET_TEXT(2, stored_name(state.level));
    E1MES(5, 2, "Error condition in E1POP.  %(L1) does not match the name %(L2) in the stack.");
    recio::stop({}, kExitStoppedByMessage);
  }
  const int t = state.err_type[state.level];
  if (t != 0) {
    // Alerts and worse are passed to the caller's level.
    if (t >= 2 && t <= 7) {
      state.err_type[state.level - 1] = t;
      state.err_code[state.level - 1] = state.err_code[state.level];
    }
    bool stop = false;
    if (t >= 1 && t <= 4) {
      if (state.user_called[state.level] && state.print_on[t] == 1) ERR_PRINT();
      stop = state.user_called[state.level] && state.stop_on[t] == 1;
    } else if (t >= 5 && t <= 7) {
      if (state.print_on[t] == 1) ERR_PRINT();
      if (t == 5) {
        stop = state.stop_on[5] == 1;
      } else {
        stop = state.user_called[state.level] && ERR_IMMEDIATE_STOP() == 1;
      }
    }
    if (stop) recio::stop({}, kExitStoppedByMessage);
  }
  if (state.level < state.max_level) {
    state.err_type[state.level + 1] = -1;
    state.err_code[state.level + 1] = -1;
  }
  --state.level;
}

void E1MES(int IERTYP, int IERCOD, std::string_view MSG) {
  if (IERTYP != -1) {
    if (IERTYP < -1 || IERTYP > 7) {
      set_message_directly(".  Error from E1MES.  Illegal error type specified.");
      ERR_PRINT();
      recio::stop({}, kExitStoppedByMessage);
    }
    state.err_type[state.level] = IERTYP;
  }
  if (IERCOD >= 0) state.err_code[state.level] = IERCOD;
  if (IERTYP == 0 || IERCOD == 0) {
    state.msg_len = 0;
  } else {
    const bool no_text = MSG.empty() || (MSG.size() == 1 && MSG[0] == ' ');
    if (!no_text) build_message(MSG);
    const int t = state.err_type[state.level];
    if (t == 6) state.immediate_warning_flag = 1;
    if (t == 7) state.immediate_fatal_flag = 1;
    if (t >= 5 && t <= kErrorTypes && state.print_on[t] == 1) ERR_PRINT();
  }
  clear_parameters();
}

int error_level() { return state.level; }

int error_type_at(int level) { return state.err_type[level]; }

int error_code_at(int level) { return state.err_code[level]; }

void error_terminal_direct(std::string_view text) {
  state.err_type[state.level] = 5;
  state.err_code[state.level] = 1;
  set_message_directly(text);
  ERR_PRINT();
  recio::stop({}, kExitStoppedByMessage);
}

}  // namespace polylsq
