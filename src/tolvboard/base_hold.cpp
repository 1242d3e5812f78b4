#include "tolvboard/base_hold.h"

#include <fcntl.h>

#include "companion/output_file.h"
#include "companion/read_only_file.h"
#include "companion/text.h"
#include "runtime/syscall.h"
#include "tolvboard/interruption.h"

namespace tolv {

namespace {

constexpr int kLockPollMs = 50;  // how often a wait for a base's lock looks again

std::string directory_of(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

LockTaken hold_base(HeldBase& held, const BasePaths& paths, bool wait, std::string& error) {
  const std::string& path = paths.description_file;
  ReadOnlyFile file;
  if (!open_read_only(file, path)) {
    if (file.missing) return LockTaken::Locked;  // no base yet: nothing to hold
    error = file.error;
    return LockTaken::Failed;
  }
  // Waited for in turns, so that an interruption is taken between them.
  for (;;) {
    LockTaken taken = lock_file(file.fd, path, LockKind::Exclusive, false, error);
    if (taken == LockTaken::Locked) {
      held.fd = file.fd;
      return taken;
    }
    if (taken == LockTaken::Failed || !wait) {
      close_read_only(file);
      return taken;
    }
    if (!pause_unless_interrupted(kLockPollMs)) {
      close_read_only(file);
      error = "interrupted while waiting for the lock of " + quoted(path);
      return LockTaken::Failed;
    }
  }
}

void release_base(HeldBase& held) {
  if (held.fd >= 0) sys_close(held.fd);
  held.fd = -1;
}

bool sync_base(const BasePaths& paths, bool made, std::string& error) {
  for (const std::string& path : {paths.record_file, paths.description_file}) {
    int fd = sys_open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0);
    if (fd < 0) continue;  // a file the conversion did not make
    bool synced = retry_interrupted([&] { return sys_fsync(fd); }) == 0;
    if (!synced) error = cannot("sync", path, system_error);
    sys_close(fd);
    if (!synced) return false;
  }
  return !made || sync_directory(directory_of(paths.record_file), error);
}

}  // namespace tolv
