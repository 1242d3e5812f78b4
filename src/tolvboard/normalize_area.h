// An area's listing read for its conversion, in one call, so that how it is
// read can change without the run changing.
//
// By default the listing is first rewritten by the normalizer that
// `tolvbase normalize` runs, its layout recognised for that area alone, and
// tolvconv converts what it wrote, OUTDIR/NAME.lst, with the report beside
// it in OUTDIR/NAME.report (NAME as the base's files are named). With
// --as-is tolvconv converts the listing as it stands, and the reading says
// what that loses: the layout the listing is really in, rule rows that
// would become records.
//
// The area's files give the sizes and dates a listing lacks and are checked
// against those it gives. They are the directory the area list names (the
// DIR.LST's DskPath, or an area file's third field), found as a listing is;
// else, for a listing read as FILES.BBS, a Wildcat import list or a
// DESCRIPT.ION (which give no size and lie among the files they describe),
// the listing's own directory; else there are none. The directory is read
// once, and the check of the base after the conversion uses that reading.
// With them, --describe and --orphans act as for tolvbase normalize.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "companion/file_directory.h"
#include "companion/output_file.h"
#include "companion/read_only_file.h"
#include "normalize/normalize.h"
#include "normalize/preview.h"
#include "tolvboard/area_list.h"
#include "tolvboard/listing_path.h"

namespace tolv {

struct NormalizedArea {
  bool done = false;    // the listing was normalized: the counts below hold
  std::string message;  // why it was not done
  std::string layout;
  int64_t not_carried = 0;       // entries not written
  int64_t dropped = 0;           // lines that are neither an entry nor its text
  int64_t dates_differ = 0;      // listed dates kept though the files' differ: a note
  int64_t described = -1;        // entries described from archives; -1 not asked or no files
  int64_t orphans_written = -1;  // files no entry names written as entries; -1 likewise
  bool exact = false;            // normalize's status 0: every entry written as listed
  std::string listing;           // OUTDIR/NAME.lst (a dry run writes none)
  std::string report;            // OUTDIR/NAME.report
  std::string files;             // the directory of the area's files; empty: none
};

// With --as-is: what converting the listing as it stands loses.
struct AsIsArea {
  bool done = false;
  std::string layout;      // the layout it reads as, when not PCBoard; empty: PCBoard
  int64_t rule_rows = 0;   // rows of dashes or titles that become records
  int64_t sizes_lost = 0;  // sizes that are no number: 0 is stored
  int64_t dates_lost = 0;  // impossible dates
  bool exact = false;      // clean PCBoard: no other layout, no rule row
};

struct AreaReading {
  NormalizedArea normalized;
  AsIsArea as_is;
  // What tolvconv reads: OUTDIR/NAME.lst (for a dry run an unnamed file),
  // open; closed with --as-is, where it reads the listing itself.
  OutputFile converted;
  // What tolvconv will make of it: counted as the normalizer writes it, or
  // with --as-is the preview of the listing itself.
  PreviewResult preview;
  bool has_directory = false;
  FileDirectory directory;  // the area's files, read once
  std::string unchecked;    // with --as-is, why they cannot be (the area converts all the same)
  std::string error;        // why the area cannot be converted
};

struct AreaInput {
  const Area* area = nullptr;
  ReadOnlyFile* listing = nullptr;  // open
  std::string base;                 // OUTDIR/NAME as tolvconv is given it
  const std::vector<DriveMap>* maps = nullptr;
  KeptFiles* kept = nullptr;   // what no output may be
  NameIndex* names = nullptr;  // the base's names, for a dry run's -DUPE count; may be null
  bool as_is = false;
  bool dry_run = false;                      // nothing written to OUTDIR
  const NormalizeOptions* passed = nullptr;  // what the run passes on (--describe, --orphans)
};

// Reads the area's listing for its conversion; false, with `error` set,
// when the area cannot be converted: its listing cannot be read, no layout
// is recognised, the directory of its files is missing or not one, or a
// file cannot be written.
bool read_area(AreaReading& reading, const AreaInput& input);

// The directory of the area's files when the area list names one, checked
// to lie inside the tree its --map names; read into `reading`. False,
// with `error`, when the one it names cannot be used.
bool read_listed_directory(AreaReading& reading, const AreaInput& input);

}  // namespace tolv
