// Processor faults: SIGSEGV and SIGFPE end the run with a run-time error at
// the faulting instruction.
#pragma once

#include <cstdint>

namespace tolv {

// Control word the x87 unit starts with: extended precision, round to
// nearest, traps on invalid operation, division by zero and overflow.
inline constexpr uint16_t kFpuControlWord = 0x1332;

// Resets the floating-point unit and loads kFpuControlWord (x86 only).
void init_fpu();

// Installs the handler for SIGFPE and SIGSEGV; it stays installed and its
// signal is blocked while it runs.
void install_fault_handler();

// The position of a faulting instruction: its offset from the load address of
// the module that holds it. In the program that is code_position (exit.h); a
// fault in a shared library (the C library's read, when the signal came
// from kill) is an offset in that library, so it too is the same on every
// run whatever address-space randomisation does. An address in no module is
// given as it is.
uint32_t fault_position(const void* address);

// The run-time error code of an arithmetic fault, from the x87 status word.
uint16_t fpe_code(uint16_t status_word);

}  // namespace tolv
