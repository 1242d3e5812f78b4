#include "normalize/archive_description.h"

#include <archive.h>
#include <archive_entry.h>
#include <errno.h>
#include <stdio.h>

#include <algorithm>
#include <memory>
#include <string_view>
#include <utility>

#include "companion/read_only_file.h"
#include "companion/text.h"
#include "normalize/archive_kind.h"
#include "normalize/member_text.h"
#include "normalize/zip_headers.h"
#include "runtime/syscall.h"

namespace tolv {

namespace {

constexpr size_t kReadBlock = 64 * 1024;
constexpr int64_t kMaxDirectoryBytes = 4 << 20;
constexpr std::string_view kDiz = "FILE_ID.DIZ";
constexpr std::string_view kSdi = "DESC.SDI";

// The file as libarchive reads it, through the callbacks below.
struct Reading {
  ReadOnlyFile file;
  std::unique_ptr<char[]> block{new char[kReadBlock]};
  size_t head = 0;  // bytes of the first read not yet handed to libarchive
  int64_t bytes_read = 0;
  std::string failure;     // why a callback failed: a system call or a limit
  ZipDirectory directory;  // a ZIP read from its central directory: where that lies
};

la_ssize_t read_block(struct archive* a, void* data, const void** buffer) {
  Reading& r = *static_cast<Reading*>(data);
  *buffer = r.block.get();
  if (r.head > 0) return static_cast<la_ssize_t>(std::exchange(r.head, 0));
  if (r.bytes_read >= kMaxArchiveBytes) {
    r.failure = std::to_string(kMaxArchiveBytes >> 20) + " MiB read without reaching its end";
    archive_set_error(a, EFBIG, "%s", r.failure.c_str());
    return -1;
  }
  ssize_t n = retry_interrupted([&] { return sys_read(r.file.fd, r.block.get(), kReadBlock); });
  if (n < 0) {
    r.failure = cannot("read", r.file.path, system_error);
    archive_set_error(a, EIO, "%s", r.failure.c_str());
    return -1;
  }
  r.bytes_read += n;
  return n;
}

// The bytes of the first read that libarchive has not taken yet lie before
// the descriptor's position.
la_int64_t seek_to(struct archive* a, void* data, la_int64_t offset, int whence) {
  Reading& r = *static_cast<Reading*>(data);
  size_t pending = std::exchange(r.head, 0);
  if (whence == SEEK_CUR) offset -= static_cast<la_int64_t>(pending);
  off_t at = sys_lseek(r.file.fd, offset, whence);
  if (at < 0) {
    r.failure = cannot("seek in", r.file.path, system_error);
    archive_set_error(a, EIO, "%s", r.failure.c_str());
    return ARCHIVE_FATAL;
  }
  return at;
}

la_int64_t skip_bytes(struct archive* a, void* data, la_int64_t request) {
  return seek_to(a, data, request, SEEK_CUR) < 0 ? ARCHIVE_FATAL : request;
}

// libarchive's words for why it stopped.
std::string library_error(struct archive* a) {
  const char* words = archive_error_string(a);
  return words != nullptr ? words : "the archive is damaged";
}

// Reads the first block; the kind is told from its first bytes.
bool read_head(Reading& r) {
  while (r.head < kKindHeadBytes) {
    ssize_t n = retry_interrupted(
        [&] { return sys_read(r.file.fd, r.block.get() + r.head, kReadBlock - r.head); });
    if (n < 0) {
      r.failure = cannot("read", r.file.path, system_error);
      return false;
    }
    if (n == 0) break;
    r.head += static_cast<size_t>(n);
    r.bytes_read += n;
  }
  return true;
}

// Whether a ZIP is read from its central directory, which gives every
// member's size, so that passing a member is a seek whoever wrote the
// archive (a writer that could not seek back leaves the sizes after each
// member's data, where only inflating it finds them). libarchive holds the
// whole directory in memory, so only a small one is trusted to it; another
// ZIP, or one whose end record is missing or damaged, is read member after
// member from its start.
bool zip_by_directory(Reading& r) {
  constexpr size_t kShortTail = 4096;
  std::string tail;
  for (size_t want : {kShortTail, kZipTailBytes}) {
    size_t n = static_cast<size_t>(std::min<int64_t>(r.file.size, static_cast<int64_t>(want)));
    if (n == tail.size()) break;
    tail.resize(n);
    if (!read_exactly(r.file, tail.data(), n, r.file.size - static_cast<int64_t>(n))) return false;
    r.bytes_read += static_cast<int64_t>(n);
    ZipDirectory directory = zip_end_record(tail);
    if (directory.members < 0) continue;
    // libarchive takes a ZIP without members for none at all.
    if (directory.members == 0 || directory.members > kMaxMembers ||
        directory.bytes > kMaxDirectoryBytes)
      return false;
    r.directory = directory;
    return true;
  }
  return false;
}

// libarchive, ready for the one format the kind names.
struct archive* reader_for(Reading& r, ArchiveKind kind) {
  struct archive* a = archive_read_new();
  if (a == nullptr) return nullptr;
  switch (kind) {
    case ArchiveKind::Zip:
      if (zip_by_directory(r))
        archive_read_support_format_zip_seekable(a);
      else
        archive_read_support_format_zip_streamable(a);
      break;
    case ArchiveKind::SevenZip:
      archive_read_support_format_7zip(a);
      break;
    case ArchiveKind::Rar:
      archive_read_support_format_rar(a);
      archive_read_support_format_rar5(a);
      break;
    case ArchiveKind::Lha:
      archive_read_support_format_lha(a);
      break;
    case ArchiveKind::Cab:
      archive_read_support_format_cab(a);
      break;
    default:
      archive_read_support_format_tar(a);
      break;
  }
  return a;
}

// Kinds whose members may be compressed together: passing over one means
// decompressing it, which is counted.
bool solid(ArchiveKind kind) {
  return kind == ArchiveKind::SevenZip || kind == ArchiveKind::Rar || kind == ArchiveKind::Cab;
}

// The compression method of the ZIP member `name` whose header libarchive
// has just read: from the central directory it was read from, else from its
// local header; -1 when it cannot be told.
int zip_method(Reading& r, struct archive* a, const std::string& name) {
  if (r.directory.members > 0) {
    std::string directory(static_cast<size_t>(r.directory.bytes), '\0');
    if (!read_exactly(r.file, directory.data(), directory.size(), r.directory.offset)) return -1;
    return zip_method_in_directory(directory, name);
  }
  int64_t at = archive_read_header_position(a);
  std::string window(kZipDescriptorBytes + kZipLocalHeaderBytes + name.size(), '\0');
  if (at < 0 || at >= r.file.size) return -1;
  window.resize(static_cast<size_t>(std::min<int64_t>(r.file.size - at, window.size())));
  if (!read_exactly(r.file, window.data(), window.size(), at)) return -1;
  return zip_method_in(window, name);
}

// One description member's bytes, or why they cannot be had.
struct Member {
  bool found = false;
  std::string name;  // as the archive spells it
  std::string bytes;
  bool larger = false;
  ArchiveOutcome failed = ArchiveOutcome::Described;  // else why there are no bytes
  std::string why;
};

void read_member(Reading& r, struct archive* a, struct archive_entry* e, ArchiveKind kind,
                 Member& m) {
  m.found = true;
  if (archive_entry_is_data_encrypted(e)) {
    m.failed = ArchiveOutcome::Unreadable;
    m.why = "its " + m.name + " is encrypted";
    return;
  }
  char chunk[16 * 1024];
  la_ssize_t n = 0;
  while (m.bytes.size() <= kMaxMemberBytes && (n = archive_read_data(a, chunk, sizeof chunk)) > 0)
    m.bytes.append(chunk, static_cast<size_t>(n));
  if (n < 0) {
    // Most often a method libarchive does not decode: the ZIP header names it.
    int method = kind == ArchiveKind::Zip ? zip_method(r, a, m.name) : -1;
    bool undecoded = method > 0 && method != 8;
    m.failed = undecoded ? ArchiveOutcome::UnreadMethod : ArchiveOutcome::Unreadable;
    m.why = undecoded ? "its " + m.name + " is stored with " + zip_method_words(method) +
                            ", which is not decoded"
                      : "its " + m.name + " cannot be read: " + library_error(a);
    return;
  }
  m.larger = m.bytes.size() > kMaxMemberBytes;
  if (m.larger) m.bytes.resize(kMaxMemberBytes);
}

// Decompresses a member that is passed over, counting its bytes against
// the limit; false (with `why`) when the limit is reached or the archive
// can be read no further.
bool pass_member(const Reading& r, struct archive* a, int64_t& passed, std::string& why) {
  char chunk[16 * 1024];
  la_ssize_t n;
  while ((n = archive_read_data(a, chunk, sizeof chunk)) > 0) {
    passed += n;
    if (passed > kMaxPassedBytes) {
      why = "more than " + std::to_string(kMaxPassedBytes >> 20) +
            " MiB decompressed before its description";
      return false;
    }
  }
  // A member that cannot be decoded is no matter; a damaged archive is.
  if (n == ARCHIVE_FATAL) {
    why = !r.failure.empty() ? r.failure : library_error(a);
    return false;
  }
  return true;
}

ArchiveDescription finding(ArchiveOutcome outcome, std::string message) {
  ArchiveDescription d;
  d.outcome = outcome;
  d.message = std::move(message);
  return d;
}

std::string_view base_name(std::string_view path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// What a look through the archive's members found.
struct Scan {
  Member diz, sdi;
  std::string nested;  // a description member in a folder, which is not taken
  std::string why;     // the archive could not be read to its end
};

bool is_description(std::string_view name, std::string_view wanted) {
  return equal_ignoring_case(name, wanted);
}

// Looks at each member until the FILE_ID.DIZ; a DESC.SDI is read on the
// way, in case none follows.
void scan_members(Reading& r, struct archive* a, ArchiveKind kind, Scan& s) {
  struct archive_entry* e = nullptr;
  int64_t members = 0, passed = 0;
  while (true) {
    int status = archive_read_next_header(a, &e);
    if (status == ARCHIVE_EOF) return;
    if (status < ARCHIVE_WARN) {
      s.why = !r.failure.empty() ? r.failure : library_error(a);
      return;
    }
    if (++members > kMaxMembers) {
      s.why = "more than " + std::to_string(kMaxMembers) + " members without a description";
      return;
    }
    const char* path = archive_entry_pathname(e);
    std::string_view name = path != nullptr ? path : "";
    if (name.starts_with("./")) name.remove_prefix(2);
    bool regular = archive_entry_filetype(e) == AE_IFREG && archive_entry_hardlink(e) == nullptr;
    Member* m = !regular                                     ? nullptr
                : is_description(name, kDiz)                 ? &s.diz
                : is_description(name, kSdi) && !s.sdi.found ? &s.sdi
                                                             : nullptr;
    if (m != nullptr) {
      m->name = name;
      read_member(r, a, e, kind, *m);
      if (m == &s.diz) return;
      if (solid(kind) && !pass_member(r, a, passed, s.why)) return;
    } else {
      std::string_view base = base_name(name);
      if (s.nested.empty() && base != name &&
          (is_description(base, kDiz) || is_description(base, kSdi)))
        s.nested = name;
      if ((solid(kind) || !archive_entry_size_is_set(e)) && !pass_member(r, a, passed, s.why))
        return;
    }
  }
}

// The description the scan found, or the finding that says why none.
ArchiveDescription described(const Scan& s, const std::string& name, const std::string& words,
                             bool keep_colours, size_t max_lines) {
  ArchiveDescription d;
  const Member& m = s.diz.found ? s.diz : s.sdi;
  if (!m.found && !s.why.empty())
    return finding(ArchiveOutcome::Unreadable,
                   quoted_cp437(name) + " cannot be read as " + words + ": " + s.why);
  if (!m.found) {
    std::string message = quoted_cp437(name) + " holds no " + std::string(kDiz) + " or " +
                          std::string(kSdi) + " at its top";
    if (!s.nested.empty())
      message += " (" + quoted_cp437(s.nested) + " lies in a folder: not taken)";
    return finding(ArchiveOutcome::NoDescription, message);
  }
  if (m.failed != ArchiveOutcome::Described)
    return finding(m.failed, quoted_cp437(name) + ": " + m.why);
  d.lines = member_description_lines(m.bytes, keep_colours, max_lines, &d.cut);
  if (d.lines.empty())
    return finding(ArchiveOutcome::NoDescription,
                   "the " + m.name + " of " + quoted_cp437(name) + " holds no text");
  d.outcome = ArchiveOutcome::Described;
  d.larger = m.larger;
  if (m.larger)
    d.message = "the " + m.name + " of " + quoted_cp437(name) + " holds more than " +
                std::to_string(kMaxMemberBytes >> 10) + " KiB: the rest is not read";
  return d;
}

}  // namespace

ArchiveDescription describe_archive(const std::string& directory, const std::string& name,
                                    bool keep_colours, size_t max_lines) {
  Reading r;
  std::string path = directory.ends_with('/') ? directory + name : directory + '/' + name;
  if (!open_read_only(r.file, path)) return finding(ArchiveOutcome::Unreadable, r.file.error);
  bool headed = read_head(r);
  ArchiveKind kind =
      archive_kind(std::string_view(r.block.get(), r.head).substr(0, kKindHeadBytes));
  if (!headed) {
    close_read_only(r.file);
    return finding(ArchiveOutcome::Unreadable, r.failure);
  }
  std::string words(kind_words(kind));
  if (!kind_is_read(kind)) {
    close_read_only(r.file);
    if (!kind_is_archive(kind))
      return finding(ArchiveOutcome::NotArchive,
                     quoted_cp437(name) + " is " + words + ", not an archive");
    return finding(ArchiveOutcome::UnreadKind,
                   quoted_cp437(name) + " is " + words + ", which is not read");
  }

  Scan s;
  struct archive* a = reader_for(r, kind);
  if (a == nullptr) {
    s.why = "no memory for its reader";
  } else {
    archive_read_set_read_callback(a, read_block);
    archive_read_set_seek_callback(a, seek_to);
    archive_read_set_skip_callback(a, skip_bytes);
    archive_read_set_callback_data(a, &r);
    if (archive_read_open1(a) == ARCHIVE_OK)
      scan_members(r, a, kind, s);
    else
      s.why = !r.failure.empty() ? r.failure : library_error(a);
    archive_read_free(a);
  }
  close_read_only(r.file);

  return described(s, name, words, keep_colours, max_lines);
}

}  // namespace tolv
