#include "runtime/fault.h"

#include <dlfcn.h>
#include <signal.h>
#include <ucontext.h>

#include "runtime/error_codes.h"
#include "runtime/exit.h"
#include "runtime/syscall.h"

namespace tolv {

namespace {

// The x87 status word's exception flags, in the order they are looked at,
// with the code each gives.
struct FlagCode {
  uint16_t flags;
  uint16_t code;
};
constexpr FlagCode kFlagCodes[] = {
    {0x04, kDivisionByZero},         // division by zero
    {0x08, kFloatOverflow},          // overflow
    {0x10, kFloatUnderflow},         // underflow
    {0x02, kAccessViolation},        // denormal operand
    {0x60, kInvalidFloatOperation},  // precision, stack fault
    {0x01, kAccessViolation},        // invalid operation
};
constexpr uint16_t kExceptionFlags = 0x7F;

uint16_t fpu_status(const ucontext_t* uc) {
#if defined(__x86_64__)
  if (uc && uc->uc_mcontext.fpregs) return uc->uc_mcontext.fpregs->swd;
#elif defined(__i386__)
  if (uc && uc->uc_mcontext.fpregs) return static_cast<uint16_t>(uc->uc_mcontext.fpregs->sw);
#else
  (void)uc;
#endif
  return 0;
}

const void* fault_address(const ucontext_t* uc) {
#if defined(__x86_64__)
  if (uc) return reinterpret_cast<const void*>(uc->uc_mcontext.gregs[REG_RIP]);
#elif defined(__i386__)
  if (uc) return reinterpret_cast<const void*>(uc->uc_mcontext.gregs[REG_EIP]);
#else
  (void)uc;
#endif
  return nullptr;
}

void on_fault(int signal, siginfo_t*, void* context) {
  const auto* uc = static_cast<const ucontext_t*>(context);
  uint16_t code = kAccessViolation;
  if (signal == SIGFPE) {
    code = fpe_code(fpu_status(uc));
    init_fpu();
  }
  raise_runtime_error(code, fault_position(fault_address(uc)), call_depth());
}

}  // namespace

void init_fpu() {
#if defined(__x86_64__) || defined(__i386__)
  uint16_t word = kFpuControlWord;
  asm volatile("fninit\n\tfldcw %0" : : "m"(word));
#endif
}

uint32_t fault_position(const void* address) {
  // dladdr takes the loader's lock, a recursive one: with one thread it never
  // waits, whatever the fault interrupted.
  Dl_info module;
  if (address == nullptr || dladdr(address, &module) == 0 || module.dli_fbase == nullptr)
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(address));
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(address) -
                               reinterpret_cast<uintptr_t>(module.dli_fbase));
}

uint16_t fpe_code(uint16_t status_word) {
  // An integer division sets no flag of its own.
  if ((status_word & kExceptionFlags) == 0) return kDivisionByZero;
  for (FlagCode f : kFlagCodes)
    if (status_word & f.flags) return f.code;
  return kAccessViolation;
}

void install_fault_handler() {
  init_fpu();
  struct sigaction action {};
  // SA_SIGINFO only hands the handler the faulting context (instruction and
  // floating-point status); the handler stays installed and its signal is
  // blocked while it runs, as without flags.
  action.sa_sigaction = on_fault;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  sys_sigaction(SIGFPE, &action, nullptr);
  sys_sigaction(SIGSEGV, &action, nullptr);
}

}  // namespace tolv
