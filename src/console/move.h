// Cursor moves: the shortest control sequence that takes the cursor from one
// place to another, and its use on the console.
#pragma once

#include <cstddef>
#include <string_view>

#include "console/console_state.h"

namespace tolv {

// Long enough for ESC [ row ; column H with two full-width ints.
inline constexpr size_t kMaxMoveBytes = 32;

struct MoveBytes {
  char bytes[kMaxMoveBytes];
  size_t size = 0;
  std::string_view view() const { return {bytes, size}; }
};

// The bytes that move the cursor from `from` to `to`. On a terminal these are
// CR, CR LF or ECMA-48 sequences (CUF, CUB, CUD, CUU, CUP); redirected output
// can only go down, so there a move one row down is a LF and any other move
// is nothing.
MoveBytes move_bytes(bool redirected, Cursor from, Cursor to);

// Sends the bytes of the move from the tracked cursor to `to`; the tracked
// cursor is `to` afterwards, whatever was sent.
void move_to(ConsoleState& console, Cursor to);

}  // namespace tolv
