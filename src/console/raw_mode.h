// Switching the terminal on descriptor 1 between its own modes and raw mode.
#pragma once

#include <termios.h>

namespace tolv {

// `modes` with input translation, flow control, output processing, echo,
// line editing and signal keys off and 8-bit characters; the control
// characters (VMIN, VTIME, ...) are kept. With `keep_signal_keys` the
// interrupt and quit keys (ISIG) stay as they are in `modes`, and the
// suspend key is off.
termios raw_modes(const termios& modes, bool keep_signal_keys = false);

// Apply `modes` to descriptor 1 at once (TCSANOW). A failure is ignored.
void apply_modes(const termios& modes);

}  // namespace tolv
