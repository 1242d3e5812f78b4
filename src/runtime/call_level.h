// Code positions and call levels, for the run-time error message.
//
// A position is an address in the program's code less the address the
// program was loaded at (__executable_start), so it is the same on every run
// of a build whatever address-space randomisation does. Call levels are kept
// explicitly: a function that forms a level of its own (the run sequence,
// the duplicate check) opens a CallLevel on entry, which records where it
// returns to in its caller. The message's trace lists those return places,
// innermost first.
#pragma once

#include <cstdint>

namespace tolv {

// Opens a call level for the enclosing function; use TOLV_CALL_LEVEL() as the
// first statement of a [[gnu::noinline]] function.
struct CallLevel {
  explicit CallLevel(void* return_address);
  ~CallLevel();
  CallLevel(const CallLevel&) = delete;
  CallLevel& operator=(const CallLevel&) = delete;
};
#define TOLV_CALL_LEVEL() ::tolv::CallLevel tolv_call_level_(__builtin_return_address(0))

// Number of call levels open now.
int call_depth();

// The position that call level `level` (1 for the outermost) returns to in
// its caller; 0 for a level deeper than those recorded.
uint32_t level_return(int level);

// The position of a code address, as printed in the message.
uint32_t code_position(const void* address);

}  // namespace tolv
