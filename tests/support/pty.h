// Running the program on a pseudo-terminal: the slave side is the child's
// descriptors 0, 1 and 2 (and its controlling terminal), the parent reads
// everything written to it from the master side and answers cursor position
// queries the way a terminal would.
#pragma once

#include <sys/types.h>
#include <termios.h>

#include <functional>
#include <string>
#include <vector>

namespace tolv::test {

struct PtyOptions {
  std::vector<std::string> argv;  // argv[0] is the executable's path
  std::string cwd;                // "" for the parent's
  unsigned short rows = 24;
  unsigned short columns = 80;
  // Sent to the program whenever it asks for the cursor position
  // (ESC [ 6 n); "" for a terminal that never answers.
  std::string reply = "\x1b[5;1R";
  // Called with the output so far each time more of it arrives, e.g. to
  // signal the child at a given point of the run.
  std::function<void(pid_t child, const std::string& output)> on_output;
  // Typed on the terminal's keyboard once the output holds `type_after`.
  std::string type_after;
  std::string keys;
};

struct PtyRun {
  int status = -1;         // exit status, or -1 when a signal ended the process
  int signal = 0;          // the signal that ended it, if any
  bool timed_out = false;  // the run was killed after a generous deadline
  std::string output;      // every byte the program wrote to the terminal, in order
  termios modes_before{};  // the terminal's modes before the run
  termios modes_after{};   // and after it
};

// Runs the program on a fresh pseudo-terminal of the given size and waits
// for it to end (killing it after a minute, as a guard against a hang).
PtyRun run_in_pty(const PtyOptions& options);

// Two sets of terminal modes are the same: flags, line discipline, control
// characters and speeds.
bool same_modes(const termios& a, const termios& b);

}  // namespace tolv::test
