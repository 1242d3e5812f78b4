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
// the listing's own directory; else there are none.
#pragma once

#include <cstdint>
#include <string>

#include "companion/preview.h"

namespace tolv {

struct AreaResult;
struct BoardSettings;

struct NormalizedArea {
  bool done = false;  // the listing was normalized: the fields below hold
  std::string layout;
  int64_t not_carried = 0;  // entries not written
  int64_t dropped = 0;      // lines that are neither an entry nor its text
  bool exact = false;       // normalize's status 0: every entry written as listed
  std::string listing;      // OUTDIR/N-NAME.lst (a dry run writes none)
  std::string report;       // OUTDIR/N-NAME.report
  std::string files;        // the directory of the area's files; empty: none
};

// Normalizes a planned area's listing into its .lst and .report. False,
// with the outcome and the message set, when the area cannot be converted:
// its listing is missing or cannot be read, no layout is recognised, the
// directory of its files is missing or not one, or a file cannot be written.
bool normalize_area(AreaResult& result, const BoardSettings& board);

// The same for a dry run, which writes nothing: the normalized listing is
// held in an unnamed temporary file (as a preview holds standard input) and
// previewed as tolvconv would read it, with `base` the names of the area's
// base (may be null). False as normalize_area.
bool preview_normalized_area(AreaResult& result, const BoardSettings& board, NameIndex* base,
                             PreviewResult& preview);

}  // namespace tolv
