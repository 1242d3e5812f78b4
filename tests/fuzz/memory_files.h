// An in-memory file system behind the system-call seam, for the fuzz target:
// the listing is read from a byte buffer and the file base is written to
// strings, so an input costs no disk access.
#pragma once

#include <string>
#include <string_view>

namespace tolv::fuzz {

struct MemoryFiles {
  std::string_view listing;  // what reads of the listing give
  std::string records;       // the record file's bytes
  std::string descriptions;  // the description file's bytes
  size_t max_read = 256;     // largest read the fake hands out at once
};

// Routes open/read/pwrite/fstat/close of the paths "listing", "base.dir" and
// "base.des" to `files`; the table is restored by uninstall.
void install(MemoryFiles& files);
void uninstall();

}  // namespace tolv::fuzz
