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

// The run-time error code of an arithmetic fault, from the x87 status word.
uint16_t fpe_code(uint16_t status_word);

}  // namespace tolv
