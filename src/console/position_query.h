// Asking the terminal where the cursor stands (DSR 6, answered by CPR
// ESC [ row ; column R).
#pragma once

#include <string_view>

#include "console/console_state.h"

namespace tolv {

// How long the terminal has to answer.
inline constexpr int kReplyTimeoutMs = 1000;

// Bytes read at most for the answer; keys typed before it come along.
inline constexpr size_t kReplyReadSize = 256;

// The cursor place in `bytes` (one read from the terminal), clamped to a
// width x height screen; {0, 0} when there is no usable answer in it.
Cursor parse_position_reply(std::string_view bytes, int width, int height);

// Sends the request on descriptor 0, when that is a terminal (`ask`), and
// reads the answer from descriptor 1: one wait of at most kReplyTimeoutMs,
// one read. {0, 0} when no usable answer came.
Cursor query_position(int width, int height, bool ask);

}  // namespace tolv
