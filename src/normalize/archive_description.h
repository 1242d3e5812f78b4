// The description an upload carries inside itself: the FILE_ID.DIZ (else
// the DESC.SDI) at an archive's top level, in any letter case, read with
// libarchive for an entry the listing leaves without a word.
//
// Nothing is extracted: only the description member's bytes are read, into
// memory, at most kMaxMemberBytes of them. The file is opened as every input
// of the companions is (read_only_file.h: a regular file, without blocking)
// and libarchive reads it only through callbacks that make their calls
// through the system-call layer. The work one file can cause is bounded, so
// a damaged, hostile or endless archive gives a finding and the caller goes
// on to the next file: at most kMaxArchiveBytes read from it, kMaxMembers
// headers looked at, and kMaxPassedBytes decompressed from the members that
// come before its description in a solid block (where passing over a member
// means decompressing it). Memory holds one read block and the member.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tolv {

inline constexpr size_t kMaxMemberBytes = 64 * 1024;
inline constexpr int64_t kMaxArchiveBytes = int64_t{64} << 20;
inline constexpr int64_t kMaxMembers = 50'000;
inline constexpr int64_t kMaxPassedBytes = int64_t{128} << 20;

enum class ArchiveOutcome {
  Described,      // lines from its description member
  NotArchive,     // its first bytes say text, a program, nothing, ...
  UnreadKind,     // an archive of a kind that is not read (ARJ, ARC, ...)
  UnreadMethod,   // the member is stored with a method that is not decoded
  NoDescription,  // no description member at the top level, or one without text
  Unreadable,     // damaged, truncated, encrypted, a failed read, a limit reached
};

struct ArchiveDescription {
  ArchiveOutcome outcome = ArchiveOutcome::NoDescription;
  std::vector<std::string> lines;  // Described: one or more (member_text.h)
  bool cut = false;                // lines with text left out past max_lines
  bool larger = false;             // Described from the first kMaxMemberBytes only
  // Why there is no description; for `larger`, what was left unread. One
  // line that names the file.
  std::string message;
};

// The description of the file `name` in `directory`, as at most `max_lines`
// lines (colour codes kept with keep_colours).
ArchiveDescription describe_archive(const std::string& directory, const std::string& name,
                                    bool keep_colours, size_t max_lines);

}  // namespace tolv
