// One file area taken through the migration: planned (its listing found on
// this system, its base named), then converted by tolvconv or, for a dry
// run, previewed in process.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tolvboard/area_files.h"
#include "tolvboard/area_list.h"
#include "tolvboard/listing_path.h"
#include "tolvboard/normalize_area.h"

namespace tolv {

// Exists: the base already held records, and neither --dupe nor --append
// said what to do with them; it is left as it was.
enum class Outcome { Converted, Exists, Missing, Failed };

// "converted", "exists", "missing", "failed".
const char* outcome_name(Outcome outcome);

struct AreaResult {
  const Area* area = nullptr;
  bool planned = false;  // false: refused before any conversion, `message` says why
  std::string listing;   // the path on this system, or as spelled when there is none
  std::string base;      // OUTDIR/N-NAME; empty when refused for its name
  Outcome outcome = Outcome::Failed;
  int64_t appended = 0;   // whole records the run added (would add)
  int64_t skipped = 0;    // entries -DUPE skipped (would skip); -1 unknown
  int64_t findings = -1;  // preview findings for the listing; -1 unknown
  int exit = -1;          // tolvconv's exit status; -1 when it did not run or exit
  std::string message;    // why it is not converted

  // With --normalize: what the normalizer made of the listing.
  NormalizedArea normalized;
  // Once converted, the base against the directory of the area's files.
  AreaFiles files;
};

struct Journal;

struct BoardSettings {
  std::vector<DriveMap> maps;
  std::string out_dir;
  bool dupe = false;
  bool append = false;  // into a base that holds records already, without -DUPE
  bool dry_run = false;
  std::string converter;       // the converter to run: --converter, else the tolvconv found
  int log_fd = -1;             // OUTDIR/tolvboard.log (not for a dry run)
  Journal* journal = nullptr;  // OUTDIR/tolvboard.journal (not for a dry run)

  // Each listing goes through the normalizer first, with these options
  // (--describe, --orphans).
  bool normalize = false;
  NormalizeOptions normalize_options;
};

// Finds the area's listing and names its base. An area whose DIR.LST paths
// climb out of their directory ("..") is refused.
AreaResult plan_area(const Area& area, const BoardSettings& board);

// Converts a planned area with tolvconv, its output under a header line in
// the log; an area refused by its plan, or whose base is refused (a file of
// it a symbolic link, or records in it without --dupe or --append), only
// gets its header and the reason.
void convert_area(AreaResult& result, const BoardSettings& board);

// What converting the area would do, with nothing written and nothing run.
void preview_area(AreaResult& result, const BoardSettings& board);

}  // namespace tolv
