// The pending error code: the one process-wide record of an input/output
// failure.
//
// File operations never return their failures. A failing operation sets
// `pending_error`; while it is set every file operation does nothing and gives
// its neutral result (nothing read or written, size 0). The statement check
// (exit.h) after each input/output statement turns a pending code into a
// run-time error; the few callers that handle a failure themselves take the
// code with `error_code_query`.
#pragma once

#include <cstdint>

#include "runtime/error_codes.h"

namespace tolv {

// The file operations themselves set kReadPastEnd, kDiskWriteError and
// kFileNotOpen (error_codes.h); the others come from translation.

extern uint16_t pending_error;

// Returns the pending error code and clears it.
uint16_t error_code_query();

// The code that an errno translates to, or 0 when the number has no code.
uint16_t translate_errno(int number);

// Sets the pending error code from `number` when it has a code; a number
// without a code (and 0) leaves the pending code as it is.
void set_pending_from_errno(int number);

}  // namespace tolv
