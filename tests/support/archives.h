// Archives made in the test with libarchive's writer, for the reading of
// description members (normalize/archive_description.h): ZIP, 7-Zip and
// tar files of given members, and the bytes of a ZIP for tests that damage
// one by hand.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tolv::test {

struct ArchiveMember {
  std::string name;
  std::string bytes;
  bool folder = false;  // a directory entry (bytes unused)
};

enum class ArchiveFormat { Zip, StoredZip, SevenZip, Tar };

// The archive of `members`, in order, as bytes; `options` as libarchive's
// writer takes them ("7zip:compression=deflate").
std::string archive_bytes(ArchiveFormat format, const std::vector<ArchiveMember>& members,
                          const char* options = nullptr);

// A ZIP whose one member `name` inflates to `size` bytes of `line` repeated,
// made without holding them.
std::string zip_bomb_bytes(const std::string& name, const std::string& line, int64_t size);

// The offset of the local header of the ZIP member `name` in `zip`, and of
// its central directory header; npos when there is none.
size_t zip_local_header(const std::string& zip, const std::string& name);
size_t zip_central_header(const std::string& zip, const std::string& name);

// `count` bytes that do not compress, the same for every seed.
std::string noise(size_t count, uint32_t seed = 1);

}  // namespace tolv::test
