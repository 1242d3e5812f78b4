#include "tolvbase/command.h"

#include "normalize/normalize.h"
#include "tolv_version.h"
#include "tolvbase/base_commands.h"
#include "tolvbase/export.h"
#include "tolvbase/export_command.h"
#include "tolvbase/normalize_command.h"
#include "tolvbase/preview_command.h"
#include "tolvbase/scan_command.h"
#include "tolvbase/truncate.h"

namespace tolv {

namespace {

using enum BaseOption;

constexpr Option kEncoding{.id = Encoding,
                           .name = "encoding",
                           .values = kEncodingNames,
                           .help = "text as CP437 decoded to UTF-8, as Latin-1, or as raw bytes"};

constexpr Option kListOptions[] = {kEncoding};
constexpr Option kCheckOptions[] = {
    {.id = Strict,
     .name = "strict",
     .help = "count doubtful records, and files as --dir finds them, as problems"},
    {.id = Dir,
     .name = "dir",
     .argument = "DIR",
     .help = "the base's files: note those missing, of another size, or not named"},
};
constexpr Option kExportOptions[] = {
    {.id = Format,
     .name = "format",
     .values = kExportFormatNames,
     .help = "a listing (the default), JSON Lines or CSV"},
    kEncoding,
    {.id = AsStored,
     .name = "as-stored",
     .help = "csv: no apostrophe before a cell that would run as a formula"},
};
constexpr Option kPreviewOptions[] = {
    {.id = Entries, .name = "entries", .help = "show every entry too"},
    {.id = Json, .name = "json", .help = "write JSON Lines"},
    kEncoding,
};

constexpr Option kNormalizeOptions[] = {
    {.id = Dir,
     .name = "dir",
     .argument = "DIR",
     .help = "the listed files: names, sizes and dates from the disk"},
    {.id = Layout,
     .name = "layout",
     .argument = "NAME",
     .help = "read the listing in this layout; 'list' names them"},
    {.id = Width,
     .name = "width",
     .argument = "N",
     .help = "description lines of at most N characters (10-50, default 45)",
     .number = true,
     .least = kMinWidth,
     .most = kMaxWidth},
    {.id = KeepColours,
     .name = "keep-colours",
     .alias = "keep-colors",
     .help = "keep colour codes in the descriptions"},
    {.id = Describe,
     .name = "describe",
     .help = "an entry without a description gets its archive's FILE_ID.DIZ"},
    {.id = Orphans,
     .name = "orphans",
     .help = "write the files of DIR that the listing does not name as entries"},
    {.id = Report,
     .name = "report",
     .argument = "FILE",
     .help = "write the report into FILE, not to standard error"},
    {.id = Json, .name = "json", .help = "write the report as JSON Lines"},
};
constexpr Option kScanOptions[] = {
    {.id = KeepColours,
     .name = "keep-colours",
     .alias = "keep-colors",
     .help = "keep colour codes in the descriptions"},
    {.id = Report,
     .name = "report",
     .argument = "FILE",
     .help = "write the report into FILE, not to standard error"},
    {.id = Json, .name = "json", .help = "write the report as JSON Lines"},
};

constexpr Option kTruncateOptions[] = {
    {.id = DryRun, .name = "dry-run", .help = "say what would be removed, and change nothing"},
};

constexpr Operands kBases[] = {{{}, "BASE...", 1, -1, "list needs at least one BASE", {}}};
constexpr Operands kCheckBases[] = {{{}, "BASE...", 1, -1, "check needs at least one BASE", {}}};
constexpr Operands kOneBase[] = {
    {{}, "BASE", 1, 1, "export takes one BASE argument", "export takes one BASE argument"}};
constexpr Operands kListing[] = {{{},
                                  "LISTING [BASE]",
                                  1,
                                  2,
                                  "preview needs a LISTING",
                                  "preview takes a LISTING and at most one BASE"}};
constexpr Operands kTruncateBase[] = {{{},
                                       "BASE RECORDS",
                                       2,
                                       2,
                                       "truncate needs a BASE and the number of RECORDS to keep",
                                       "truncate takes one BASE and one number of RECORDS"}};
constexpr Operands kNormalizeListing[] = {
    {{}, "LISTING", 0, 1, {}, "normalize takes one LISTING"}};  // none for --layout list
constexpr Operands kScanDir[] = {{{}, "DIR", 1, 1, "scan needs a DIR", "scan takes one DIR"}};

constexpr Command kCommands[] = {
    {"list", kListOptions, kBases,
     "Prints one block per record: number, name, size, date, origin, flags and\n"
     "description lines. Text is CP437 decoded to UTF-8 in a UTF-8 locale, else\n"
     "raw bytes; --encoding chooses. A base whose description file is missing\n"
     "is listed without its descriptions.\n",
     run_list},
    {"check", kCheckOptions, kCheckBases,
     "Reports each problem with its record number, and notes what the base holds\n"
     "beside its records: leftovers of an interrupted conversion, or of records\n"
     "that were lost, and doubtful records (a rule row as a name, an impossible\n"
     "date, a name twice). With --dir, each record's file is looked up in DIR in\n"
     "any letter case: a file that is missing or whose size is not the record's,\n"
     "and each file of DIR that no record names, is a note. --strict counts the\n"
     "doubts and these notes as problems. Last records that repeat earlier ones,\n"
     "names, sizes, dates and text (a listing converted twice), are a problem\n"
     "that names the truncate removing them.\n",
     run_check},
    {"export", kExportOptions, kOneBase,
     "Writes every record to standard output: --format pcboard (the default) as a\n"
     "PCBoard listing that tolvconv converts back into the same records, naming\n"
     "on standard error each record it cannot write exactly; json as JSON Lines,\n"
     "csv as CSV (RFC 4180), both with text decoded by --encoding (default cp437,\n"
     "to UTF-8). A CSV cell that a spreadsheet would run as a formula (starting\n"
     "with =, +, -, @, TAB or CR) is written after an apostrophe; --as-stored\n"
     "writes every cell exactly as stored.\n",
     run_export},
    {"preview", kPreviewOptions, kListing,
     "Reads a PCBoard listing as tolvconv would and reports every line it reads\n"
     "otherwise than a person would, by line number; with BASE also what a -DUPE\n"
     "run into it would skip (a BASE that does not exist yet: a new one), and a\n"
     "LISTING that is one of BASE's own files is a finding. LISTING - is standard\n"
     "input. --entries lists every entry, --json writes JSON Lines, --encoding\n"
     "sets how text is shown (default: CP437 decoded to UTF-8 in a UTF-8 locale\n"
     "and in JSON, else raw).\n",
     run_preview},
    {"normalize", kNormalizeOptions, kNormalizeListing,
     "Rewrites a listing of any common layout (PCBoard and its variants, Spitfire,\n"
     "RBBS, FILES.BBS, DESCRIPT.ION, list generators, Wildcat, Opus, K sizes) as a\n"
     "PCBoard listing on standard output that tolvconv reads exactly. The layout is\n"
     "chosen from every line of the listing; --layout names it when the choice is\n"
     "refused. With --dir, each name is looked up in DIR in any letter case: the\n"
     "file's size is written, the listed date (or the file's, when none is listed).\n"
     "With --describe an entry the listing leaves without a description gets the\n"
     "FILE_ID.DIZ (else DESC.SDI) of its archive (ZIP, 7-Zip, RAR, LHA, CAB, tar);\n"
     "with --orphans the files of DIR the listing does not name follow its entries,\n"
     "in name order. The report names every line not carried: 'LINE: KIND:\n"
     "message', then a summary. LISTING - is standard input. Exit status: 0 every\n"
     "entry written with the listing's own values, 1 not so, 2 as below or no\n"
     "layout recognised.\n",
     run_normalize},
    {"scan", kScanOptions, kScanDir,
     "Writes the listing of a folder that has none: every file of DIR as a PCBoard\n"
     "entry on standard output, in name order, with the disk's size and date and\n"
     "its archive's FILE_ID.DIZ (else DESC.SDI) as its description; the same as\n"
     "normalize --dir DIR --orphans --describe of an empty listing, with the same\n"
     "report and exit status.\n",
     run_scan},
    {"truncate", kTruncateOptions, kTruncateBase,
     "Keeps the first RECORDS records of the base and removes the others: the record\n"
     "file is cut to 120 * RECORDS bytes, the description file where the kept\n"
     "records' text ends; a record fragment and description bytes after the last\n"
     "text go too, and each removal is named. The base's lock is taken without\n"
     "waiting (a conversion or a reader holding it: status 2). Nothing is changed\n"
     "when a record to be removed has its text before that end (status 1).\n"
     "--dry-run names what would be removed, with the same checks and statuses.\n",
     run_truncate},
};

constexpr Program kTolvbase{
    "tolvbase",
    "Lists, verifies or exports a Tolvane BBS file base without writing it, cuts\n"
    "one back (truncate, the one command that writes), and previews a listing\n"
    "before it is converted.\n",
    kCommands,
    "BASE names the base as tolvconv's second argument does: its extension, if\n"
    "any, is dropped and .dir (the record file) and .des (the description file)\n"
    "are added, so 'tolvbase check files/*.dir' checks every base there. Records\n"
    "are numbered from 0; record N starts at byte 120 * N. '--' ends the options.\n"
    "\n"
    "Exit status: 0 done (check: the base is sound; preview: no finding), 1 check\n"
    "found a problem, export a record it could not write exactly, preview a\n"
    "finding or truncate a record it would not remove, 2 usage error or a file\n"
    "that cannot be opened, read or cut (truncate: also fewer records than\n"
    "RECORDS). With several bases, the worst of their statuses.\n",
    "tolvbase (TOLVCONV) " TOLV_VERSION
    "\n"
    "Copyright (C) 2026 The TOLVCONV Authors\n",
};

}  // namespace

const Program& tolvbase_program() {
  return kTolvbase;
}

}  // namespace tolv
