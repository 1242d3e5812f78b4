// The tests' one fake operating system, behind the system-call seam
// (runtime/syscall.h). This is the only code under tests/ that sets entries
// of the table `tolv::sys`. It has three parts, each installed on its own:
//  - the fault plan: every file call is counted, and one that matches a
//    fault fails with its errno, transfers fewer bytes, reports another
//    size, or loses what it writes;
//  - in-memory files: while installed, every open is served from strings
//    instead of the disk, on descriptors of 100 and up, which are read in
//    order or at an offset and written at an offset (read, pread, pwrite);
//  - a fake terminal on descriptors 0 and 1: its modes, its size, the answer
//    to the cursor-position query, and every byte written to it.
// A call that no installed part takes goes to the operating system. The unit
// tests, the fault sweep and the fuzz target all use it.
#pragma once

#include <sys/types.h>
#include <termios.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tolv::test {

// ------------------------------------------------------------ fault plan

// The calls the plan counts and can fail; the terminal calls are not among
// them. Stat, Lstat, Opendir and Readdir always reach the disk when they succeed,
// even while the in-memory files are installed.
enum class Call {
  Open,
  Read,
  Write,
  Pread,
  Pwrite,
  Lseek,
  Fstat,
  Close,
  Flock,
  Stat,
  Opendir,
  Readdir,
  Ftruncate,
  Lstat,
  Fsync,
  Fdatasync,
  Reserve,
  Other
};

struct CallInfo {
  Call kind;
  int nth_of_kind;    // 1 for the first call of its kind
  int nth;            // 1 for the first call of any kind
  int fd;             // -1 for open
  const char* path;   // open, stat and opendir only
  int flags;          // open only
  size_t count = 0;   // bytes asked for by a read or write
  off_t offset = -1;  // pread and pwrite only
};

struct Fault {
  std::function<bool(const CallInfo&)> when;
  int error = 0;             // errno to fail with; 0: one of the effects below, or none
  ssize_t short_count = -1;  // bytes a read or write transfers instead
  bool once = true;          // stop matching after the first hit
  off_t size = -1;           // a status query (fstat, stat) that succeeds reports this size
  bool lost = false;         // a write reports every byte written and stores none
  int links = -1;            // a status query that succeeds reports this link count
  ino_t inode = 0;           // and, when not 0, this inode number
  int exits = -1;  // >= 0: the process ends at the call with this status, as a kill ends it
};

// Matches the nth call of a kind (counted from 1).
std::function<bool(const CallInfo&)> nth_call(Call kind, int nth);
// Matches opens of a path that ends with `suffix` whose flags include `flags`.
std::function<bool(const CallInfo&)> open_of(const char* suffix, int flags = 0);
// Matches every call of a kind, or of a kind on one descriptor.
std::function<bool(const CallInfo&)> every_call(Call kind, int fd = -1);

// Installs the plan (the faults are tried in order, the first match
// decides); counting restarts. remove_faults leaves the other parts.
void install_faults(std::vector<Fault> faults);
void remove_faults();

// Calls made since install_faults, of one kind or of all; also the calls
// made by forked children, whose counts are shared with the parent.
int calls_made(Call kind);
int calls_made();

// The kind of the nth call (from 1) since install_faults.
Call kind_of_call(int nth);

// ------------------------------------------------------- in-memory files

struct MemoryFiles {
  // Path to bytes. An open of a path not here fails with ENOENT, or creates
  // it with O_CREAT. Every file is a regular file.
  std::map<std::string, std::string> files;
};

void install_memory_files(MemoryFiles& files);
void remove_memory_files();

// --------------------------------------------------------- fake terminal

struct FakeTerminal {
  bool is_terminal = true;        // tcgetattr on descriptor 1 succeeds
  bool input_is_terminal = true;  // and on descriptor 0
  bool winsize_fails = false;
  int modes_error = 0;  // errno of every tcsetattr; 0: they succeed
  unsigned short rows = 24;
  unsigned short columns = 80;
  std::string reply = "\x1b[5;1R";             // the answer to the position query; "" for none
  termios modes{};                             // the terminal's modes as tcgetattr reports them
  bool keeps_output = true;                    // false: writes on 1 go to the real descriptor 1
  void (*on_modes)(const termios&) = nullptr;  // called at each successful tcsetattr

  std::string stdin_bytes;          // written on descriptor 0
  std::vector<std::string> writes;  // each write on descriptor 1, as asked
  std::vector<termios> applied;     // each successful tcsetattr, in order
  std::vector<int> applied_actions;
  int wait_fd = -1;
  int wait_timeout = -1;
  size_t read_count = 0;  // `count` of the read that took the answer

  bool writes_fail = false;       // every write on 1 fails with EIO
  size_t write_limit = SIZE_MAX;  // a write on 1 takes at most this many bytes
};

void install_terminal(FakeTerminal& terminal);
void remove_terminal();

// Every byte written on the terminal's descriptor 1 since the last call.
std::string take_output(FakeTerminal& terminal);

// Removes every part: the table is the real one again.
void restore_real_system();

}  // namespace tolv::test
