// The error handler's process-wide state, shared by the handler's own files only: the
// routine-name stack with the type and code recorded at each level, the pending message,
// the stored message parameters, and the fixed print, stop and traceback settings by type.
// Positions in the buffers and the per-level arrays are 1-based (slot 0 unused); every
// buffer has a fixed size.
#pragma once

namespace polylsq {

constexpr int kMaxErrorLevel = 50;        // deepest level a push may reach
constexpr int kErrorLevelSlots = 51;      // per-level entries: one past the deepest level
constexpr int kRoutineNameWidth = 32;     // names are stored cut or blank-padded to this
constexpr int kMessageCapacity = 1024;    // characters of a built message
constexpr int kParameterCapacity = 300;   // characters of the stored parameter records
constexpr int kErrorTypes = 7;            // types 1 .. 7

struct ErrorHandlerState {
  int level;
  int max_level;
  char routine_name[kErrorLevelSlots + 1][kRoutineNameWidth];
  int err_type[kErrorLevelSlots + 1];
  int err_code[kErrorLevelSlots + 1];
  bool user_called[kErrorLevelSlots + 1];   // the level's routine was called by the user
  char msg_buf[kMessageCapacity + 1];       // the pending message, normally ".  " and text
  int msg_len;                              // 0: no message pending
  char param_buf[kParameterCapacity + 1];   // records "*I1*2%12" one after another
  int param_end;                            // last position used; 1 when none is stored
  int print_on[kErrorTypes + 1];
  int stop_on[kErrorTypes + 1];
  int trace_on[kErrorTypes + 1];
  int immediate_warning_flag;
  int immediate_fatal_flag;
  bool init_done;                           // ERR_INIT has run
};

// The one state of the process, zero until the first push or parameter initialises it.
extern ErrorHandlerState error_handler_state;

// Sets every field to its initial value: level 1 named "USER", the routine at level 2
// called by the user, nothing pending, the fixed settings (printed: types 3 to 7; stopped:
// 4, 5 and 7; traceback for every type).
void ERR_INIT();

// Runs ERR_INIT once per process (again after the test-only reset). The pushes and the
// parameter setters call it; the other entries rely on a push having come first.
inline void ensure_error_handler_initialised() {
  if (!error_handler_state.init_done) ERR_INIT();
}

}  // namespace polylsq
