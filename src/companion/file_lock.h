// The locks the companions take, by one policy for every command: an
// advisory lock (flock) on an open file, exclusive for a program that
// writes what it locks, shared for one that only reads it.
//
// A file system that cannot lock (NFS without its lock service, some FUSE
// file systems) gives one answer everywhere: a reader goes on unlocked,
// since it changes nothing; a writer is refused, since what it writes
// without the lock could be written at the same time by a conversion or
// another run. tolvconv itself converts unlocked there; the companions do
// not cut, migrate or undo.
#pragma once

#include <string>

namespace tolv {

enum class LockKind { Shared, Exclusive };

enum class LockTaken {
  Locked,  // held (or, for a reader on a file system that cannot lock, not needed)
  Busy,    // another process holds a lock that excludes this one, and `wait` was false
  Failed,  // `error` says why; also a wait ended by `stop`
};

// Locks the open file `fd` (named `path` in the messages). With `wait`,
// waits while another process holds it; a wait interrupted by a signal is
// taken up again unless `stop` (when given) says to give up.
LockTaken lock_file(int fd, const std::string& path, LockKind kind, bool wait, std::string& error,
                    bool (*stop)() = nullptr);

}  // namespace tolv
