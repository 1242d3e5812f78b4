#include "runtime/exit.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>

#include "runtime/io_error.h"
#include "runtime/message.h"
#include "runtime/syscall.h"

extern "C" char __executable_start;  // first byte of the program's image (linker-defined)

namespace tolv {

namespace {

constexpr int kMaxLevels = 512;
constexpr int kTraceLinesTerminal = 9;
constexpr int kTraceLinesOther = 257;

uint32_t level_returns[kMaxLevels];
int depth = 0;

void (*console_stop)() = nullptr;

uint8_t exit_status = 0;
uint16_t error_code = 0;
bool error_position_set = false;
uint32_t error_position = 0;
int error_frame = 0;

void write_message() {
  char line[64];
  snprintf(line, sizeof line, "Runtime error %u at 0x%08X\n", unsigned{error_code},
           unsigned{error_position});
  message_write(line);
  snprintf(line, sizeof line, "  0x%08X\n", unsigned{error_position});
  message_write(line);
  struct termios t;
  int cap = sys_tcgetattr(1, &t) == 0 ? kTraceLinesTerminal : kTraceLinesOther;
  int lines = 0;
  for (int level = error_frame; level > 0 && lines < cap; --level, ++lines) {
    uint32_t place = level <= kMaxLevels ? level_returns[level - 1] : 0;
    snprintf(line, sizeof line, "  0x%08X\n", unsigned{place});
    message_write(line);
  }
  message_write("\n");
}

// Runs once. A way out taken while it runs (a fault in the console's stop or
// while the message is written) ends the process at once, with the status of
// the way out that started the sequence.
bool ending = false;
uint8_t ending_status = 0;

[[noreturn]] void exit_sequence() {
  if (ending) _exit(ending_status);
  ending = true;
  ending_status = exit_status;
  if (console_stop) console_stop();
  if (error_position_set) write_message();
  _exit(ending_status);
}

}  // namespace

CallLevel::CallLevel(void* return_address) {
  if (depth < kMaxLevels) level_returns[depth] = code_position(return_address);
  ++depth;
}

CallLevel::~CallLevel() {
  --depth;
}

int call_depth() {
  return depth;
}

uint32_t code_position(const void* address) {
  auto at = reinterpret_cast<uintptr_t>(address);
  auto base = reinterpret_cast<uintptr_t>(&__executable_start);
  return static_cast<uint32_t>(at - base);
}

void check_pending_error() {
  if (pending_error == 0) return;
  uint16_t code = error_code_query();
  raise_runtime_error(code, code_position(__builtin_return_address(0)), depth);
}

void raise_runtime_error(uint16_t code, uint32_t position, int frame) {
  error_code = code;
  error_position = position;
  error_position_set = true;
  error_frame = frame;
  halt(static_cast<uint8_t>(code & 0xFF));
}

void halt(uint8_t status) {
  exit_status = status;
  exit_sequence();
}

void normal_end() {
  exit_sequence();
}

void set_console_stop(void (*stop)()) {
  console_stop = stop;
}

}  // namespace tolv
