// What a file of an area is, told by its first bytes and never by its name:
// a sysop's .ZIP may be a text someone renamed, and a .COM may be an ARC.
// Some kinds are read for their description member (libarchive reads them);
// the older kinds of the BBS years are only named, so a finding can say why
// a file gave no description.
#pragma once

#include <cstddef>
#include <string_view>

namespace tolv {

enum class ArchiveKind {
  // Read.
  Zip,
  SevenZip,
  Rar,
  Lha,
  Cab,
  Tar,
  // Named, not read.
  Arj,
  Arc,
  Zoo,
  Lbr,
  Squeezed,
  Crunched,
  Ace,
  OldRar,
  Gzip,
  Bzip2,
  Xz,
  Program,  // a DOS or Windows program ("MZ"), self-extracting or not
  // Not an archive.
  Empty,
  Text,
  Data,
};

// How many of a file's first bytes archive_kind looks at, at most (a tar's
// mark lies at byte 257).
inline constexpr size_t kKindHeadBytes = 512;

// The kind of a file whose first bytes are `head` (fewer than
// kKindHeadBytes when the file is shorter).
ArchiveKind archive_kind(std::string_view head);

// True for the kinds whose description member is read.
bool kind_is_read(ArchiveKind kind);

// True for the kinds that are archives at all (read or not).
bool kind_is_archive(ArchiveKind kind);

// The kind as a finding names it: "a ZIP archive", "a squeezed file", "text".
std::string_view kind_words(ArchiveKind kind);

}  // namespace tolv
