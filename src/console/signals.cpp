#include "console/signals.h"

#include <signal.h>

#include <cstddef>

#include "console/raw_mode.h"
#include "runtime/syscall.h"

namespace tolv {

namespace {

// Every signal that can be caught and whose default action ends the
// process, but SIGFPE and SIGSEGV (the run-time library's) and the two that
// are ignored (SIGPIPE, SIGXFSZ).
constexpr int kEndingSignals[] = {
    SIGHUP,    SIGINT,  SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF,
    SIGXCPU,   SIGABRT, SIGTRAP, SIGSYS,  SIGIO,   SIGPWR,  SIGBUS,  SIGILL,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
};
constexpr size_t kSignalCount = sizeof kEndingSignals / sizeof kEndingSignals[0];

termios modes_to_restore;
volatile sig_atomic_t restore_pending = 0;
struct sigaction previous[kSignalCount];
bool caught[kSignalCount];

void on_ending_signal(int signal) {
  if (restore_pending) apply_modes(modes_to_restore);
  // End by the same signal, as if it had never been caught.
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sys_sigaction(signal, &action, nullptr);
  sigset_t unblock;
  sigemptyset(&unblock);
  sigaddset(&unblock, signal);
  sys_sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
  sys_raise(signal);
}

}  // namespace

void ignore_failing_writes() {
  struct sigaction action {};
  action.sa_handler = SIG_IGN;
  sigemptyset(&action.sa_mask);
  sys_sigaction(SIGPIPE, &action, nullptr);
  sys_sigaction(SIGXFSZ, &action, nullptr);
}

void restore_modes_on_signals(const termios& modes) {
  modes_to_restore = modes;
  restore_pending = 1;
  struct sigaction action {};
  action.sa_handler = on_ending_signal;
  // One restore at a time: the other ending signals wait until the process
  // has ended by the first.
  sigemptyset(&action.sa_mask);
  for (int signal : kEndingSignals) sigaddset(&action.sa_mask, signal);
  for (size_t i = 0; i < kSignalCount; ++i) {
    caught[i] = false;
    if (sys_sigaction(kEndingSignals[i], nullptr, &previous[i]) != 0) continue;
    // An ignored signal (a run under nohup, a background job) stays ignored.
    if (previous[i].sa_handler == SIG_IGN) continue;
    caught[i] = sys_sigaction(kEndingSignals[i], &action, nullptr) == 0;
  }
}

void release_signals() {
  for (size_t i = 0; i < kSignalCount; ++i) {
    if (caught[i]) sys_sigaction(kEndingSignals[i], &previous[i], nullptr);
    caught[i] = false;
  }
  restore_pending = 0;
}

}  // namespace tolv
