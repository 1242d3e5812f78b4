#include "support/faults.h"

#include <errno.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "runtime/syscall.h"

namespace tolv::test {

namespace {

std::vector<Fault> plan;

// The counts live in memory shared with forked children, so a parent can
// learn how many calls a run in a child made.
constexpr int kLoggedCalls = 1 << 16;
struct Counters {
  int of_kind[static_cast<int>(Call::Other) + 1];
  int total;
  Call kinds[kLoggedCalls];  // the kind of each call, for the first calls
};
Counters& counters() {
  static Counters* shared = [] {
    void* page =
        mmap(nullptr, sizeof(Counters), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    return static_cast<Counters*>(page == MAP_FAILED ? nullptr : page);
  }();
  return *shared;
}
// Mapped at load time, before any fork, so parent and children share it.
[[maybe_unused]] Counters* const mapped_at_load = &counters();

// Finds the fault for this call, if any; counts the call.
Fault* match(Call kind, int fd, const char* path = nullptr, int flags = 0) {
  Counters& c = counters();
  CallInfo info{kind, ++c.of_kind[static_cast<int>(kind)], ++c.total, fd, path, flags};
  if (c.total <= kLoggedCalls) c.kinds[c.total - 1] = kind;
  for (Fault& fault : plan) {
    if (fault.when && fault.when(info)) {
      if (fault.once) {
        static Fault hit;
        hit = fault;
        fault.when = nullptr;
        return &hit;
      }
      return &fault;
    }
  }
  return nullptr;
}

template <typename R>
R fail(int error) {
  errno = error;
  return static_cast<R>(-1);
}

int fake_open(const char* path, int flags, mode_t mode) {
  Fault* f = match(Call::Open, -1, path, flags);
  if (f && f->error) return fail<int>(f->error);
  return real_syscalls.open(path, flags, mode);
}

ssize_t fake_read(int fd, void* buf, size_t count) {
  if (Fault* f = match(Call::Read, fd)) {
    if (f->error) return fail<ssize_t>(f->error);
    count = std::min(count, static_cast<size_t>(f->short_count));
  }
  return real_syscalls.read(fd, buf, count);
}

ssize_t fake_write(int fd, const void* buf, size_t count) {
  if (Fault* f = match(Call::Write, fd)) {
    if (f->error) return fail<ssize_t>(f->error);
    count = std::min(count, static_cast<size_t>(f->short_count));
  }
  return real_syscalls.write(fd, buf, count);
}

ssize_t fake_pread(int fd, void* buf, size_t count, off_t offset) {
  if (Fault* f = match(Call::Pread, fd)) {
    if (f->error) return fail<ssize_t>(f->error);
    count = std::min(count, static_cast<size_t>(f->short_count));
  }
  return real_syscalls.pread(fd, buf, count, offset);
}

ssize_t fake_pwrite(int fd, const void* buf, size_t count, off_t offset) {
  if (Fault* f = match(Call::Pwrite, fd)) {
    if (f->error) return fail<ssize_t>(f->error);
    count = std::min(count, static_cast<size_t>(f->short_count));
  }
  return real_syscalls.pwrite(fd, buf, count, offset);
}

off_t fake_lseek(int fd, off_t offset, int whence) {
  Fault* f = match(Call::Lseek, fd);
  if (f && f->error) return fail<off_t>(f->error);
  return real_syscalls.lseek(fd, offset, whence);
}

int fake_fstat(int fd, struct stat* st) {
  Fault* f = match(Call::Fstat, fd);
  if (f && f->error) return fail<int>(f->error);
  return real_syscalls.fstat(fd, st);
}

int fake_close(int fd) {
  Fault* f = match(Call::Close, fd);
  if (f && f->error) {
    real_syscalls.close(fd);
    return fail<int>(f->error);
  }
  return real_syscalls.close(fd);
}

int fake_flock(int fd, int operation) {
  Fault* f = match(Call::Flock, fd);
  if (f && f->error) return fail<int>(f->error);
  return real_syscalls.flock(fd, operation);
}

}  // namespace

std::function<bool(const CallInfo&)> nth_call(Call kind, int nth) {
  return [=](const CallInfo& info) { return info.kind == kind && info.nth_of_kind == nth; };
}

std::function<bool(const CallInfo&)> open_of(const char* suffix, int flags) {
  std::string tail = suffix;
  return [=](const CallInfo& info) {
    if (info.kind != Call::Open || (info.flags & flags) != flags) return false;
    std::string_view path = info.path;
    return path.size() >= tail.size() && path.substr(path.size() - tail.size()) == tail;
  };
}

void install_faults(std::vector<Fault> faults) {
  plan = std::move(faults);
  memset(&counters(), 0, sizeof(Counters));
  sys = real_syscalls;
  sys.open = fake_open;
  sys.read = fake_read;
  sys.write = fake_write;
  sys.pread = fake_pread;
  sys.pwrite = fake_pwrite;
  sys.lseek = fake_lseek;
  sys.fstat = fake_fstat;
  sys.close = fake_close;
  sys.flock = fake_flock;
}

void remove_faults() {
  plan.clear();
  sys = real_syscalls;
}

int calls_made(Call kind) {
  return counters().of_kind[static_cast<int>(kind)];
}
int calls_made() {
  return counters().total;
}

Call kind_of_call(int nth) {
  return nth >= 1 && nth <= kLoggedCalls ? counters().kinds[nth - 1] : Call::Other;
}

}  // namespace tolv::test
