#include "runtime/syscall.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/select.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace tolv {

namespace {

int real_open(const char* path, int flags, mode_t mode) {
  return ::open(path, flags, mode);
}
int real_dup_at_least(int fd, int min_fd, bool close_on_exec) {
  return ::fcntl(fd, close_on_exec ? F_DUPFD_CLOEXEC : F_DUPFD, min_fd);
}
int real_get_winsize(int fd, struct winsize* ws) {
  return ::ioctl(fd, TIOCGWINSZ, ws);
}

int real_wait_readable(int fd, int timeout_ms) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(fd, &set);
  timeval tv{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
  return ::select(fd + 1, &set, nullptr, nullptr, &tv);
}

// Runs one call and records its errno: the number when it failed, else 0.
template <typename R>
R record(R result) {
  system_error = result < 0 ? errno : 0;
  return result;
}

}  // namespace

const SysCalls real_syscalls = {
    real_open,         ::read,
    ::write,           ::pread,
    ::pwrite,          ::lseek,
    ::fstat,           ::close,
    real_dup_at_least, ::flock,
    ::tcgetattr,       ::tcsetattr,
    real_get_winsize,  real_wait_readable,
};

SysCalls sys = real_syscalls;
int system_error = 0;

int sys_open(const char* path, int flags, mode_t mode) {
  int fd = record(sys.open(path, flags, mode));
  if (fd < 0 || fd > STDERR_FILENO) return fd;
  int moved = record(sys.dup_at_least(fd, STDERR_FILENO + 1, (flags & O_CLOEXEC) != 0));
  int error = system_error;
  sys.close(fd);
  system_error = error;
  return moved;
}
ssize_t sys_read(int fd, void* buf, size_t count) {
  return record(sys.read(fd, buf, count));
}
ssize_t sys_write(int fd, const void* buf, size_t count) {
  return record(sys.write(fd, buf, count));
}
ssize_t sys_pread(int fd, void* buf, size_t count, off_t offset) {
  return record(sys.pread(fd, buf, count, offset));
}
ssize_t sys_pwrite(int fd, const void* buf, size_t count, off_t offset) {
  return record(sys.pwrite(fd, buf, count, offset));
}
off_t sys_lseek(int fd, off_t offset, int whence) {
  return record(sys.lseek(fd, offset, whence));
}
int sys_fstat(int fd, struct stat* st) {
  return record(sys.fstat(fd, st));
}
int sys_close(int fd) {
  return record(sys.close(fd));
}
int sys_flock(int fd, int operation) {
  return record(sys.flock(fd, operation));
}
int sys_tcgetattr(int fd, struct termios* t) {
  return record(sys.tcgetattr(fd, t));
}
int sys_tcsetattr(int fd, int action, const struct termios* t) {
  return record(sys.tcsetattr(fd, action, t));
}
int sys_get_winsize(int fd, struct winsize* ws) {
  return record(sys.get_winsize(fd, ws));
}
int sys_wait_readable(int fd, int timeout_ms) {
  return record(sys.wait_readable(fd, timeout_ms));
}

}  // namespace tolv
