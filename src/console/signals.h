// Signals that end the run while the terminal is in raw mode.
//
// Every catchable signal whose default action ends the process (SIGHUP,
// SIGINT, SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF,
// SIGXCPU, SIGABRT, SIGTRAP, SIGSYS, SIGIO, SIGPWR, SIGSTKFLT, SIGBUS,
// SIGILL) restores the terminal's own modes and then ends the process by
// the same signal with its default action, so a killed run never leaves the
// terminal raw. SIGFPE and SIGSEGV belong to the run-time library and are
// left alone.
#pragma once

#include <termios.h>

namespace tolv {

// A write on a closed pipe (SIGPIPE) or past the file size limit (SIGXFSZ)
// only fails, with EPIPE or EFBIG; it does not end the process.
void ignore_failing_writes();

// Catches the ending signals (those not ignored already) so that they apply
// `modes` to descriptor 1 first. Call before the terminal goes raw.
void restore_modes_on_signals(const termios& modes);

// Gives the ending signals back their previous actions.
void release_signals();

}  // namespace tolv
