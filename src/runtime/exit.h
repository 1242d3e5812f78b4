// How the process ends: statement checks, run-time errors, halt and the
// normal end, which all pass through one exit sequence that runs once:
//
//   1. stop the console (the service started last), so its queued bytes are
//      out and a terminal is back in its own modes;
//   2. when a run-time error set the error position, write the message
//        "Runtime error N at 0xPPPPPPPP" / "  0xPPPPPPPP" / trace lines / ""
//      on a stream of its own on descriptor 1;
//   3. _exit with the status.
//
// Code positions. A position is an address in the program's code less the
// address the program was loaded at (__executable_start), so it is the same
// on every run of a build whatever address-space randomisation does. The
// position of a statement check is the return address of its call: the
// instruction after the call, which differs for every checked statement.
// Call levels are kept explicitly: a function that forms a level of its own
// (the run sequence, the duplicate check) opens a CallLevel on entry, which
// records where it returns to in its caller. The trace lists those return
// places, innermost first.
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

// The position of a code address, as printed in the message.
uint32_t code_position(const void* address);

// The check itself: a pending code ends the run with a run-time error at the
// return address of this call. Call it through statement_check only.
[[gnu::noipa]] void check_pending_error();

// After an input/output statement: a pending code ends the run with a
// run-time error at this statement's position. Changes nothing otherwise.
//
// Always inlined, so each checked statement has a call of its own. The empty
// asm keeps that call out of tail position: a call compiled as a jump would
// hand check_pending_error the return address of the enclosing function's
// caller, the position of a different statement.
[[gnu::always_inline]] inline void statement_check() {
  check_pending_error();
  asm volatile("");
}

// Ends the run with run-time error `code` at `position` (already made
// relative by code_position) with the trace starting at call level `depth`.
[[noreturn]] void raise_runtime_error(uint16_t code, uint32_t position, int depth);

// Ends the run with `status` and no message.
[[noreturn]] void halt(uint8_t status);

// Ends the run with status 0.
[[noreturn]] void normal_end();

// The console hands its stop to the exit sequence when it starts, so the
// run-time library never depends on the console.
void set_console_stop(void (*stop)());

}  // namespace tolv
