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
// The position of a statement check (runtime/call_level.h) is the return
// address of its call: the instruction after the call, which differs for
// every checked statement.
#pragma once

#include <cstdint>

#include "runtime/call_level.h"

namespace tolv {

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
