// The one door to the operating system.
//
// Every system call that the programs make goes through the table `sys`, and
// each wrapper below records the call's errno in `system_error` (0 when the
// call succeeds). Nothing else in the tree reads errno. Tests replace entries
// of the table to inject any errno, short reads and short writes.
//
// The calls the C library makes on its own behalf are not in the table: the
// dynamic loader's at start-up, dladdr's (which reads no file: the loader
// keeps the program's modules in memory), those of setlocale, iconv and
// localtime_r in tolvbase (locale, conversion and time-zone files, read
// once), of localtime_r in tolvboard (its log and lock name a run's
// local start time), and of libarchive in both, which reads an archive only
// through the callbacks it is given (they call this table) and turns a
// member's DOS time into a time with mktime (the time-zone file). None
// touches a file of the base or the listing.
//
// posix_spawn in `spawn` runs the converter for tolvboard; the signals the
// child starts with are set there too, so nothing of tolvboard's own
// handling reaches it.
//
// The wrappers only record; the file operations (file.h) translate the
// recorded number into the pending error code. The console calls the same
// wrappers and never looks at the code.
#pragma once

#include <errno.h>
#include <signal.h>
#include <sys/types.h>

struct stat;
struct timespec;
struct termios;
struct winsize;
struct dirent;
typedef struct __dirstream DIR;

namespace tolv {

struct SysCalls {
  int (*open)(const char* path, int flags, mode_t mode);
  ssize_t (*read)(int fd, void* buf, size_t count);
  ssize_t (*write)(int fd, const void* buf, size_t count);
  ssize_t (*pread)(int fd, void* buf, size_t count, off_t offset);
  ssize_t (*pwrite)(int fd, const void* buf, size_t count, off_t offset);
  off_t (*lseek)(int fd, off_t offset, int whence);
  int (*fstat)(int fd, struct stat* st);
  int (*close)(int fd);
  // fcntl F_DUPFD or F_DUPFD_CLOEXEC: a copy of fd on the lowest free
  // descriptor at or above min_fd.
  int (*dup_at_least)(int fd, int min_fd, bool close_on_exec);
  int (*flock)(int fd, int operation);
  int (*sigaction)(int signal, const struct sigaction* action, struct sigaction* old);
  int (*sigprocmask)(int how, const sigset_t* set, sigset_t* old);
  int (*raise)(int signal);
  void (*exit)(int status);  // _exit: no atexit handlers, no stdio flush
  int (*tcgetattr)(int fd, struct termios* t);
  int (*tcsetattr)(int fd, int action, const struct termios* t);
  int (*get_winsize)(int fd, struct winsize* ws);
  // Waits up to timeout_ms for fd to become readable: >0 ready, 0 timed out.
  int (*wait_readable)(int fd, int timeout_ms);
  // For tolvboard, which finds listings and runs tolvconv, and for tolvbase,
  // which reads the directory a listing's files are in.
  int (*stat)(const char* path, struct stat* st);
  int (*access)(const char* path, int mode);
  int (*mkdir)(const char* path, mode_t mode);
  // For the companions that cut a base back and keep links out of OUTDIR.
  int (*ftruncate)(int fd, off_t length);
  int (*unlink)(const char* path);
  int (*lstat)(const char* path, struct stat* st);
  time_t (*time)(time_t* now);
  pid_t (*getpid)();
  ssize_t (*readlink)(const char* path, char* buf, size_t size);
  DIR* (*opendir)(const char* path);
  struct dirent* (*readdir)(DIR* dir);  // null at the end and on failure
  int (*closedir)(DIR* dir);
  // posix_spawn of `path` with the environment, descriptor 0 a copy of
  // in_fd, 1 and 2 copies of out_fd: 0 with the child's id in *pid, or -1.
  int (*spawn)(pid_t* pid, const char* path, char* const argv[], int in_fd, int out_fd);
  pid_t (*waitpid)(pid_t pid, int* status, int options);
  // For the companions' durable writes: what they write is on the disk
  // before they write what depends on it (a journal's intent before the
  // base changes, a base before the journal says it changed).
  int (*fsync)(int fd);
  int (*fdatasync)(int fd);
  // fallocate with FALLOC_FL_KEEP_SIZE: room kept for later appends
  // without the file growing, so they still fit on a disk that filled.
  int (*reserve)(int fd, off_t offset, off_t length);
  // For tolvboard, which ends its converter when it is interrupted, and
  // takes the signals that interrupt it when it is ready for them.
  int (*kill)(pid_t pid, int signal);
  int (*sigtimedwait)(const sigset_t* set, siginfo_t* info, const struct timespec* timeout);
};

// The live table; starts out as `real_syscalls`.
extern SysCalls sys;
extern const SysCalls real_syscalls;

// errno of the last system call made through the wrappers, 0 after success.
extern int system_error;

// An open whose descriptor would be 0, 1 or 2 (a standard stream that was
// closed when the program started) moves it to 3 or above, so a file never
// takes the place of standard input, output or error: a closed standard
// stream stays closed and writes meant for it fail instead of landing in the
// file. When the move fails the open fails with the move's errno.
int sys_open(const char* path, int flags, mode_t mode);
// A second descriptor of an open file, above the standard streams, closed
// on exec; it shares the file's offset.
int sys_dup(int fd);
ssize_t sys_read(int fd, void* buf, size_t count);
ssize_t sys_write(int fd, const void* buf, size_t count);
ssize_t sys_pread(int fd, void* buf, size_t count, off_t offset);
ssize_t sys_pwrite(int fd, const void* buf, size_t count, off_t offset);
off_t sys_lseek(int fd, off_t offset, int whence);
int sys_fstat(int fd, struct stat* st);
int sys_close(int fd);
int sys_flock(int fd, int operation);
int sys_tcgetattr(int fd, struct termios* t);
int sys_tcsetattr(int fd, int action, const struct termios* t);
int sys_get_winsize(int fd, struct winsize* ws);
int sys_wait_readable(int fd, int timeout_ms);
int sys_sigaction(int signal, const struct sigaction* action, struct sigaction* old);
int sys_sigprocmask(int how, const sigset_t* set, sigset_t* old);
int sys_raise(int signal);
int sys_stat(const char* path, struct stat* st);
int sys_access(const char* path, int mode);
int sys_mkdir(const char* path, mode_t mode);
int sys_ftruncate(int fd, off_t length);
int sys_unlink(const char* path);
int sys_lstat(const char* path, struct stat* st);
time_t sys_time();
pid_t sys_getpid();
ssize_t sys_readlink(const char* path, char* buf, size_t size);
DIR* sys_opendir(const char* path);
// Null at the end of the directory (system_error 0) and on failure.
struct dirent* sys_readdir(DIR* dir);
int sys_closedir(DIR* dir);
int sys_spawn(pid_t* pid, const char* path, char* const argv[], int in_fd, int out_fd);
pid_t sys_waitpid(pid_t pid, int* status, int options);
int sys_fsync(int fd);
int sys_fdatasync(int fd);
int sys_reserve(int fd, off_t offset, off_t length);
int sys_kill(pid_t pid, int signal);
// The signal of `set` that is pending or comes within `timeout` (null: no
// limit); -1 with system_error EAGAIN when none came.
int sys_sigtimedwait(const sigset_t* set, siginfo_t* info, const struct timespec* timeout);
// Ends the process; a replacement of the table entry that returns still ends it.
[[noreturn]] void sys_exit(int status);

// Makes `call` again while it fails with EINTR; gives its last result.
template <typename Call>
auto retry_interrupted(Call call) {
  auto result = call();
  while (result < 0 && system_error == EINTR) result = call();
  return result;
}

}  // namespace tolv
