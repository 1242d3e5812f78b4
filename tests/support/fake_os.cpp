#include "support/fake_os.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "runtime/syscall.h"

namespace tolv::test {

namespace {

std::vector<Fault> plan;
bool counting = false;  // a plan is installed, even an empty one
MemoryFiles* memory = nullptr;
FakeTerminal* terminal = nullptr;

// ------------------------------------------------------------ fault plan

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

// Counts the call and finds the fault for it, if any.
const Fault* match(Call kind, int fd, size_t count = 0, off_t offset = -1,
                   const char* path = nullptr, int flags = 0) {
  Counters& c = counters();
  CallInfo info{kind,  ++c.of_kind[static_cast<int>(kind)], ++c.total, fd, path, flags, count,
                offset};
  if (c.total <= kLoggedCalls) c.kinds[c.total - 1] = kind;
  for (Fault& fault : plan) {
    if (!fault.when || !fault.when(info)) continue;
    if (fault.exits >= 0) _exit(fault.exits);
    if (!fault.once) return &fault;
    static Fault hit;
    hit = fault;
    fault.when = nullptr;
    return &hit;
  }
  return nullptr;
}

template <typename R>
R fail(int error) {
  errno = error;
  return static_cast<R>(-1);
}

// The bytes a read or write may transfer under the fault.
size_t allowed(size_t count, const Fault* fault) {
  return fault ? std::min(count, static_cast<size_t>(fault->short_count)) : count;
}

// ------------------------------------------------------- in-memory files

constexpr int kFirstMemoryFd = 100;

struct OpenFile {
  std::string* bytes = nullptr;  // nullptr: the descriptor is free
  off_t position = 0;
};
std::vector<OpenFile> descriptors;

OpenFile* memory_file(int fd) {
  if (!memory || fd < kFirstMemoryFd) return nullptr;
  size_t i = static_cast<size_t>(fd - kFirstMemoryFd);
  return i < descriptors.size() && descriptors[i].bytes ? &descriptors[i] : nullptr;
}

int memory_open(const char* path, int flags) {
  auto it = memory->files.find(path);
  if (it == memory->files.end()) {
    if (!(flags & O_CREAT)) return fail<int>(ENOENT);
    it = memory->files.emplace(path, "").first;
  }
  if (flags & O_TRUNC) it->second.clear();
  size_t i = 0;
  while (i < descriptors.size() && descriptors[i].bytes) ++i;
  if (i == descriptors.size()) descriptors.emplace_back();
  descriptors[i] = OpenFile{&it->second, 0};
  return kFirstMemoryFd + static_cast<int>(i);
}

ssize_t memory_pread(const OpenFile& file, void* buf, size_t count, off_t offset) {
  const std::string& bytes = *file.bytes;
  if (offset < 0) return fail<ssize_t>(EINVAL);
  if (static_cast<size_t>(offset) >= bytes.size()) return 0;
  size_t n = std::min(count, bytes.size() - static_cast<size_t>(offset));
  memcpy(buf, bytes.data() + offset, n);
  return static_cast<ssize_t>(n);
}

ssize_t memory_pwrite(OpenFile& file, const void* buf, size_t count, off_t offset) {
  std::string& bytes = *file.bytes;
  if (offset < 0) return fail<ssize_t>(EINVAL);
  size_t end = static_cast<size_t>(offset) + count;
  if (bytes.size() < end) bytes.resize(end);
  memcpy(bytes.data() + offset, buf, count);
  return static_cast<ssize_t>(count);
}

// --------------------------------------------------------- fake terminal

bool on_terminal(int fd) {
  return terminal && terminal->is_terminal && fd == 1;
}

ssize_t terminal_write(int fd, const void* buf, size_t count) {
  const char* bytes = static_cast<const char*>(buf);
  if (fd == 0) {
    terminal->stdin_bytes.append(bytes, count);
    return static_cast<ssize_t>(count);
  }
  terminal->writes.emplace_back(bytes, count);
  if (terminal->writes_fail) return fail<ssize_t>(EIO);
  return static_cast<ssize_t>(std::min(count, terminal->write_limit));
}

ssize_t terminal_read(void* buf, size_t count) {
  terminal->read_count = count;
  size_t n = std::min(count, terminal->reply.size());
  memcpy(buf, terminal->reply.data(), n);
  terminal->reply.erase(0, n);
  return static_cast<ssize_t>(n);
}

// ------------------------------------------------- the table's entries

int fake_open(const char* path, int flags, mode_t mode) {
  const Fault* f = match(Call::Open, -1, 0, -1, path, flags);
  if (f && f->error) return fail<int>(f->error);
  if (memory) return memory_open(path, flags);
  return real_syscalls.open(path, flags, mode);
}

ssize_t fake_read(int fd, void* buf, size_t count) {
  const Fault* f = match(Call::Read, fd, count);
  if (f && f->error) return fail<ssize_t>(f->error);
  count = allowed(count, f);
  if (OpenFile* file = memory_file(fd)) {
    ssize_t n = memory_pread(*file, buf, count, file->position);
    if (n > 0) file->position += n;
    return n;
  }
  if (terminal && fd == 1) return terminal_read(buf, count);
  return real_syscalls.read(fd, buf, count);
}

ssize_t fake_write(int fd, const void* buf, size_t count) {
  const Fault* f = match(Call::Write, fd, count);
  if (f && f->error) return fail<ssize_t>(f->error);
  count = allowed(count, f);
  if (f && f->lost) return static_cast<ssize_t>(count);
  if (memory_file(fd)) return fail<ssize_t>(EBADF);  // written at offsets only
  if (terminal && (fd == 0 || (fd == 1 && terminal->keeps_output)))
    return terminal_write(fd, buf, count);
  return real_syscalls.write(fd, buf, count);
}

ssize_t fake_pread(int fd, void* buf, size_t count, off_t offset) {
  const Fault* f = match(Call::Pread, fd, count, offset);
  if (f && f->error) return fail<ssize_t>(f->error);
  count = allowed(count, f);
  if (OpenFile* file = memory_file(fd)) return memory_pread(*file, buf, count, offset);
  return real_syscalls.pread(fd, buf, count, offset);
}

ssize_t fake_pwrite(int fd, const void* buf, size_t count, off_t offset) {
  const Fault* f = match(Call::Pwrite, fd, count, offset);
  if (f && f->error) return fail<ssize_t>(f->error);
  count = allowed(count, f);
  if (f && f->lost) return static_cast<ssize_t>(count);
  if (OpenFile* file = memory_file(fd)) return memory_pwrite(*file, buf, count, offset);
  return real_syscalls.pwrite(fd, buf, count, offset);
}

off_t fake_lseek(int fd, off_t offset, int whence) {
  const Fault* f = match(Call::Lseek, fd, 0, offset);
  if (f && f->error) return fail<off_t>(f->error);
  if (memory_file(fd)) return fail<off_t>(ESPIPE);  // read in order or at offsets only
  return real_syscalls.lseek(fd, offset, whence);
}

// What a status query that succeeded reports under the fault.
int altered_status(int result, const Fault* f, struct stat* st) {
  if (result == 0 && f && f->size >= 0) st->st_size = f->size;
  if (result == 0 && f && f->links >= 0) st->st_nlink = static_cast<nlink_t>(f->links);
  if (result == 0 && f && f->inode != 0) st->st_ino = f->inode;
  return result;
}

int fake_fstat(int fd, struct stat* st) {
  const Fault* f = match(Call::Fstat, fd);
  if (f && f->error) return fail<int>(f->error);
  int result = 0;
  if (OpenFile* file = memory_file(fd)) {
    memset(st, 0, sizeof *st);
    st->st_mode = S_IFREG | 0644;
    st->st_size = static_cast<off_t>(file->bytes->size());
    st->st_ino = static_cast<ino_t>(reinterpret_cast<uintptr_t>(file->bytes));
    st->st_nlink = 1;
  } else {
    result = real_syscalls.fstat(fd, st);
  }
  return altered_status(result, f, st);
}

int fake_stat(const char* path, struct stat* st) {
  const Fault* f = match(Call::Stat, -1, 0, -1, path);
  if (f && f->error) return fail<int>(f->error);
  return altered_status(real_syscalls.stat(path, st), f, st);
}

int fake_lstat(const char* path, struct stat* st) {
  const Fault* f = match(Call::Lstat, -1, 0, -1, path);
  if (f && f->error) return fail<int>(f->error);
  return altered_status(real_syscalls.lstat(path, st), f, st);
}

int fake_ftruncate(int fd, off_t length) {
  const Fault* f = match(Call::Ftruncate, fd, 0, length);
  if (f && f->error) return fail<int>(f->error);
  if (OpenFile* file = memory_file(fd)) {
    file->bytes->resize(static_cast<size_t>(length));
    return 0;
  }
  return real_syscalls.ftruncate(fd, length);
}

DIR* fake_opendir(const char* path) {
  const Fault* f = match(Call::Opendir, -1, 0, -1, path);
  if (f && f->error) {
    errno = f->error;
    return nullptr;
  }
  return real_syscalls.opendir(path);
}

struct dirent* fake_readdir(DIR* dir) {
  const Fault* f = match(Call::Readdir, -1);
  if (f && f->error) {
    errno = f->error;
    return nullptr;
  }
  return real_syscalls.readdir(dir);
}

int fake_close(int fd) {
  const Fault* f = match(Call::Close, fd);
  int result = 0;
  if (OpenFile* file = memory_file(fd))
    *file = OpenFile{};
  else
    result = real_syscalls.close(fd);
  // A failed close still releases the descriptor.
  if (f && f->error) return fail<int>(f->error);
  return result;
}

int fake_fsync(int fd) {
  const Fault* f = match(Call::Fsync, fd);
  if (f && f->error) return fail<int>(f->error);
  if (memory_file(fd)) return 0;
  return real_syscalls.fsync(fd);
}

int fake_fdatasync(int fd) {
  const Fault* f = match(Call::Fdatasync, fd);
  if (f && f->error) return fail<int>(f->error);
  if (memory_file(fd)) return 0;
  return real_syscalls.fdatasync(fd);
}

int fake_reserve(int fd, off_t offset, off_t length) {
  const Fault* f = match(Call::Reserve, fd, static_cast<size_t>(length), offset);
  if (f && f->error) return fail<int>(f->error);
  if (memory_file(fd)) return 0;
  return real_syscalls.reserve(fd, offset, length);
}

int fake_flock(int fd, int operation) {
  const Fault* f = match(Call::Flock, fd);
  if (f && f->error) return fail<int>(f->error);
  if (memory_file(fd)) return 0;
  return real_syscalls.flock(fd, operation);
}

// Memory descriptors (100 and up) are never asked for terminal modes.
int fake_tcgetattr(int fd, termios* t) {
  if (!terminal) return real_syscalls.tcgetattr(fd, t);
  bool input = fd == 0 && terminal->input_is_terminal;
  if (!input && !on_terminal(fd)) return fail<int>(ENOTTY);
  *t = terminal->modes;
  return 0;
}

int fake_tcsetattr(int fd, int action, const termios* t) {
  if (!terminal) return real_syscalls.tcsetattr(fd, action, t);
  if (!on_terminal(fd)) return fail<int>(ENOTTY);
  if (terminal->modes_error) return fail<int>(terminal->modes_error);
  terminal->applied.push_back(*t);
  terminal->applied_actions.push_back(action);
  terminal->modes = *t;
  if (terminal->on_modes) terminal->on_modes(*t);
  return 0;
}

int fake_get_winsize(int fd, winsize* ws) {
  if (!terminal) return real_syscalls.get_winsize(fd, ws);
  if (!on_terminal(fd) || terminal->winsize_fails) return fail<int>(ENOTTY);
  *ws = winsize{terminal->rows, terminal->columns, 0, 0};
  return 0;
}

int fake_wait_readable(int fd, int timeout_ms) {
  if (!terminal) return real_syscalls.wait_readable(fd, timeout_ms);
  terminal->wait_fd = fd;
  terminal->wait_timeout = timeout_ms;
  // A terminal answers the position query only once it has been asked.
  bool asked = terminal->stdin_bytes.find("\x1b[6n") != std::string::npos;
  return terminal->reply.empty() || !asked ? 0 : 1;
}

// The live table: the fake's entries while any part is installed, the
// operating system's otherwise.
void route() {
  sys = real_syscalls;
  if (!counting && !memory && !terminal) return;
  // Every file and terminal call; signals and the process's end stay real.
  sys.read = fake_read;
  sys.write = fake_write;
  sys.pread = fake_pread;
  sys.pwrite = fake_pwrite;
  sys.open = fake_open;
  sys.lseek = fake_lseek;
  sys.fstat = fake_fstat;
  sys.close = fake_close;
  sys.flock = fake_flock;
  sys.fsync = fake_fsync;
  sys.fdatasync = fake_fdatasync;
  sys.reserve = fake_reserve;
  sys.stat = fake_stat;
  sys.lstat = fake_lstat;
  sys.ftruncate = fake_ftruncate;
  sys.opendir = fake_opendir;
  sys.readdir = fake_readdir;
  sys.tcgetattr = fake_tcgetattr;
  sys.tcsetattr = fake_tcsetattr;
  sys.get_winsize = fake_get_winsize;
  sys.wait_readable = fake_wait_readable;
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

std::function<bool(const CallInfo&)> every_call(Call kind, int fd) {
  return [=](const CallInfo& info) { return info.kind == kind && (fd < 0 || info.fd == fd); };
}

void install_faults(std::vector<Fault> faults) {
  plan = std::move(faults);
  counting = true;
  memset(&counters(), 0, sizeof(Counters));
  route();
}

void remove_faults() {
  plan.clear();
  counting = false;
  route();
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

void install_memory_files(MemoryFiles& files) {
  memory = &files;
  descriptors.clear();
  route();
}

void remove_memory_files() {
  memory = nullptr;
  descriptors.clear();
  route();
}

void install_terminal(FakeTerminal& fake) {
  terminal = &fake;
  route();
}

void remove_terminal() {
  terminal = nullptr;
  route();
}

std::string take_output(FakeTerminal& fake) {
  std::string all;
  for (const std::string& w : fake.writes) all += w;
  fake.writes.clear();
  return all;
}

void restore_real_system() {
  plan.clear();
  counting = false;
  memory = nullptr;
  terminal = nullptr;
  descriptors.clear();
  route();
}

}  // namespace tolv::test
