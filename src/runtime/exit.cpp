#include "runtime/exit.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>

#include "runtime/io_error.h"
#include "runtime/message.h"
#include "runtime/syscall.h"

namespace tolv {

namespace {

constexpr int kTraceLinesTerminal = 9;
constexpr int kTraceLinesOther = 257;

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
    snprintf(line, sizeof line, "  0x%08X\n", unsigned{level_return(level)});
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
  if (ending) sys_exit(ending_status);
  ending = true;
  ending_status = exit_status;
  if (console_stop) console_stop();
  if (error_position_set) write_message();
  sys_exit(ending_status);
}

}  // namespace

void check_pending_error() {
  if (pending_error == 0) return;
  uint16_t code = error_code_query();
  raise_runtime_error(code, code_position(__builtin_return_address(0)), call_depth());
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
