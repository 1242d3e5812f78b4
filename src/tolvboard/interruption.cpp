#include "tolvboard/interruption.h"

#include <signal.h>
#include <sys/wait.h>
#include <time.h>

#include <initializer_list>

#include "runtime/syscall.h"

namespace tolv {

namespace {

int taken = 0;  // the first interrupting signal taken

sigset_t held_signals(bool with_child) {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, signal);
  if (with_child) sigaddset(&set, SIGCHLD);
  return set;
}

// Takes a pending or coming signal of `set` within `timeout` (null: no
// limit); 0 when none came.
int take_signal(const sigset_t& set, const struct timespec* timeout) {
  int signal = retry_interrupted([&] { return sys_sigtimedwait(&set, nullptr, timeout); });
  if (signal > 0 && signal != SIGCHLD && taken == 0) taken = signal;
  return signal > 0 ? signal : 0;
}

}  // namespace

void hold_interruptions() {
  sigset_t set = held_signals(true);
  sys_sigprocmask(SIG_BLOCK, &set, nullptr);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sys_sigaction(SIGPIPE, &ignore, nullptr);
}

int interruption() {
  struct timespec now {};
  sigset_t set = held_signals(false);
  while (take_signal(set, &now) != 0) {
  }
  return taken;
}

bool wait_for_converter(pid_t pid, int& status) {
  sigset_t set = held_signals(true);
  bool ended_by_us = false;
  for (;;) {
    pid_t done = retry_interrupted([&] { return sys_waitpid(pid, &status, WNOHANG); });
    if (done == pid) return true;
    if (done < 0) return false;
    if (taken != 0 && !ended_by_us) {
      sys_kill(pid, SIGTERM);
      ended_by_us = true;
      continue;
    }
    // A child's end or an interruption wakes this; so does nothing else.
    take_signal(set, nullptr);
  }
}

bool pause_unless_interrupted(int ms) {
  struct timespec wait {
    ms / 1000, (ms % 1000) * 1000000L
  };
  sigset_t set = held_signals(false);
  take_signal(set, &wait);
  return taken == 0;
}

const char* signal_name(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
  }
  return "a signal";
}

}  // namespace tolv
