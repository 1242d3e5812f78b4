// Signals that end the run while the terminal is in raw mode.
//
// SIGHUP, SIGINT, SIGQUIT and SIGTERM restore the terminal's own modes and
// then end the process by the same signal with its default action, so a
// killed run never leaves the terminal raw. SIGFPE and SIGSEGV belong to the
// run-time library and are left alone.
#pragma once

#include <termios.h>

namespace tolv {

// A write on a closed pipe only fails; it does not end the run.
void ignore_broken_pipe();

// Catches the ending signals (those not ignored already) so that they apply
// `modes` to descriptor 1 first. Call before the terminal goes raw.
void restore_modes_on_signals(const termios& modes);

// Gives the ending signals back their previous actions.
void release_signals();

}  // namespace tolv
