#include "runtime/file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include "runtime/io_error.h"
#include "runtime/syscall.h"

namespace tolv {

namespace {

constexpr mode_t kCreateMode = 0666;  // less the process's umask

// Begins an operation on `file`: false when it must do nothing, because a
// code is pending or because the file is not open, which sets 103.
bool start_operation(const File& file) {
  if (pending_error != 0) return false;
  if (!file.is_open) {
    pending_error = kFileNotOpen;
    return false;
  }
  return true;
}

int open_flags(OpenMode mode) {
  switch (mode) {
    case OpenMode::Read:
      return O_RDONLY | O_CLOEXEC;
    case OpenMode::ReadWrite:
      return O_RDWR | O_CLOEXEC;
    case OpenMode::Create:
      return O_RDWR | O_CREAT | O_CLOEXEC;
  }
  return O_RDONLY;
}

}  // namespace

void file_open(File& file, const std::string& path, OpenMode mode) {
  if (pending_error != 0) return;
  file = File{};
  if (path.empty() && mode == OpenMode::Read) {
    file.fd = 0;
    file.is_open = true;
    file.is_stdin = true;
    return;
  }
  int flags = open_flags(mode);
  int fd = sys_open(path.c_str(), flags, kCreateMode);
  if (fd < 0 && system_error == EROFS && (flags & O_ACCMODE) == O_RDWR) {
    fd = sys_open(path.c_str(), (flags & ~O_ACCMODE) | O_RDONLY, kCreateMode);
  }
  if (fd < 0) {
    uint16_t code = translate_errno(system_error);
    if (code != 0) {
      pending_error = code;
      return;
    }
  }
  // Also reached by a failure without a code: the file counts as open and
  // its descriptor of -1 makes the first use fail with EBADF.
  file.fd = fd;
  file.is_open = true;
}

size_t file_read(File& file, void* buf, size_t count) {
  if (!start_operation(file)) return 0;
  ssize_t n = retry_interrupted([&] { return sys_read(file.fd, buf, count); });
  if (n < 0) {
    set_pending_from_errno(system_error);
    return 0;
  }
  return static_cast<size_t>(n);
}

size_t file_read_at(File& file, void* buf, size_t count, int64_t offset) {
  if (!start_operation(file)) return 0;
  ssize_t n = retry_interrupted([&] { return sys_pread(file.fd, buf, count, offset); });
  if (n < 0) {
    set_pending_from_errno(system_error);
    return 0;
  }
  return static_cast<size_t>(n);
}

void file_write_at(File& file, const void* buf, size_t count, int64_t offset) {
  if (!start_operation(file)) return;
  ssize_t n = retry_interrupted([&] { return sys_pwrite(file.fd, buf, count, offset); });
  if (n < 0) {
    uint16_t code = translate_errno(system_error);
    pending_error = code != 0 ? code : kDiskWriteError;
  } else if (static_cast<size_t>(n) < count) {
    pending_error = kDiskWriteError;
  }
}

// The status of an open file. A failure always sets a code: the translated
// one, or 101 when the errno has none. Passing a failure by unreported would
// hand the caller a size of 0, and a writer that appends at "the end" would
// then write over the start of the file.
bool file_status(File& file, struct stat& st) {
  if (!start_operation(file)) return false;
  if (retry_interrupted([&] { return sys_fstat(file.fd, &st); }) < 0) {
    uint16_t code = translate_errno(system_error);
    pending_error = code != 0 ? code : kDiskWriteError;
    return false;
  }
  return true;
}

int64_t file_size(File& file) {
  struct stat st;
  return file_status(file, st) ? st.st_size : 0;
}

namespace {

FileIdentity status_identity(File& file, int64_t* size, bool must_be_named) {
  struct stat st;
  if (size) *size = 0;
  if (!file_status(file, st)) return {};
  if (must_be_named && st.st_nlink == 0) {
    pending_error = kDiskWriteError;
    return {};
  }
  if (size) *size = st.st_size;
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

}  // namespace

FileIdentity file_identity(File& file, int64_t* size) {
  return status_identity(file, size, false);
}

FileIdentity named_file_identity(File& file, int64_t* size) {
  return status_identity(file, size, true);
}

void file_lock_exclusive(File& file) {
  if (pending_error != 0 || !file.is_open || file.fd < 0) return;
  retry_interrupted([&] { return sys_flock(file.fd, LOCK_EX); });
}

void file_close(File& file) {
  if (!start_operation(file)) return;
  if (!file.is_stdin && file.fd >= 0) sys_close(file.fd);
  file = File{};
}

}  // namespace tolv
