#include "runtime/fault.h"

#include <dlfcn.h>
#include <signal.h>
#include <ucontext.h>

#include "runtime/exit.h"

namespace tolv {

namespace {

constexpr uint16_t kSegmentationFault = 216;
constexpr uint16_t kDivisionByZero = 200;

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
  uint16_t code = kSegmentationFault;
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
  if ((status_word & 0x7F) == 0) return kDivisionByZero;
  if (status_word & 0x04) return 200;  // division by zero
  if (status_word & 0x08) return 205;  // overflow
  if (status_word & 0x10) return 206;  // underflow
  if (status_word & 0x02) return 216;  // denormal operand
  if (status_word & 0x60) return 207;  // precision or stack fault
  return 216;                          // invalid operation
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
  sigaction(SIGFPE, &action, nullptr);
  sigaction(SIGSEGV, &action, nullptr);
}

}  // namespace tolv
