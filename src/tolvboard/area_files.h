// An area's base against the directory of its files, once it is converted:
// the same check as `tolvbase check --dir`. The sysop sees the counts in the
// summary and every finding in the log.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "companion/file_directory.h"
#include "tolvboard/area_list.h"
#include "tolvboard/listing_path.h"

namespace tolv {

// The directory the area list names for the area's files (a DIR.LST's
// DskPath, its drive mapped and its components found in any letter case,
// or an area file's third field) into `dir`, empty when it names none.
// False, with `error`, when the one it names cannot be mapped, does not
// exist, is not a directory, or lies out of the tree its --map names.
bool listed_files_directory(const Area& area, const std::vector<DriveMap>& maps, std::string& dir,
                            std::string& error);

struct AreaFiles {
  bool checked = false;   // false: no directory, or it could not be read (`error`)
  std::string directory;  // where the files were looked for
  int64_t missing = 0;    // records whose file is not there (or matches two)
  int64_t sizes_differ = 0;
  int64_t orphans = 0;  // files there that no record names
  // Entries of the listing whose file is not there, whether or not they
  // became records (a normalizer does not carry one it has no size for).
  int64_t listed_missing = 0;
  std::string error;
};

// Checks the base `base` (as tolvconv's second argument names it) against
// `directory`, as read before the conversion (without the area's listing,
// which is no orphan). Each finding is written to `log_fd` (when >= 0),
// one line each.
AreaFiles check_area_files(const std::string& base, FileDirectory& directory, int log_fd);

}  // namespace tolv
