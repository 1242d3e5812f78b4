// The one way the companions open what they read: a base's files, a
// listing, a DIR.LST or an area file. Each is opened for reading only and
// without blocking, and anything but a regular file (a directory, a FIFO, a
// device such as /dev/zero) is refused at once, so a command can neither
// hang on it nor read it forever; only "-", where a command takes it, is
// standard input, whatever that is. Every call goes through the system-call
// layer, so tests can inject failures the same way as for the converter. A
// failure is kept as a message in `error` for the caller to print.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tolv {

struct ReadOnlyFile {
  std::string path;
  int fd = -1;
  int64_t size = 0;  // as the file system reported it at the open
  std::string error;
  bool missing = false;  // the open failed because there is no such file
};

// Opens `path` read-only, without blocking, and takes its size. Anything
// but a regular file is refused.
bool open_read_only(ReadOnlyFile& file, const std::string& path);

// Reads a whole input: the file at `path`, or standard input for "-". False,
// with `error` saying why, when it cannot be opened or read.
bool read_whole_file(const std::string& path, std::string& bytes, std::string& error);

// Takes a shared advisory lock (flock) on the file without waiting. False
// only when another process holds an exclusive lock on it: a conversion is
// writing the base. A file system that cannot lock counts as free.
bool lock_shared_if_free(ReadOnlyFile& file);

// Reads `count` bytes at `offset`, retrying interrupted and partial reads.
// False when a read fails or the file ends before `count` bytes.
bool read_exactly(ReadOnlyFile& file, void* buf, size_t count, int64_t offset);

void close_read_only(ReadOnlyFile& file);

// Opens the directory at `path` to look into it; -1, with `error` one line
// ("'P' does not exist", "'P' is not a directory", or why it cannot be
// opened), when it cannot be.
int open_directory(const std::string& path, std::string& error);

// What a file of `mode` (st_mode) that is not a regular one is, for the
// message that refuses it: "a FIFO", "a character device", ...
const char* special_file_kind(unsigned int mode);

}  // namespace tolv
