#include "companion/read_only_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "companion/file_lock.h"
#include "companion/text.h"
#include "runtime/syscall.h"

namespace tolv {

namespace {

bool fail(ReadOnlyFile& file, const char* what, int number) {
  file.error = cannot(what, file.path, number);
  return false;
}

}  // namespace

int open_directory(const std::string& path, std::string& error) {
  int fd = sys_open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC, 0);
  if (fd >= 0) return fd;
  if (system_error == ENOTDIR) {
    struct stat st;
    bool there = sys_stat(path.c_str(), &st) == 0;
    error = quoted(path) + (there ? " is not a directory" : " does not exist");
  } else {
    error = system_error == ENOENT ? quoted(path) + " does not exist"
                                   : cannot("open", path, system_error);
  }
  return -1;
}

const char* special_file_kind(unsigned int mode) {
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISDIR(mode)) return "a directory";
  return "a special file";
}

bool open_read_only(ReadOnlyFile& file, const std::string& path) {
  file = ReadOnlyFile{};
  file.path = path;
  // Without blocking: the open of a FIFO would otherwise wait for a writer.
  file.fd = sys_open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC, 0);
  if (file.fd < 0) {
    file.missing = system_error == ENOENT;
    return fail(file, "open", system_error);
  }
  struct stat st;
  if (sys_fstat(file.fd, &st) < 0) {
    int number = system_error;
    close_read_only(file);
    return fail(file, "open", number);
  }
  if (S_ISDIR(st.st_mode)) {
    close_read_only(file);
    return fail(file, "open", EISDIR);
  }
  if (!S_ISREG(st.st_mode)) {
    close_read_only(file);
    file.error = "cannot open '" + path + "': it is " + special_file_kind(st.st_mode) +
                 ", not a regular file";
    return false;
  }
  file.size = st.st_size;
  return true;
}

bool lock_shared_if_free(ReadOnlyFile& file) {
  std::string error;
  return lock_file(file.fd, file.path, LockKind::Shared, false, error) != LockTaken::Busy;
}

bool read_exactly(ReadOnlyFile& file, void* buf, size_t count, int64_t offset) {
  auto* at = static_cast<uint8_t*>(buf);
  while (count > 0) {
    ssize_t n = retry_interrupted([&] { return sys_pread(file.fd, at, count, offset); });
    if (n < 0) return fail(file, "read", system_error);
    if (n == 0) {
      file.error = "'" + file.path + "' ended at byte " + std::to_string(offset) +
                   ": it shrank while being read";
      return false;
    }
    at += n;
    count -= static_cast<size_t>(n);
    offset += n;
  }
  return true;
}

bool read_whole_file(const std::string& path, std::string& bytes, std::string& error) {
  bytes.clear();
  if (path == "-") {
    char buffer[64 * 1024];
    while (true) {
      ssize_t n = retry_interrupted([&] { return sys_read(0, buffer, sizeof buffer); });
      if (n < 0) {
        error = "cannot read standard input: " + errno_text(system_error);
        return false;
      }
      if (n == 0) return true;
      bytes.append(buffer, static_cast<size_t>(n));
    }
  }
  ReadOnlyFile file;
  if (!open_read_only(file, path)) {
    error = file.error;
    return false;
  }
  bytes.assign(static_cast<size_t>(file.size), '\0');
  bool read = read_exactly(file, bytes.data(), bytes.size(), 0);
  if (!read) error = file.error;
  close_read_only(file);
  return read;
}

void close_read_only(ReadOnlyFile& file) {
  if (file.fd >= 0) sys_close(file.fd);
  file.fd = -1;
}

}  // namespace tolv
