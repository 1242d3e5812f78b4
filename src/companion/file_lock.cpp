#include "companion/file_lock.h"

#include <errno.h>
#include <sys/file.h>

#include "companion/text.h"
#include "runtime/syscall.h"

namespace tolv {

namespace {

// The errors of a file system that has no locks to give.
bool cannot_lock_here(int error) {
  return error == ENOLCK || error == EOPNOTSUPP || error == EINVAL;
}

}  // namespace

LockTaken lock_file(int fd, const std::string& path, LockKind kind, bool wait, std::string& error,
                    bool (*stop)()) {
  int operation = (kind == LockKind::Exclusive ? LOCK_EX : LOCK_SH) | (wait ? 0 : LOCK_NB);
  int result = sys_flock(fd, operation);
  while (result < 0 && system_error == EINTR && (stop == nullptr || !stop()))
    result = sys_flock(fd, operation);
  if (result == 0) return LockTaken::Locked;
  if (system_error == EWOULDBLOCK) return LockTaken::Busy;
  if (system_error == EINTR) {
    error = "the wait for the lock of " + quoted(path) + " was interrupted";
    return LockTaken::Failed;
  }
  if (kind == LockKind::Shared && cannot_lock_here(system_error)) return LockTaken::Locked;
  error = cannot("lock", path, system_error);
  if (cannot_lock_here(system_error))
    error += " (its file system cannot lock); nothing is written without the lock";
  return LockTaken::Failed;
}

}  // namespace tolv
