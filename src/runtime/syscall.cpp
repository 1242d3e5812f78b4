#include "runtime/syscall.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/select.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
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

int real_stat(const char* path, struct stat* st) {
  return ::stat(path, st);
}

int real_lstat(const char* path, struct stat* st) {
  return ::lstat(path, st);
}

int real_spawn(pid_t* pid, const char* path, char* const argv[], int in_fd, int out_fd) {
  posix_spawn_file_actions_t actions;
  int error = posix_spawn_file_actions_init(&actions);
  if (error == 0) {
    posix_spawn_file_actions_adddup2(&actions, in_fd, 0);
    posix_spawn_file_actions_adddup2(&actions, out_fd, 1);
    posix_spawn_file_actions_adddup2(&actions, out_fd, 2);
    // The converter starts with every signal at its default and none
    // blocked, whatever this process ignores (SIGPIPE) or blocks.
    posix_spawnattr_t attributes;
    error = posix_spawnattr_init(&attributes);
    if (error == 0) {
      sigset_t all, none;
      sigfillset(&all);
      sigemptyset(&none);
      posix_spawnattr_setsigdefault(&attributes, &all);
      posix_spawnattr_setsigmask(&attributes, &none);
      posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
      error = posix_spawn(pid, path, &actions, &attributes, argv, environ);
      posix_spawnattr_destroy(&attributes);
    }
    posix_spawn_file_actions_destroy(&actions);
  }
  errno = error;
  return error == 0 ? 0 : -1;
}

int real_reserve(int fd, off_t offset, off_t length) {
  return ::fallocate(fd, FALLOC_FL_KEEP_SIZE, offset, length);
}

// Records the errno of the call that gave `result`: the number when it
// failed, else 0.
template <typename R>
R keep_errno(R result) {
  system_error = result < 0 ? errno : 0;
  return result;
}

}  // namespace

const SysCalls real_syscalls = {
    .open = real_open,
    .read = ::read,
    .write = ::write,
    .pread = ::pread,
    .pwrite = ::pwrite,
    .lseek = ::lseek,
    .fstat = ::fstat,
    .close = ::close,
    .dup_at_least = real_dup_at_least,
    .flock = ::flock,
    .sigaction = ::sigaction,
    .sigprocmask = ::sigprocmask,
    .raise = ::raise,
    .exit = ::_exit,
    .tcgetattr = ::tcgetattr,
    .tcsetattr = ::tcsetattr,
    .get_winsize = real_get_winsize,
    .wait_readable = real_wait_readable,
    .stat = real_stat,
    .access = ::access,
    .mkdir = ::mkdir,
    .ftruncate = ::ftruncate,
    .unlink = ::unlink,
    .lstat = real_lstat,
    .time = ::time,
    .getpid = ::getpid,
    .readlink = ::readlink,
    .opendir = ::opendir,
    .readdir = ::readdir,
    .closedir = ::closedir,
    .spawn = real_spawn,
    .waitpid = ::waitpid,
    .fsync = ::fsync,
    .fdatasync = ::fdatasync,
    .reserve = real_reserve,
    .kill = ::kill,
    .sigtimedwait = ::sigtimedwait,
};

SysCalls sys = real_syscalls;
int system_error = 0;

int sys_open(const char* path, int flags, mode_t mode) {
  int fd = keep_errno(sys.open(path, flags, mode));
  if (fd < 0 || fd > STDERR_FILENO) return fd;
  int moved = keep_errno(sys.dup_at_least(fd, STDERR_FILENO + 1, (flags & O_CLOEXEC) != 0));
  int error = system_error;
  sys.close(fd);
  system_error = error;
  return moved;
}
int sys_dup(int fd) {
  return keep_errno(sys.dup_at_least(fd, STDERR_FILENO + 1, true));
}
ssize_t sys_read(int fd, void* buf, size_t count) {
  return keep_errno(sys.read(fd, buf, count));
}
ssize_t sys_write(int fd, const void* buf, size_t count) {
  return keep_errno(sys.write(fd, buf, count));
}
ssize_t sys_pread(int fd, void* buf, size_t count, off_t offset) {
  return keep_errno(sys.pread(fd, buf, count, offset));
}
ssize_t sys_pwrite(int fd, const void* buf, size_t count, off_t offset) {
  return keep_errno(sys.pwrite(fd, buf, count, offset));
}
off_t sys_lseek(int fd, off_t offset, int whence) {
  return keep_errno(sys.lseek(fd, offset, whence));
}
int sys_fstat(int fd, struct stat* st) {
  return keep_errno(sys.fstat(fd, st));
}
int sys_close(int fd) {
  return keep_errno(sys.close(fd));
}
int sys_flock(int fd, int operation) {
  return keep_errno(sys.flock(fd, operation));
}
int sys_tcgetattr(int fd, struct termios* t) {
  return keep_errno(sys.tcgetattr(fd, t));
}
int sys_tcsetattr(int fd, int action, const struct termios* t) {
  return keep_errno(sys.tcsetattr(fd, action, t));
}
int sys_get_winsize(int fd, struct winsize* ws) {
  return keep_errno(sys.get_winsize(fd, ws));
}
int sys_wait_readable(int fd, int timeout_ms) {
  return keep_errno(sys.wait_readable(fd, timeout_ms));
}
int sys_stat(const char* path, struct stat* st) {
  return keep_errno(sys.stat(path, st));
}
int sys_access(const char* path, int mode) {
  return keep_errno(sys.access(path, mode));
}
int sys_mkdir(const char* path, mode_t mode) {
  return keep_errno(sys.mkdir(path, mode));
}
int sys_ftruncate(int fd, off_t length) {
  return keep_errno(sys.ftruncate(fd, length));
}
int sys_unlink(const char* path) {
  return keep_errno(sys.unlink(path));
}
int sys_lstat(const char* path, struct stat* st) {
  return keep_errno(sys.lstat(path, st));
}
time_t sys_time() {
  return keep_errno(sys.time(nullptr));
}
pid_t sys_getpid() {
  return sys.getpid();
}
ssize_t sys_readlink(const char* path, char* buf, size_t size) {
  return keep_errno(sys.readlink(path, buf, size));
}
DIR* sys_opendir(const char* path) {
  DIR* dir = sys.opendir(path);
  system_error = dir == nullptr ? errno : 0;
  return dir;
}
struct dirent* sys_readdir(DIR* dir) {
  errno = 0;  // readdir leaves errno alone at the end of the directory
  struct dirent* entry = sys.readdir(dir);
  system_error = entry == nullptr ? errno : 0;
  return entry;
}
int sys_closedir(DIR* dir) {
  return keep_errno(sys.closedir(dir));
}
int sys_spawn(pid_t* pid, const char* path, char* const argv[], int in_fd, int out_fd) {
  return keep_errno(sys.spawn(pid, path, argv, in_fd, out_fd));
}
pid_t sys_waitpid(pid_t pid, int* status, int options) {
  return keep_errno(sys.waitpid(pid, status, options));
}
int sys_fsync(int fd) {
  return keep_errno(sys.fsync(fd));
}
int sys_fdatasync(int fd) {
  return keep_errno(sys.fdatasync(fd));
}
int sys_reserve(int fd, off_t offset, off_t length) {
  return keep_errno(sys.reserve(fd, offset, length));
}
int sys_kill(pid_t pid, int signal) {
  return keep_errno(sys.kill(pid, signal));
}
int sys_sigtimedwait(const sigset_t* set, siginfo_t* info, const struct timespec* timeout) {
  return keep_errno(sys.sigtimedwait(set, info, timeout));
}

int sys_sigaction(int signal, const struct sigaction* action, struct sigaction* old) {
  return keep_errno(sys.sigaction(signal, action, old));
}
int sys_sigprocmask(int how, const sigset_t* set, sigset_t* old) {
  return keep_errno(sys.sigprocmask(how, set, old));
}
int sys_raise(int signal) {
  return keep_errno(sys.raise(signal));
}
void sys_exit(int status) {
  sys.exit(status);
  ::_exit(status);
}

}  // namespace tolv
