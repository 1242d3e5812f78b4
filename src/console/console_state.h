// The console's state, shared by its parts (operations, text processing,
// moves, the send buffer), which take it as a parameter. The one instance is
// private to console.cpp.
#pragma once

#include <termios.h>

#include <cstddef>

namespace tolv {

// Size of the notional screen in redirected mode, and of a terminal whose
// window size cannot be read.
inline constexpr int kDefaultWidth = 80;
inline constexpr int kDefaultHeight = 25;

// Text and numbers gather here until the next flush.
inline constexpr size_t kTextBufferSize = 256;

// Processed output gathers here and goes to descriptor 1 in one write.
inline constexpr size_t kSendBufferSize = 1024;

// A place on the screen, both 1-based; {0, 0} stands for "not known".
struct Cursor {
  int column = 1;
  int row = 1;
  bool operator==(const Cursor&) const = default;
};

struct ConsoleState {
  bool redirected = true;
  int width = kDefaultWidth;
  int height = kDefaultHeight;
  Cursor cursor;  // where the console has put the cursor

  termios saved_modes{};         // the terminal's own modes, read at start
  bool restore_at_stop = false;  // terminal mode, until the console stops
  bool stopped = false;

  char text[kTextBufferSize];
  size_t text_fill = 0;

  char send_buffer[kSendBufferSize];
  size_t send_fill = 0;
  bool send_at_once = true;  // false while a flush is processed
};

}  // namespace tolv
