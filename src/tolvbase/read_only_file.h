// One file of a base, opened for reading only: tolvbase never writes a base.
// Every call goes through the system-call layer, so tests can inject
// failures the same way as for the converter. A failure is kept as a message
// in `error` for the caller to print.
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
};

// Opens `path` read-only and takes its size. A directory is refused.
bool open_read_only(ReadOnlyFile& file, const std::string& path);

// Reads `count` bytes at `offset`, retrying interrupted and partial reads.
// False when a read fails or the file ends before `count` bytes.
bool read_exactly(ReadOnlyFile& file, void* buf, size_t count, int64_t offset);

void close_read_only(ReadOnlyFile& file);

}  // namespace tolv
