// --normalize: an area's listing is first rewritten by the normalizer that
// `tolvbase normalize` runs, its layout recognised for that area alone, and
// tolvconv converts what it wrote, OUTDIR/N-NAME.lst, with the report beside
// it in OUTDIR/N-NAME.report (N-NAME as the base's files are named).
//
// The area's files give the sizes and dates a listing lacks and are checked
// against those it gives. They are the directory the area list names (the
// DIR.LST's DskPath, or an area file's third field), found as a listing is;
// else, for a listing read as FILES.BBS, a Wildcat import list or a
// DESCRIPT.ION (which give no size and lie among the files they describe),
// the listing's own directory; else there are none. With them, --describe
// and --orphans act as for tolvbase normalize.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "normalize/normalize.h"
#include "normalize/preview.h"
#include "tolvboard/area_list.h"
#include "tolvboard/listing_path.h"

namespace tolv {

struct NormalizedArea {
  bool done = false;     // the listing was normalized: the counts below hold
  bool missing = false;  // not done because the listing is not there
  std::string message;   // why it was not done
  std::string layout;
  int64_t not_carried = 0;       // entries not written
  int64_t dropped = 0;           // lines that are neither an entry nor its text
  bool exact = false;            // normalize's status 0: every entry written as listed
  std::string listing;           // OUTDIR/N-NAME.lst (a dry run writes none)
  std::string report;            // OUTDIR/N-NAME.report
  std::string files;             // the directory of the area's files; empty: none
  int64_t described = -1;        // entries described from archives; -1 not asked or no files
  int64_t orphans_written = -1;  // files no entry names written as entries; -1 likewise
};

// Normalizes the area's listing, found at `listing`, into the .lst and the
// .report beside `base` (OUTDIR/N-NAME as tolvconv is given it). Not done,
// with the message set, when the area cannot be converted: its listing is
// missing or cannot be read, no layout is recognised, the directory of its
// files is missing or not one, or a file cannot be written. `passed` holds
// the options the run passes on (describe, orphans); its directory is the
// area's.
NormalizedArea normalize_area(const Area& area, const std::string& listing, const std::string& base,
                              const std::vector<DriveMap>& maps, const NormalizeOptions& passed);

// The same for a dry run, which writes nothing: the normalized listing is
// held in an unnamed temporary file (as a preview holds standard input) and
// previewed into `preview` as tolvconv would read it, with `names` those of
// the area's base (may be null).
NormalizedArea preview_normalized_area(const Area& area, const std::string& listing,
                                       const std::string& base, const std::vector<DriveMap>& maps,
                                       const NormalizeOptions& passed, NameIndex* names,
                                       PreviewResult& preview);

}  // namespace tolv
