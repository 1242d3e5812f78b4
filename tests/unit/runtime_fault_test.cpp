// Start-up and processor faults: the floating-point unit, the handler and
// the codes it gives, tried with real faults in a child.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cfloat>
#include <string>

#include "runtime/exit.h"
#include "runtime/fault.h"
#include "runtime/io_error.h"
#include "runtime/startup.h"
#include "support/call_levels.h"
#include "support/child.h"
#include "support/error_message.h"

// The faulting instruction of store_to_address_zero, below.
extern "C" const char tolv_test_segv_at[];

namespace tolv {
namespace {

using test::nest;
using test::Outcome;
using test::run_in_child;

TEST(FpeCode, NoFlagGives200AndTheFirstFlagThatAppliesDecides) {
  struct Case {
    uint16_t status_word;
    uint16_t code;
  };
  for (Case c : {
           Case{0x0000, 200},
           Case{0x3880, 200},  // stack top, busy, summary: no flag
           Case{0x0004, 200},
           Case{0x0008, 205},
           Case{0x0010, 206},
           Case{0x0002, 216},
           Case{0x0020, 207},
           Case{0x0040, 207},
           Case{0x0001, 216},
           Case{0x000C, 200},
           Case{0x0018, 205},
           Case{0x0012, 206},
           Case{0x0022, 216},
           Case{0x0061, 207},
           Case{0x007F, 200},
           Case{0x0089, 205},
       })
    EXPECT_EQ(fpe_code(c.status_word), c.code) << std::hex << c.status_word;
}

void report(const std::string& text) {
  if (write(1, text.data(), text.size()) < 0) _exit(2);
}

#if defined(__x86_64__) || defined(__i386__)

// The control word without its reserved bits (bit 6 reads as 1).
uint16_t fpu_control_word() {
  uint16_t word;
  asm volatile("fnstcw %0" : "=m"(word));
  return word & 0x1F3F;
}

uint16_t fpu_status_word() {
  uint16_t word;
  asm volatile("fnstsw %0" : "=m"(word));
  return word;
}

TEST(StartUp, LoadsTheControlWordInstallsTheHandlerAndClearsTheCode) {
  Outcome run = run_in_child([] {
    pending_error = 7;
    start_runtime();
    std::string out =
        "cw=" + std::to_string(fpu_control_word()) + " pending=" + std::to_string(pending_error);
    for (int signal : {SIGFPE, SIGSEGV}) {
      struct sigaction action;
      sigaction(signal, nullptr, &action);
      int blocked = 0;
      for (int s = 1; s < NSIG; ++s) blocked += sigismember(&action.sa_mask, s) == 1;
      constexpr int kFlags = SA_SIGINFO | SA_ONSTACK | SA_RESTART | SA_NODEFER | SA_RESETHAND;
      out += " flags=" + std::to_string(action.sa_flags & kFlags) +
             " blocked=" + std::to_string(blocked);
    }
    report(out);
    _exit(0);
  });
  std::string handler = " flags=" + std::to_string(SA_SIGINFO) + " blocked=0";
  EXPECT_EQ(run.output, "cw=" + std::to_string(0x1332) + " pending=0" + handler + handler);
}

// After the handler: the unit holds the start-up control word and no flag.
void report_fpu_state() {
  report("[cw=" + std::to_string(fpu_control_word()) +
         " flags=" + std::to_string(fpu_status_word() & 0x7F) + "]");
}

Outcome fault_in_child(void (*fault)()) {
  return run_in_child([=] {
    start_runtime();
    set_console_stop(report_fpu_state);
    fault();
    _exit(0);
  });
}

// a / b or a * b on the x87 unit, through volatiles so that it is computed.
void x87(long double a, long double b, bool divide) {
  volatile long double x = a, y = b;
  volatile long double result = divide ? x / y : x * y;
  (void)result;
}

void x87_divide_by_zero() {
  x87(1, 0, true);
}
void x87_overflow() {
  x87(LDBL_MAX, LDBL_MAX, false);
}
void x87_invalid_operation() {
  x87(0, 0, true);
}
void x87_underflow_is_masked() {
  x87(LDBL_MIN, LDBL_MIN, false);
}

void integer_divide_by_zero() {
  int quotient, remainder, zero = 0;
  asm volatile("cltd\n\tidivl %2" : "=a"(quotient), "=&d"(remainder) : "r"(zero), "a"(1));
  (void)quotient;
}

void sigfpe_from_kill() {
  kill(getpid(), SIGFPE);
}

TEST(Fault, ArithmeticFaultsGiveTheirCodeAndTheUnitIsReset) {
  struct Case {
    const char* name;
    void (*fault)();
    int status;
  };
  const std::string reset = "[cw=" + std::to_string(0x1332) + " flags=0]";
  for (Case c :
       {Case{"divide by zero", x87_divide_by_zero, 200}, Case{"overflow", x87_overflow, 205},
        Case{"invalid operation", x87_invalid_operation, 216},
        Case{"integer division", integer_divide_by_zero, 200},
        Case{"sent by kill", sigfpe_from_kill, 200},
        Case{"underflow, masked", x87_underflow_is_masked, 0}}) {
    SCOPED_TRACE(c.name);
    Outcome run = fault_in_child(c.fault);
    EXPECT_EQ(run.status, c.status);
    if (c.status == 0) {
      EXPECT_EQ(run.output, "");
      continue;
    }
    test::ErrorMessage message = test::parse_error_message(run.output);
    ASSERT_TRUE(message.found) << run.output;
    EXPECT_EQ(message.code, c.status);
    EXPECT_EQ(message.console, reset);
  }
}

// A store to address 0 at a known place.
[[gnu::noipa]] void store_to_address_zero() {
  asm volatile(
      ".globl tolv_test_segv_at\n"
      "tolv_test_segv_at:\n\t"
      "movl $1, 0");
}

TEST(Fault, SegmentationFaultGives216AtTheFaultingInstruction) {
  Outcome run = run_in_child([] {
    start_runtime();
    nest(2, store_to_address_zero);
  });
  EXPECT_EQ(run.status, 216);
  test::ErrorMessage message = test::parse_error_message(run.output);
  ASSERT_TRUE(message.found) << run.output;
  char expected[9];
  snprintf(expected, sizeof expected, "%08X", code_position(tolv_test_segv_at));
  EXPECT_EQ(message.position, expected);
  EXPECT_EQ(message.trace.size(), 2u);  // the levels open at the fault
}
#endif

TEST(Fault, SigsegvSentByKillGives216) {
  Outcome run = run_in_child([] {
    start_runtime();
    nest(1, [] { kill(getpid(), SIGSEGV); });
  });
  EXPECT_EQ(run.status, 216);
  test::ErrorMessage message = test::parse_error_message(run.output);
  ASSERT_TRUE(message.found) << run.output;
  EXPECT_EQ(message.trace.size(), 1u);
}

TEST(Fault, PositionsAreOffsetsInTheModuleThatHoldsTheInstruction) {
  auto in_program = reinterpret_cast<const void*>(&nest);
  EXPECT_EQ(fault_position(in_program), code_position(in_program));
  // getpid lives in the C library: its offset there, well below the 32-bit
  // difference between two load addresses.
  auto in_library = reinterpret_cast<const void*>(&getpid);
  EXPECT_NE(fault_position(in_library), code_position(in_library));
  EXPECT_LT(fault_position(in_library), 64u << 20);
  EXPECT_EQ(fault_position(nullptr), 0u);
}

}  // namespace
}  // namespace tolv
