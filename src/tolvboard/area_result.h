// What became of one file area in a board's run, and the settings every
// area of the run shares.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "companion/output_file.h"
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
  std::string tree;      // the --map directory the listing lies under; empty: none
  std::string base;      // OUTDIR/NAME; empty when refused for its name
  Outcome outcome = Outcome::Failed;
  int64_t appended = 0;   // whole records the run added (would add)
  int64_t skipped = 0;    // entries -DUPE skipped (would skip); -1 unknown
  int64_t findings = -1;  // preview findings for the listing; -1 unknown
  int exit = -1;          // tolvconv's exit status; -1 when it did not run or exit
  std::string message;    // why it is not converted
  int64_t others = 0;     // records another program wrote into the base meanwhile
  int interrupted = 0;    // the signal that stopped the run in this area

  NormalizedArea normalized;  // what the normalizer made of the listing
  AsIsArea as_is;             // with --as-is: what converting it as it stands loses
  AreaFiles files;            // once converted, the base against the area's files
};

struct Journal;

// The listing the journal says made a base.
struct BaseMaker {
  std::string listing;  // as found
  std::string spelled;  // as the area list spelled it
};

struct BoardSettings {
  std::vector<DriveMap> maps;
  std::string out_dir;
  bool dupe = false;
  bool append = false;  // into a base that holds records already, without -DUPE
  bool wait = false;    // for another run's lock on OUTDIR, or a program's on a base
  bool dry_run = false;
  bool as_is = false;                  // convert each listing as it stands, not normalized
  NormalizeOptions normalize_options;  // passed on to the normalizer (--describe, --orphans)
  std::string converter;               // the converter to run: --converter, else the tolvconv found
  int log_fd = -1;                     // OUTDIR/tolvboard.log (not for a dry run)
  Journal* journal = nullptr;          // OUTDIR/tolvboard.wal (not for a dry run)
  KeptFiles kept;                      // what no output of the run may be
  std::map<std::string, BaseMaker> makers;  // by base name, from the journal
  std::string stopped;  // why the run converts no more (its journal cannot be written)
};

// Whether the area counts as done well: converted, and its listing carried
// exactly (normalized, or clean PCBoard with --as-is), by the run alone.
bool area_is_exact(const AreaResult& result);

}  // namespace tolv
