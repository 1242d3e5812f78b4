// File operations over the system-call layer, with the pending-error rules:
//
//   1. While a code is pending an operation does nothing and gives its neutral
//      result (nothing read or written, size 0).
//   2. A failing operation sets the pending code, from the errno translation
//      or from a code of its own, and gives its neutral result.
//   3. A successful operation leaves the pending code as it is.
//
// An open that fails with an errno the translation has no code for leaves
// the file counted as open with no usable descriptor: its first use then
// fails with EBADF, code 6. Operations on a file that is not open set 103.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tolv {

enum class OpenMode {
  Read,       // read only, never created (the listing)
  ReadWrite,  // read and write, never created
  Create,     // read and write, created when missing, never truncated
};

struct File {
  int fd = -1;
  bool is_open = false;
  bool is_stdin = false;  // standard input: closing the file leaves it open
};

// Opens `path`; the empty path with OpenMode::Read means standard input.
// Read-write opens refused with EROFS are retried read-only, so an existing
// file on a read-only file system opens and its first write fails.
void file_open(File& file, const std::string& path, OpenMode mode);

// One read request of up to `count` bytes, made again after EINTR. Gives the
// number of bytes read; 0 at the end, and 0 after a failure (which sets the
// pending code when its errno has one).
size_t file_read(File& file, void* buf, size_t count);

// One positioned read, made again after EINTR; as file_read otherwise.
size_t file_read_at(File& file, void* buf, size_t count, int64_t offset);

// One positioned write of `count` bytes. A failure sets the code its errno
// translates to, or 101 when it has none; fewer bytes stored than asked sets
// 101. EINTR is retried.
void file_write_at(File& file, const void* buf, size_t count, int64_t offset);

// Length of the file in bytes as the file system reports it; 0 on failure,
// which always sets a code (101 when the errno has none of its own).
int64_t file_size(File& file);

// Identity of the open file (device and inode), for noticing a file that was
// replaced under the same path; {0, 0} on failure.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};
// When `size` is given it receives the file's length from the same query.
FileIdentity file_identity(File& file, int64_t* size = nullptr);

// As file_identity, for a file about to be written: a file that no longer
// has a name (its link count is 0: deleted, or replaced by a rename) sets
// 101, as a failed write does, since nothing written to it could be found
// again.
FileIdentity named_file_identity(File& file, int64_t* size);

// Takes an exclusive advisory lock (flock) on the open file, waiting while
// another process holds a lock on it; an interrupted wait is made again. It
// never sets a code: a file system that cannot lock (ENOLCK, EINVAL,
// EOPNOTSUPP), or a file without a usable descriptor, leaves the file
// unlocked and the caller goes on. The lock is released when the process
// ends. Programs that do not ask for the lock are not kept out by it.
void file_lock_exclusive(File& file);

// Closes the file; a failure of the close itself is not reported.
void file_close(File& file);

}  // namespace tolv
