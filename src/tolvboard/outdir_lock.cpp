#include "tolvboard/outdir_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include "companion/messages.h"
#include "companion/text.h"
#include "runtime/syscall.h"

namespace tolv {

namespace {

constexpr size_t kHolderMost = 4096;  // more is not a holder this program wrote

// Which run the lock file says holds it, its control bytes escaped.
std::string holder_of(int fd) {
  std::string text(kHolderMost, '\0');
  ssize_t n = retry_interrupted([&] { return sys_pread(fd, text.data(), text.size(), 0); });
  text.resize(n > 0 ? static_cast<size_t>(n) : 0);
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text.empty() ? "another tolvboard run" : "tolvboard run " + escape_controls(text);
}

}  // namespace

int open_own_file(const std::string& path, int flags, std::string& error) {
  int fd = sys_open(path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) {
    error = system_error == ELOOP ? quoted(path) + " is a symbolic link; it is not followed"
                                  : cannot("open", path, system_error);
    return -1;
  }
  struct stat st;
  if (sys_fstat(fd, &st) < 0 || !S_ISREG(st.st_mode)) {
    error = quoted(path) + " is not a regular file";
    sys_close(fd);
    return -1;
  }
  return fd;
}

bool take_outdir_lock(OutdirLock& lock, const std::string& out_dir, const std::string& holder,
                      bool wait, std::string& error) {
  std::string path = out_dir + "/" + kLockName;
  int fd = open_own_file(path, O_RDWR | O_CREAT, error);
  if (fd < 0) return false;
  bool locked = retry_interrupted([&] { return sys_flock(fd, LOCK_EX | LOCK_NB); }) == 0;
  if (!locked && system_error == EWOULDBLOCK) {
    std::string busy = quoted(out_dir) + " is in use by " + holder_of(fd);
    if (!wait) {
      error = busy;
      sys_close(fd);
      return false;
    }
    note(busy + "; waiting for it");
    locked = retry_interrupted([&] { return sys_flock(fd, LOCK_EX); }) == 0;
  }
  if (!locked) {
    error = cannot("lock", path, system_error);
    sys_close(fd);
    return false;
  }
  std::string text = holder + "\n";
  if (sys_ftruncate(fd, 0) < 0 || retry_interrupted([&] {
                                    return sys_pwrite(fd, text.data(), text.size(), 0);
                                  }) != static_cast<ssize_t>(text.size())) {
    error = cannot("write", path, system_error);
    sys_close(fd);
    return false;
  }
  lock.fd = fd;
  return true;
}

void release_outdir_lock(OutdirLock& lock) {
  if (lock.fd < 0) return;
  sys_ftruncate(lock.fd, 0);
  sys_close(lock.fd);
  lock.fd = -1;
}

}  // namespace tolv
