// Fault injection through the system-call seam: a fault matches calls by
// kind, by their number among calls of that kind, or by any predicate, and
// makes the matched call fail with an errno or come back short.
#pragma once

#include <sys/types.h>

#include <functional>
#include <vector>

namespace tolv::test {

enum class Call { Open, Read, Write, Pread, Pwrite, Lseek, Fstat, Close, Flock, Other };

struct CallInfo {
  Call kind;
  int nth_of_kind;   // 1 for the first call of its kind
  int nth;           // 1 for the first call of any kind
  int fd;            // -1 for open
  const char* path;  // open only
  int flags;         // open only
};

struct Fault {
  std::function<bool(const CallInfo&)> when;
  int error = 0;             // errno to fail with; 0: a short transfer, or no fault
  ssize_t short_count = -1;  // bytes a read or write transfers instead
  bool once = true;          // stop matching after the first hit
};

// Matches the nth call of a kind (counted from 1).
std::function<bool(const CallInfo&)> nth_call(Call kind, int nth);
// Matches opens of a path that ends with `suffix` whose flags include `flags`.
std::function<bool(const CallInfo&)> open_of(const char* suffix, int flags = 0);

// Installs the faults in the live table; calls without a fault go to the
// operating system. Counting restarts.
void install_faults(std::vector<Fault> faults);
void remove_faults();

// Calls made since install_faults, of one kind or of all; also the calls
// made by forked children, whose counts are shared with the parent.
int calls_made(Call kind);
int calls_made();

// The kind of the nth call (from 1) since install_faults.
Call kind_of_call(int nth);

}  // namespace tolv::test
