// Redirected mode only, for now: LF line ends, moves dropped except one row
// down. Terminal mode replaces this.
#include "console/console.h"

#include <string>

#include "runtime/exit.h"
#include "runtime/io_error.h"
#include "runtime/syscall.h"

namespace tolv {

namespace {

std::string text;
int row = 1;

}  // namespace

void console_start() { set_console_stop(console_stop); }

void console_stop() { console_flush(); }

void console_write_text(std::string_view s) {
  if (pending_error == 0) text.append(s);
}

void console_write_number(int64_t number) {
  if (pending_error == 0) text.append(std::to_string(number));
}

void console_flush() {
  for (char c : text)
    if (c == '\n') ++row;
  if (!text.empty()) sys_write(1, text.data(), text.size());
  text.clear();
}

void console_end_line() {
  console_write_text("\n");
  console_flush();
}

int console_current_row() { return row; }

void console_move_cursor(int, int y) {
  if (y == row + 1) {
    sys_write(1, "\n", 1);
    row = y;
  }
}

}  // namespace tolv
