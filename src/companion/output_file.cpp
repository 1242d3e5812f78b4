#include "companion/output_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>

#include "companion/read_only_file.h"
#include "companion/text.h"
#include "runtime/syscall.h"

namespace tolv {

namespace {

constexpr mode_t kOutputMode = 0666;  // less the umask, as tolvconv makes a base

bool fail(OutputFile& file, std::string message) {
  file.error = std::move(message);
  return false;
}

bool fail_with(OutputFile& file, const char* verb, int number) {
  return fail(file, cannot(verb, file.path, number));
}

// A file base's record or description file, by its name: no output is
// ever written over one, whatever the caller keeps out.
bool names_base_file(std::string_view path) {
  std::string_view name = path.substr(path.rfind('/') + 1);
  if (name.size() < 4) return false;
  std::string ending = folded(name.substr(name.size() - 4));
  return ending == ".dir" || ending == ".des";
}

int open_flags(OutputMode mode) {
  int flags = O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
  switch (mode) {
    case OutputMode::Replace:
      return flags | O_RDWR;
    case OutputMode::Append:
      return flags | O_RDWR | O_APPEND;
    case OutputMode::Update:
      break;
  }
  return flags | O_RDWR;
}

const KeptFile* kept_as(const KeptFiles& kept, const struct stat& st) {
  for (const KeptFile& k : kept)
    if (k.device == static_cast<uint64_t>(st.st_dev) && k.inode == static_cast<uint64_t>(st.st_ino))
      return &k;
  return nullptr;
}

// Writes all of `bytes` at the file's end (an Append file) or position.
bool write_all(OutputFile& file, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = retry_interrupted(
        [&] { return sys_write(file.fd, bytes.data() + done, bytes.size() - done); });
    if (n < 0) return fail_with(file, "write", system_error);
    if (n == 0) return fail_with(file, "write", EIO);
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

void keep_open_file(KeptFiles& kept, int fd, std::string what) {
  struct stat st;
  if (fd >= 0 && sys_fstat(fd, &st) == 0)
    kept.push_back(
        {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino), std::move(what)});
}

void keep_path(KeptFiles& kept, const std::string& path, std::string what) {
  struct stat st;
  if (sys_stat(path.c_str(), &st) == 0)
    kept.push_back(
        {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino), std::move(what)});
}

bool open_output(OutputFile& file, const std::string& path, OutputMode mode, KeptFiles& kept) {
  file = OutputFile{};
  file.path = path;
  if (names_base_file(path))
    return fail(file, quoted(path) + " names a file base's file (.dir, .des); it is left as it is");
  file.fd = sys_open(path.c_str(), open_flags(mode), kOutputMode);
  if (file.fd < 0) {
    if (system_error == ELOOP)
      return fail(file, quoted(path) + " is a symbolic link; it is not followed");
    // A FIFO that no program reads refuses a writer that will not wait.
    if (system_error == ENXIO) return fail(file, quoted(path) + " is a FIFO, not a regular file");
    return fail_with(file, "open", system_error);
  }
  file.out.fd = file.fd;
  struct stat st;
  std::string refusal;
  if (retry_interrupted([&] { return sys_fstat(file.fd, &st); }) < 0)
    refusal = cannot("examine", path, system_error);
  else if (!S_ISREG(st.st_mode))
    refusal = quoted(path) + " is " + special_file_kind(st.st_mode) + ", not a regular file";
  else if (const KeptFile* k = kept_as(kept, st))
    refusal = quoted(path) + " is " + k->what + "; it is left as it is";
  else if (mode == OutputMode::Replace &&
           retry_interrupted([&] { return sys_ftruncate(file.fd, 0); }) < 0)
    refusal = cannot("empty", path, system_error);
  if (!refusal.empty()) {
    sys_close(file.fd);
    file.fd = -1;
    return fail(file, refusal);
  }
  file.device = static_cast<uint64_t>(st.st_dev);
  file.inode = static_cast<uint64_t>(st.st_ino);
  kept.push_back({file.device, file.inode, quoted(path) + ", an output already open"});
  return true;
}

bool open_scratch_output(OutputFile& file, std::string what) {
  file = OutputFile{};
  const char* tmp = getenv("TMPDIR");
  std::string where = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
  file.path = std::move(what);
  file.fd = sys_open(where.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  file.out.fd = file.fd;
  if (file.fd >= 0) return true;
  return fail(
      file, "cannot hold " + file.path + " in " + quoted(where) + ": " + errno_text(system_error));
}

void write_output(OutputFile& file, std::string_view text) {
  put(file.out, text);
}

bool flush_output(OutputFile& file) {
  if (flush(file.out)) return true;
  if (file.error.empty()) fail_with(file, "write", file.out.error);
  return false;
}

bool append_durably(OutputFile& file, std::string_view bytes) {
  return append_whole(file, bytes) && sync_output(file);
}

bool append_whole(OutputFile& file, std::string_view bytes) {
  if (!flush_output(file)) return false;
  int64_t before = output_size(file);
  if (before < 0) return false;
  if (!write_all(file, bytes)) {
    // What a full disk let through is no record: it goes again. A file
    // that did not grow is left alone, with the room kept past its end.
    std::string why = file.error;
    struct stat st;
    if (sys_fstat(file.fd, &st) == 0 && st.st_size > before)
      retry_interrupted([&] { return sys_ftruncate(file.fd, before); });
    return fail(file, why);
  }
  return true;
}

bool sync_output(OutputFile& file) {
  if (!flush_output(file)) return false;
  if (retry_interrupted([&] { return sys_fdatasync(file.fd); }) == 0) return true;
  return fail_with(file, "sync", system_error);
}

bool reserve_room(OutputFile& file, int64_t bytes) {
  int64_t size = output_size(file);
  if (size < 0) return false;
  if (retry_interrupted([&] { return sys_reserve(file.fd, size, bytes); }) == 0) return true;
  if (system_error == EOPNOTSUPP || system_error == ENOSYS) return true;
  return fail(file, "cannot keep room for " + counted(bytes, "byte") + " in " + quoted(file.path) +
                        ": " + errno_text(system_error));
}

int64_t output_size(OutputFile& file) {
  struct stat st;
  if (retry_interrupted([&] { return sys_fstat(file.fd, &st); }) == 0) return st.st_size;
  fail_with(file, "examine", system_error);
  return -1;
}

bool cut_output(OutputFile& file, int64_t length) {
  if (retry_interrupted([&] { return sys_ftruncate(file.fd, length); }) == 0) return true;
  return fail_with(file, "cut", system_error);
}

bool make_directory(const std::string& path, std::string& error) {
  if (sys_mkdir(path.c_str(), 0777) < 0 && system_error != EEXIST) {
    error = cannot("make", path, system_error);
    return false;
  }
  struct stat st;
  if (sys_stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
  error = quoted(path) + " is not a directory";
  return false;
}

bool sync_directory(const std::string& dir, std::string& error) {
  int fd = sys_open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  bool synced = fd >= 0 && retry_interrupted([&] { return sys_fsync(fd); }) == 0;
  if (!synced) error = cannot("sync", dir, system_error);
  if (fd >= 0) sys_close(fd);
  return synced;
}

bool close_output(OutputFile& file, KeptFiles& kept) {
  kept.erase(std::remove_if(kept.begin(), kept.end(),
                            [&](const KeptFile& k) {
                              return k.device == file.device && k.inode == file.inode;
                            }),
             kept.end());
  return close_output(file);
}

bool close_output(OutputFile& file) {
  if (file.fd < 0) return file.error.empty();
  bool written = flush_output(file);
  int closed = sys_close(file.fd);
  file.fd = -1;
  if (closed < 0 && written) return fail_with(file, "close", system_error);
  return written;
}

}  // namespace tolv
