// The send buffer: every byte the console writes to descriptor 1 passes
// through it. Outside a flush each send goes out at once in one write; during
// a flush bytes gather and go out whenever the buffer is full, and once more
// at the flush's end.
#pragma once

#include <string_view>

#include "console/console_state.h"

namespace tolv {

void send(ConsoleState& console, std::string_view bytes);

// Writes what the send buffer holds to descriptor 1 in one write and empties
// it. A failed or short write loses the bytes; nothing is reported.
void send_out(ConsoleState& console);

}  // namespace tolv
