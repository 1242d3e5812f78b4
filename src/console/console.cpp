// The console operations: start and stop, the text buffer, flushes and
// cursor moves. Text processing is in flush.cpp, the move rule in move.cpp.
#include "console/console.h"

#include <sys/ioctl.h>

#include <algorithm>
#include <charconv>
#include <cstring>

#include "console/flush.h"
#include "console/move.h"
#include "console/position_query.h"
#include "console/raw_mode.h"
#include "console/send.h"
#include "console/signals.h"
#include "runtime/exit.h"
#include "runtime/io_error.h"
#include "runtime/syscall.h"

namespace tolv {

namespace {

// The one console of the process; its parts get it as a parameter.
ConsoleState console_state;

// The window size of the terminal; a size the terminal does not report (a
// failed query, a dimension of 0) keeps its default.
void read_screen_size(ConsoleState& console) {
  winsize size{};
  if (sys_get_winsize(1, &size) != 0) return;
  if (size.ws_col != 0) console.width = size.ws_col;
  if (size.ws_row != 0) console.height = size.ws_row;
}

void append_text(std::string_view text) {
  ConsoleState& console = console_state;
  while (!text.empty()) {
    size_t take = std::min(text.size(), kTextBufferSize - console.text_fill);
    memcpy(console.text + console.text_fill, text.data(), take);
    console.text_fill += take;
    text.remove_prefix(take);
    if (console.text_fill == kTextBufferSize) console_flush();
  }
}

}  // namespace

void console_start(bool listing_on_stdin) {
  ConsoleState& console = console_state;
  console = ConsoleState{};
  set_console_stop(console_stop);
  ignore_failing_writes();

  termios modes;
  console.redirected = sys_tcgetattr(1, &modes) != 0;
  if (console.redirected) return;

  read_screen_size(console);
  console.saved_modes = modes;
  console.restore_at_stop = true;
  restore_modes_on_signals(modes);
  // A listing read from standard input may never end: typed on the
  // terminal, raw mode gives no end of input; from a pipe, the producer may
  // be slow or endless. The interrupt and quit keys end such a run, through
  // the handlers above. A named listing file keeps them off.
  termios input;
  bool input_is_terminal = sys_tcgetattr(0, &input) == 0;
  apply_modes(raw_modes(modes, listing_on_stdin));

  Cursor at = query_position(console.width, console.height, input_is_terminal);
  if (at.column == 0) {
    console.cursor = Cursor{1, 1};
    send(console, "\x1b[H");
  } else {
    console.cursor = at;
  }
  // Default rendition: whatever colours were left on, the text is plain.
  send(console, "\x1b[m");
}

void console_stop() {
  ConsoleState& console = console_state;
  if (console.stopped) return;
  console.stopped = true;
  send_out(console);
  if (console.restore_at_stop) {
    apply_modes(console.saved_modes);
    release_signals();
    console.restore_at_stop = false;
  }
}

void console_write_text(std::string_view text) {
  if (pending_error != 0) return;
  append_text(text);
}

void console_write_number(int64_t number) {
  if (pending_error != 0) return;
  char digits[24];  // sign and 19 digits
  auto result = std::to_chars(digits, digits + sizeof digits, number);
  append_text(std::string_view(digits, static_cast<size_t>(result.ptr - digits)));
}

void console_flush() {
  ConsoleState& console = console_state;
  size_t fill = console.text_fill;
  console.text_fill = 0;
  if (fill > 0) process_text(console, std::string_view(console.text, fill));
}

void console_end_line() {
  if (pending_error == 0) append_text("\n");
  console_flush();
}

int console_current_row() {
  return console_state.cursor.row;
}

void console_move_cursor(int column, int row) {
  ConsoleState& console = console_state;
  if (column < 1 || column > console.width || row < 1 || row > console.height) return;
  move_to(console, Cursor{column, row});
}

}  // namespace tolv
