// Turning the gathered text into what the screen needs: plain bytes wrapped
// at the right edge, line ends and carriage returns as cursor moves, tabs as
// spaces, and ESC made visible on a terminal.
#pragma once

#include <string_view>

#include "console/console_state.h"

namespace tolv {

// Columns between tab stops (stops at 9, 17, 25, ...).
inline constexpr int kTabWidth = 8;

// Processes `text` and writes the result to descriptor 1: in one write when it
// is at most kSendBufferSize bytes, else in as many as needed.
void process_text(ConsoleState& console, std::string_view text);

// To column 1 of the next row; on the bottom row the screen scrolls (LF CR)
// and the row stays.
void line_end(ConsoleState& console);

}  // namespace tolv
