// The files a base names, against the directory where they lie: each
// record's file looked up in any letter case (file_directory.h), its size
// compared with the record's, and the files no record names. Only names and
// sizes are read; the records are walked in blocks, so memory grows with the
// directory, not with the base.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "companion/base.h"
#include "companion/file_directory.h"

namespace tolv {

enum class DiskFindingKind {
  Missing,      // no file of the record's name
  Ambiguous,    // two files match it in other letter cases, none exactly
  SizeDiffers,  // the file's size is not the record's
  Orphan,       // a file no record names
};

struct DiskFinding {
  DiskFindingKind kind;
  int64_t record = -1;  // -1 for an orphan
  std::string text;     // what is wrong, without the record number
};

struct DiskCheck {
  int64_t missing = 0;  // missing and ambiguous
  int64_t size_differs = 0;
  int64_t orphans = 0;
  std::string error;  // why the records could not be read; empty when they were
};

// Looks every record of `base` up in `dir` (whose files it marks as named),
// then reports the files left unnamed; each finding goes to `sink`.
DiskCheck check_files_on_disk(ReadOnlyBase& base, FileDirectory& dir,
                              const std::function<void(const DiskFinding&)>& sink);

// "1 missing, 2 sizes differ, 3 orphans": the counts as a check's summary
// says them.
std::string disk_check_counts(const DiskCheck& check);

}  // namespace tolv
