#include "memory_files.h"

#include <errno.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>

#include "runtime/syscall.h"

namespace tolv::fuzz {

namespace {

constexpr int kListingFd = 100;
constexpr int kRecordFd = 101;
constexpr int kDescriptionFd = 102;

MemoryFiles* files = nullptr;
size_t listing_pos = 0;

std::string* file_of(int fd) {
  if (fd == kRecordFd) return &files->records;
  if (fd == kDescriptionFd) return &files->descriptions;
  return nullptr;
}

int fake_open(const char* path, int, mode_t) {
  if (strcmp(path, "listing") == 0) return listing_pos = 0, kListingFd;
  if (strcmp(path, "base.dir") == 0) return kRecordFd;
  if (strcmp(path, "base.des") == 0) return kDescriptionFd;
  errno = ENOENT;
  return -1;
}

ssize_t fake_read(int fd, void* buf, size_t count) {
  if (fd != kListingFd) return errno = EBADF, -1;
  size_t n = std::min({count, files->max_read, files->listing.size() - listing_pos});
  memcpy(buf, files->listing.data() + listing_pos, n);
  listing_pos += n;
  return static_cast<ssize_t>(n);
}

ssize_t fake_pread(int fd, void* buf, size_t count, off_t offset) {
  std::string* file = file_of(fd);
  if (!file) return errno = EBADF, -1;
  if (static_cast<size_t>(offset) >= file->size()) return 0;
  size_t n = std::min(count, file->size() - offset);
  memcpy(buf, file->data() + offset, n);
  return static_cast<ssize_t>(n);
}

ssize_t fake_pwrite(int fd, const void* buf, size_t count, off_t offset) {
  std::string* file = file_of(fd);
  if (!file) return errno = EBADF, -1;
  if (file->size() < offset + count) file->resize(offset + count);
  memcpy(file->data() + offset, buf, count);
  return static_cast<ssize_t>(count);
}

int fake_fstat(int fd, struct stat* st) {
  memset(st, 0, sizeof *st);
  if (fd == kListingFd) return 0;
  std::string* file = file_of(fd);
  if (!file) return errno = EBADF, -1;
  st->st_size = static_cast<off_t>(file->size());
  st->st_ino = static_cast<ino_t>(fd);
  return 0;
}

int fake_close(int) {
  return 0;
}

ssize_t fake_write(int, const void*, size_t count) {
  return static_cast<ssize_t>(count);
}

}  // namespace

void install(MemoryFiles& memory) {
  files = &memory;
  sys = real_syscalls;
  sys.open = fake_open;
  sys.read = fake_read;
  sys.pread = fake_pread;
  sys.pwrite = fake_pwrite;
  sys.fstat = fake_fstat;
  sys.close = fake_close;
  sys.write = fake_write;
}

void uninstall() {
  sys = real_syscalls;
  files = nullptr;
}

}  // namespace tolv::fuzz
