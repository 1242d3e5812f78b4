#include "companion/base_cut.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "companion/file_lock.h"
#include "companion/output_file.h"
#include "companion/text.h"
#include "runtime/syscall.h"

namespace tolv {

namespace {

constexpr int64_t kNanosecondsPerSecond = 1000000000;

FileState state_of(const struct stat& st) {
  FileState state;
  state.exists = true;
  state.size = S_ISREG(st.st_mode) ? static_cast<int64_t>(st.st_size) : -1;
  state.device = static_cast<uint64_t>(st.st_dev);
  state.inode = static_cast<uint64_t>(st.st_ino);
  state.mtime_ns = static_cast<int64_t>(st.st_mtim.tv_sec) * kNanosecondsPerSecond +
                   static_cast<int64_t>(st.st_mtim.tv_nsec);
  return state;
}

FileState path_state(const std::string& path) {
  struct stat st;
  if (sys_lstat(path.c_str(), &st) == 0) return state_of(st);
  FileState state;
  state.exists = system_error != ENOENT;
  return state;
}

bool same_file(const FileState& a, const FileState& b) {
  return a.device == b.device && a.inode == b.inode;
}

ReadOnlyFile& file_of(CutBase& base, BaseFile file) {
  return file == BaseFile::Records ? base.files.records : base.files.descriptions;
}

FileState& opened_state(CutBase& base, BaseFile file) {
  return file == BaseFile::Records ? base.opened.records : base.opened.descriptions;
}

bool open_one(CutBase& base, ReadOnlyFile& file, const std::string& path, bool may_be_gone) {
  file.path = path;
  // Without blocking, as every companion opens: a FIFO is refused below.
  file.fd = sys_open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0);
  if (file.fd >= 0) return true;
  file.missing = system_error == ENOENT;
  if (file.missing && may_be_gone) return true;
  if (system_error == ELOOP)
    base.error = "'" + path + "' is a symbolic link; a base is cut only through its own files";
  else
    base.error = cannot("open", path, system_error);
  return false;
}

// The state of an open file; false, with `error`, when it cannot be taken or
// the file is not a regular one.
bool take_state(CutBase& base, BaseFile which, FileState& state) {
  ReadOnlyFile& file = file_of(base, which);
  if (file.fd < 0) {  // a record file already removed: nothing there
    state = FileState{};
    state.size = 0;
    file.size = 0;
    return true;
  }
  struct stat st;
  if (retry_interrupted([&] { return sys_fstat(file.fd, &st); }) < 0) {
    base.error = cannot("examine", file.path, system_error);
    return false;
  }
  state = state_of(st);
  if (state.size < 0) {
    base.error = "'" + file.path + "' is not a regular file";
    return false;
  }
  file.size = state.size;
  return true;
}

}  // namespace

BaseFiles base_files(std::string_view argument) {
  BasePaths paths = derive_base_paths(argument);
  return {path_state(paths.record_file), path_state(paths.description_file)};
}

CutOpen open_base_to_cut(CutBase& base, std::string_view argument, Gone gone) {
  base = CutBase{};
  base.paths = derive_base_paths(argument);
  bool opened =
      open_one(base, base.files.records, base.paths.record_file, gone == Gone::RecordFileMayBe) &&
      open_one(base, base.files.descriptions, base.paths.description_file, false);
  if (opened) {
    LockTaken locked = lock_file(base.files.descriptions.fd, base.paths.description_file,
                                 LockKind::Exclusive, false, base.error);
    if (locked == LockTaken::Busy) {
      base.error = "'" + base.paths.description_file +
                   "' is locked: a conversion is writing the base, or a program is reading it";
      close_cut_base(base);
      return CutOpen::Busy;
    }
    opened = locked == LockTaken::Locked &&
             take_state(base, BaseFile::Records, base.opened.records) &&
             take_state(base, BaseFile::Descriptions, base.opened.descriptions);
  }
  if (opened) return CutOpen::Opened;
  close_cut_base(base);
  return CutOpen::Failed;
}

bool still_as_opened(CutBase& base) {
  for (BaseFile which : {BaseFile::Records, BaseFile::Descriptions}) {
    FileState now;
    if (!take_state(base, which, now)) return false;
    const FileState& then = opened_state(base, which);
    if (!same_file(now, then) || now.size != then.size || now.mtime_ns != then.mtime_ns) {
      base.error = "'" + file_of(base, which).path +
                   "' changed while it was read (a program that does not take the base's lock "
                   "wrote it)";
      return false;
    }
  }
  return true;
}

bool cut_file(CutBase& base, BaseFile which, int64_t length) {
  ReadOnlyFile& file = file_of(base, which);
  if (length < 0 || length > opened_state(base, which).size) {
    base.error = "'" + file.path + "' has " + counted(opened_state(base, which).size, "byte") +
                 ": it cannot be cut to " + std::to_string(length);
    return false;
  }
  if (retry_interrupted([&] { return sys_ftruncate(file.fd, length); }) < 0) {
    base.error = cannot("cut", file.path, system_error);
    return false;
  }
  file.size = length;
  return true;
}

bool sync_cut_base(CutBase& base) {
  for (BaseFile which : {BaseFile::Records, BaseFile::Descriptions}) {
    ReadOnlyFile& file = file_of(base, which);
    if (file.fd >= 0 && retry_interrupted([&] { return sys_fsync(file.fd); }) < 0) {
      base.error = cannot("sync", file.path, system_error);
      return false;
    }
  }
  return true;
}

bool remove_file(CutBase& base, BaseFile which) {
  const std::string& path = file_of(base, which).path;
  if (file_of(base, which).fd < 0) return true;  // removed already
  if (!same_file(path_state(path), opened_state(base, which))) {
    base.error = "'" + path + "' is no longer the file that was opened; it is left in place";
    return false;
  }
  if (sys_unlink(path.c_str()) < 0) {
    base.error = cannot("remove", path, system_error);
    return false;
  }
  size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  return sync_directory(dir, base.error);
}

bool cut_base(CutBase& base, int64_t record_bytes, int64_t description_bytes) {
  return cut_file(base, BaseFile::Records, record_bytes) &&
         cut_file(base, BaseFile::Descriptions, description_bytes);
}

void close_cut_base(CutBase& base) {
  close_base(base.files);
}

}  // namespace tolv
