// Cutting a file base back: the one place where a companion writes a base.
//
// A base is cut only through its own two files: both are opened for reading
// and writing, never created, and a symbolic link in their place is
// refused. Then the base's lock is taken as tolvconv takes it, an exclusive
// flock on the description file, but without waiting: a base that a
// conversion holds (or a tolvbase reading it) is refused, since the base
// the caller examined is not the one the conversion leaves behind. A file
// system that cannot lock refuses the cut (file_lock.h). A removal is on
// the disk before the call returns; cuts once sync_cut_base returns.
//
// tolvconv appends an entry's description lines before its record, so a
// record never points past the description file. A cut keeps that true
// when it is interrupted: the record file is cut (or removed) first, and a
// cut stopped between the two files leaves only description bytes that no
// record points at, which the check notes and the next conversion leaves
// in place. A file is never made longer by a cut.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "companion/base.h"
#include "filebase/base_path.h"

namespace tolv {

// What is at one path of a base, as the file system says.
struct FileState {
  bool exists = false;  // something is there
  int64_t size = -1;    // bytes of a regular file; -1 when not one or unknown
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t mtime_ns = 0;  // last modification, in nanoseconds since 1970
};

struct BaseFiles {
  FileState records;
  FileState descriptions;
};

// The state of the base's two files, links not followed. A path that
// cannot be examined for another reason than its absence counts as there,
// of unknown size.
BaseFiles base_files(std::string_view argument);

enum class BaseFile { Records, Descriptions };

struct CutBase {
  BasePaths paths;
  // Both files as the readers see them (record_cursor, read_exactly), but
  // open for writing too.
  ReadOnlyBase files;
  BaseFiles opened;   // their state once locked
  std::string error;  // why the last step failed
};

enum class CutOpen { Opened, Busy, Failed };

// Whether a base may be opened without its record file: one whose removal
// was cut short after that file went.
enum class Gone { Nothing, RecordFileMayBe };

// Opens the base named by `argument` to cut it and takes its lock. Busy: a
// conversion or a reader holds the lock; Failed: `error` says why. Nothing
// stays open unless it is Opened. A record file that is gone, where `gone`
// allows it, is opened as an empty one that remove_file takes as removed.
CutOpen open_base_to_cut(CutBase& base, std::string_view argument, Gone gone = Gone::Nothing);

// True when both files are still the size and the files they were at the
// open; else `error` names the one that is not.
bool still_as_opened(CutBase& base);

// Cuts one file to `length` bytes, which must not exceed its size at the
// open; false, with `error`, when the cut fails or would lengthen it.
bool cut_file(CutBase& base, BaseFile file, int64_t length);

// Removes one file's name, when the path still names the file opened.
bool remove_file(CutBase& base, BaseFile file);

// Puts both files, as cut, on the disk; false, with `error`.
bool sync_cut_base(CutBase& base);

// Cuts the record file, then the description file.
bool cut_base(CutBase& base, int64_t record_bytes, int64_t description_bytes);

void close_cut_base(CutBase& base);

}  // namespace tolv
