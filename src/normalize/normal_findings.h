// What the normalizer tells its caller: the kinds of finding, what each
// line was read as, the counts, and the options and sink of a run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "companion/file_directory.h"
#include "normalize/layouts.h"
#include "normalize/line_fields.h"

namespace tolv {

enum class NormalKind {
  NotCarried,      // a file entry that is not written
  Dropped,         // a line that is neither an entry, its text nor furniture
  SizeDiffers,     // the listed size is not the file's (the file's is written)
  DateDiffers,     // the listed date is not the file's (the listed one is written: a note)
  DateFromDisk,    // the listed date is impossible: the file's is written
  Missing,         // not in the directory (written from the listing)
  TextCut,         // more description than 99 lines hold
  Repeat,          // a name the directory matched before
  Orphan,          // a file in the directory that no entry names
  ConverterEntry,  // tolvconv alone would read the line as a file entry; here it is none
  EmptyArea,       // no file entry at all: an empty listing is written
  // With --describe, why an entry has no description from its file
  // (archive_description.h):
  NotArchive,     // the file is not an archive
  UnreadKind,     // an archive of a kind that is not read
  UnreadMethod,   // its description member's method is not decoded
  NoDescription,  // no description member, or one without text
  Unreadable,     // damaged, encrypted, a failed read, a limit reached
};
inline constexpr int kNormalKinds = 16;

// The stable name of a kind, as printed and in JSON: "not-carried", ...
const char* normal_kind_name(NormalKind kind);

struct NormalFinding {
  int64_t line = 0;  // 0 for an orphan and the empty area
  NormalKind kind = NormalKind::Dropped;
  std::string name;  // the file the line names, if any
  std::string message;
};

// What a line of the listing was read as, in line order.
enum class LineRole {
  Entry,        // an entry line (written, or reported as not carried)
  Description,  // a line of the entry above
  Skipped,      // furniture: blank, rule, column titles, page header
  Dropped,      // anything else (named in a finding)
};

struct NormalCounts {
  std::string layout;
  int64_t support = 0;
  int64_t lines = 0;
  int64_t entries = 0;        // written
  int64_t continuations = 0;  // lines of description joined into an entry
  int64_t skipped = 0;        // furniture
  int64_t dropped = 0;        // each named in a finding
  int64_t not_carried = 0;    // entries
  int64_t disagree = 0;       // sizes or dates that differ from the file's
  int64_t orphans = 0;
  // Of the entries written: described from their archives (--describe),
  // and made from files no entry names (--orphans; those not written are
  // among not_carried).
  int64_t described = 0;
  int64_t orphans_written = 0;
  bool describing = false, writing_orphans = false;  // the options, for the summary
  int64_t by_kind[kNormalKinds] = {};
};

inline constexpr size_t kDefaultWidth = 45;
inline constexpr size_t kMinWidth = 10;
inline constexpr size_t kMaxWidth = 50;

struct NormalizeOptions {
  const LayoutInfo* layout = nullptr;  // forced; null: chosen from the votes
  size_t width = kDefaultWidth;
  bool keep_colours = false;
  FileDirectory* directory = nullptr;  // --dir
  // With a directory: an entry the listing leaves without a description
  // gets its archive's (--describe); the files it does not name are written
  // as entries after its own (--orphans).
  bool describe = false;
  bool orphans = false;
};

struct NormalSink {
  std::function<void(std::string_view)> output;       // the PCBoard lines
  std::function<void(const NormalFinding&)> finding;  // in line order, orphans last
  // May be empty. `entry` is the entry line as read, for an entry line
  // whose fields the layout reads (null otherwise, and for other roles).
  std::function<void(int64_t line, LineRole role, const EntryShape* entry)> role = {};
};

}  // namespace tolv
