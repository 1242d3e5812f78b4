#include "normalize/archive_kind.h"

namespace tolv {

namespace {

struct Signature {
  size_t at;
  std::string_view bytes;
  ArchiveKind kind;
};

using namespace std::string_view_literals;

// Marks that stand at a fixed place. The ZIP marks: a member's local
// header, an empty archive's end record, a spanned archive's first mark.
constexpr Signature kSignatures[] = {
    {0, "PK\x03\x04"sv, ArchiveKind::Zip},
    {0, "PK\x05\x06"sv, ArchiveKind::Zip},
    {0, "PK\x07\x08PK\x03\x04"sv, ArchiveKind::Zip},
    {0, "7z\xBC\xAF\x27\x1C"sv, ArchiveKind::SevenZip},
    {0, "Rar!\x1A\x07"sv, ArchiveKind::Rar},
    {0, "RE~^"sv, ArchiveKind::OldRar},
    {0, "MSCF\0\0\0\0"sv, ArchiveKind::Cab},
    {257, "ustar"sv, ArchiveKind::Tar},
    {0, "\x60\xEA"sv, ArchiveKind::Arj},
    {0, "\x76\xFF"sv, ArchiveKind::Squeezed},
    {0, "\x76\xFE"sv, ArchiveKind::Crunched},
    {0, "\x76\xFD"sv, ArchiveKind::Crunched},  // crunched with LZH
    {7, "**ACE**"sv, ArchiveKind::Ace},
    {0, "\x1F\x8B"sv, ArchiveKind::Gzip},
    {0, "BZh"sv, ArchiveKind::Bzip2},
    {0,
     "\xFD"
     "7zXZ\0"sv,
     ArchiveKind::Xz},
    {0, "MZ"sv, ArchiveKind::Program},
};

bool holds_at(std::string_view head, size_t at, std::string_view bytes) {
  return head.size() >= at + bytes.size() && head.substr(at, bytes.size()) == bytes;
}

// An LHA header: its method "-lh5-" (or "-lz4-", "-lhd-") at byte 2.
bool is_lha(std::string_view head) {
  return head.size() >= 7 && head[2] == '-' && head[3] == 'l' &&
         (head[4] == 'h' || head[4] == 'z') && head[6] == '-';
}

// A ZOO archive: its text, then the mark 0xFDC4A7DC at byte 20.
bool is_zoo(std::string_view head) {
  return holds_at(head, 0, "ZOO ") && holds_at(head, 20, "\xDC\xA7\xC4\xFD"sv);
}

// An ARC (or PAK) member header: 0x1A, a method from 1 to 20, then a name
// of printable characters ended by a NUL within 13 bytes.
bool is_arc(std::string_view head) {
  if (head.size() < 15 || head[0] != '\x1A' || head[1] < 1 || head[1] > 20) return false;
  for (size_t i = 2; i < 15; ++i) {
    unsigned char c = head[i];
    if (c == 0) return i > 2;
    if (c < 0x21 || c > 0x7E) return false;
  }
  return false;
}

// A CP/M library: its directory's first entry, status 0 and a name of
// eleven blanks.
bool is_lbr(std::string_view head) {
  return head.size() >= 32 && head[0] == '\0' && head.substr(1, 11) == "           ";
}

// Text: no byte below 0x20 but TAB, CR, LF, FF and Ctrl-Z (CP437's letters
// and lines above 0x7F count as text).
bool is_text(std::string_view head) {
  for (unsigned char c : head)
    if (c < 0x20 && c != '\t' && c != '\r' && c != '\n' && c != '\f' && c != 0x1A) return false;
  return true;
}

}  // namespace

ArchiveKind archive_kind(std::string_view head) {
  if (head.empty()) return ArchiveKind::Empty;
  for (const Signature& s : kSignatures)
    if (holds_at(head, s.at, s.bytes)) return s.kind;
  if (is_lha(head)) return ArchiveKind::Lha;
  if (is_zoo(head)) return ArchiveKind::Zoo;
  if (is_arc(head)) return ArchiveKind::Arc;
  if (is_lbr(head)) return ArchiveKind::Lbr;
  return is_text(head) ? ArchiveKind::Text : ArchiveKind::Data;
}

bool kind_is_read(ArchiveKind kind) {
  return kind <= ArchiveKind::Tar;
}

bool kind_is_archive(ArchiveKind kind) {
  return kind < ArchiveKind::Program;
}

std::string_view kind_words(ArchiveKind kind) {
  switch (kind) {
    case ArchiveKind::Zip:
      return "a ZIP archive";
    case ArchiveKind::SevenZip:
      return "a 7-Zip archive";
    case ArchiveKind::Rar:
      return "a RAR archive";
    case ArchiveKind::Lha:
      return "an LHA archive";
    case ArchiveKind::Cab:
      return "a cabinet (CAB) archive";
    case ArchiveKind::Tar:
      return "a tar archive";
    case ArchiveKind::Arj:
      return "an ARJ archive";
    case ArchiveKind::Arc:
      return "an ARC archive";
    case ArchiveKind::Zoo:
      return "a ZOO archive";
    case ArchiveKind::Lbr:
      return "a CP/M library (LBR)";
    case ArchiveKind::Squeezed:
      return "a squeezed file";
    case ArchiveKind::Crunched:
      return "a crunched file";
    case ArchiveKind::Ace:
      return "an ACE archive";
    case ArchiveKind::OldRar:
      return "a RAR archive of version 1.4";
    case ArchiveKind::Gzip:
      return "a gzip-compressed file";
    case ArchiveKind::Bzip2:
      return "a bzip2-compressed file";
    case ArchiveKind::Xz:
      return "an xz-compressed file";
    case ArchiveKind::Program:
      return "a DOS or Windows program";
    case ArchiveKind::Empty:
      return "empty";
    case ArchiveKind::Text:
      return "text";
    case ArchiveKind::Data:
      break;
  }
  return "data of no archive kind";
}

}  // namespace tolv
