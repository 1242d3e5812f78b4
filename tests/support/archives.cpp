#include "support/archives.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <cstring>

namespace tolv::test {

namespace {

struct Writer {
  struct archive* a = archive_write_new();
  std::vector<char> memory = std::vector<char>(1 << 20);
  size_t used = 0;

  explicit Writer(ArchiveFormat format) {
    switch (format) {
      case ArchiveFormat::Zip:
      case ArchiveFormat::StoredZip:
        archive_write_set_format_zip(a);
        if (format == ArchiveFormat::StoredZip)
          archive_write_set_options(a, "zip:compression=store");
        break;
      case ArchiveFormat::SevenZip:
        archive_write_set_format_7zip(a);
        break;
      case ArchiveFormat::Tar:
        archive_write_set_format_ustar(a);
        break;
    }
  }
  ~Writer() { archive_write_free(a); }

  // libarchive writes into a buffer of a size fixed at the open: one large
  // enough for every archive the tests make.
  void open(size_t capacity) {
    memory.resize(capacity);
    EXPECT_EQ(archive_write_open_memory(a, memory.data(), memory.size(), &used), ARCHIVE_OK)
        << archive_error_string(a);
  }

  void header(const std::string& name, int64_t size, bool folder) {
    struct archive_entry* e = archive_entry_new();
    archive_entry_set_pathname(e, name.c_str());
    archive_entry_set_filetype(e, folder ? AE_IFDIR : AE_IFREG);
    archive_entry_set_perm(e, 0644);
    archive_entry_set_mtime(e, 981'201'600, 0);  // 3 February 2001
    if (!folder) archive_entry_set_size(e, size);
    EXPECT_EQ(archive_write_header(a, e), ARCHIVE_OK) << archive_error_string(a);
    archive_entry_free(e);
  }

  std::string close() {
    EXPECT_EQ(archive_write_close(a), ARCHIVE_OK) << archive_error_string(a);
    return std::string(memory.data(), used);
  }
};

// The header with `mark` whose name (its length at `size_at`, its bytes at
// `name_at`) is `name`.
size_t find_header(const std::string& zip, const std::string& mark, size_t size_at, size_t name_at,
                   const std::string& name) {
  for (size_t at = zip.find(mark); at != std::string::npos; at = zip.find(mark, at + 1)) {
    if (at + name_at > zip.size()) break;
    size_t name_size =
        static_cast<uint8_t>(zip[at + size_at]) | static_cast<uint8_t>(zip[at + size_at + 1]) << 8;
    if (zip.compare(at + name_at, name_size, name) == 0 && name_size == name.size()) return at;
  }
  return std::string::npos;
}

}  // namespace

std::string archive_bytes(ArchiveFormat format, const std::vector<ArchiveMember>& members,
                          const char* options) {
  Writer w(format);
  if (options != nullptr) {
    EXPECT_EQ(archive_write_set_options(w.a, options), ARCHIVE_OK) << options;
  }
  size_t total = 64 * 1024;
  for (const ArchiveMember& m : members) total += m.bytes.size() + m.bytes.size() / 8 + 1024;
  w.open(total);
  for (const ArchiveMember& m : members) {
    w.header(m.name, static_cast<int64_t>(m.bytes.size()), m.folder);
    if (!m.folder && !m.bytes.empty()) {
      EXPECT_EQ(archive_write_data(w.a, m.bytes.data(), m.bytes.size()),
                static_cast<la_ssize_t>(m.bytes.size()));
    }
  }
  return w.close();
}

std::string zip_bomb_bytes(const std::string& name, const std::string& line, int64_t size) {
  Writer w(ArchiveFormat::Zip);
  archive_write_set_options(w.a, "zip:compression-level=9");
  w.open(size / 500 + 64 * 1024);
  w.header(name, size, false);
  std::string block;
  while (block.size() < 1 << 20) block += line;
  for (int64_t left = size; left > 0;) {
    size_t n = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(block.size())));
    EXPECT_EQ(archive_write_data(w.a, block.data(), n), static_cast<la_ssize_t>(n));
    left -= static_cast<int64_t>(n);
  }
  return w.close();
}

size_t zip_local_header(const std::string& zip, const std::string& name) {
  return find_header(zip, std::string("PK\x03\x04", 4), 26, 30, name);
}

size_t zip_central_header(const std::string& zip, const std::string& name) {
  return find_header(zip, std::string("PK\x01\x02", 4), 28, 46, name);
}

std::string noise(size_t count, uint32_t seed) {
  std::string bytes(count, '\0');
  for (char& c : bytes) {
    seed = seed * 1103515245 + 12345;
    c = static_cast<char>(seed >> 23);
  }
  return bytes;
}

}  // namespace tolv::test
