#include "tolvboard/command.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "companion/command_line.h"
#include "companion/messages.h"
#include "companion/output.h"
#include "companion/read_only_file.h"
#include "companion/text.h"
#include "tolv_version.h"
#include "tolvboard/area_list.h"
#include "tolvboard/area_run.h"
#include "tolvboard/board_check.h"
#include "tolvboard/converter.h"
#include "tolvboard/interruption.h"
#include "tolvboard/run_files.h"
#include "tolvboard/summary.h"
#include "tolvboard/undo.h"

namespace tolv {

namespace {

constexpr int kExitConverted = 0;
constexpr int kExitAreaFailed = 1;
constexpr int kColumnsElsewhere = 80;  // the table's width when no width is known
constexpr int kExitSignalBase = 128;   // a run a signal ended: 128 + its number, as a shell says

int run_board(const Arguments& arguments);

using enum BoardOption;

// --undo takes back a run; what a run is told does not apply to it (but
// --dry-run, which asks what it would do, and --wait).
constexpr OptionId kNotWithUndo[] = {Map,     Dupe, Append, Normalize, AsIs,     Describe,
                                     Orphans, Json, Width,  Areas,     Converter};
// --width sizes the table, which JSON is written instead of.
constexpr OptionId kNotWithJson[] = {Width};
// --as-is converts the listings as they stand: nothing is normalized.
constexpr OptionId kNotWithAsIs[] = {Normalize, Describe, Orphans};

constexpr Option kOptions[] = {
    {.id = Map,
     .name = "map",
     .argument = "DRIVE:=DIR",
     .help = "the directory for drive D: ('\\=DIR': for \\PATH) (repeatable)",
     .repeatable = true},
    {.id = Dupe,
     .name = "dupe",
     .help = "convert with -DUPE: files a base already holds are skipped"},
    {.id = Append,
     .name = "append",
     .help = "append to a base that already holds records (--dupe wins)"},
    {.id = Wait, .name = "wait", .help = "wait while another run uses OUTDIR, instead of exiting"},
    {.id = DryRun,
     .name = "dry-run",
     .help = "write nothing and run nothing (with --undo: say what it would do)"},
    {.id = Normalize,
     .name = "normalize",
     .help = "rewrite each listing of any layout first (the default)"},
    {.id = AsIs,
     .name = "as-is",
     .help = "convert each listing as it stands, not normalized",
     .excludes = kNotWithAsIs},
    {.id = Describe,
     .name = "describe",
     .help = "entries without text described from their archives"},
    {.id = Orphans, .name = "orphans", .help = "the files no entry names written as entries too"},
    {.id = Json,
     .name = "json",
     .help = "one JSON object per area, then one with the totals",
     .excludes = kNotWithJson},
    {.id = Width,
     .name = "width",
     .argument = "N",
     .help = "the table N columns wide (default: COLUMNS, the terminal's, 80)",
     .number = true,
     .least = kNarrowestTable,
     .most = kWidestTable},
    {.id = Areas,
     .name = "areas",
     .argument = "FILE",
     .help = "the areas from FILE instead of a DIR.LST (see below)"},
    {.id = Converter,
     .name = "converter",
     .argument = "PROGRAM",
     .help = "run PROGRAM, not the tolvconv beside this program or on PATH"},
    {.id = Undo,
     .name = "undo",
     .help = "take back the last run into OUTDIR (see below)",
     .excludes = kNotWithUndo},
};

constexpr Operands kOperands[] = {
    {{}, "DIR.LST OUTDIR", 2, 2, "needs a DIR.LST and an OUTDIR", "needs a DIR.LST and an OUTDIR"},
    {Areas, "OUTDIR", 1, 1, "--areas FILE takes one OUTDIR", "--areas FILE takes one OUTDIR"},
    {Undo, "OUTDIR", 1, 1, "--undo takes one OUTDIR", "--undo takes one OUTDIR"},
};

constexpr Command kBoard[] = {{{}, kOptions, kOperands, {}, run_board}};

constexpr Program kTolvboard{
    "tolvboard",
    "Converts every file area of a PCBoard board into a Tolvane BBS file base:\n"
    "area N's DIR listing becomes OUTDIR/NAME.{dir,des}, NAME the listing's file\n"
    "name (for a FILES.BBS or DESCRIPT.ION its directory's), each converted by\n"
    "tolvconv. A summary row per area and the totals go to standard output,\n"
    "tolvconv's own output to OUTDIR/tolvboard.log.\n",
    kBoard,
    "An area file (--areas) has one area a line: the listing's path, a TAB, a\n"
    "description, a TAB and the directory of the area's files; '#' starts a\n"
    "comment. A listing path's backslashes become '/', and a component that does\n"
    "not exist in its exact letter case is looked up in any case. A path that\n"
    "starts with '\\' and names no drive (in a DIR.LST also '/') is looked up\n"
    "only under the directory --map '\\=DIR' gives. Nothing is followed out of\n"
    "the directory a --map names.\n"
    "\n"
    "Each listing is first rewritten, as tolvbase normalize does, into\n"
    "OUTDIR/NAME.lst with its report in OUTDIR/NAME.report, and that is\n"
    "converted; --as-is converts the listings as they stand. The area's files\n"
    "(sizes and dates a listing lacks) are the DIR.LST's DskPath or the area\n"
    "file's directory, else, for a FILES.BBS or DESCRIPT.ION, the listing's own\n"
    "directory. --describe and --orphans act there as for tolvbase normalize.\n"
    "\n"
    "An area whose base already holds records is not converted (outcome exists)\n"
    "unless --dupe, which skips the files the base holds, or --append, which\n"
    "appends regardless, is given; with both, --dupe wins. One run at a time\n"
    "uses an OUTDIR: another exits with status 2, or waits with --wait.\n"
    "\n"
    "Every run journals in OUTDIR/tolvboard.wal what it does to each base before\n"
    "it does it. --undo cuts every base of the last run not yet undone back to\n"
    "its size before that run, or removes it when the run made it, where the base\n"
    "is as the run left it; any other base is named and left alone (status 1). A\n"
    "run interrupted (Ctrl-C, SIGTERM, SIGHUP, a kill, a crash) is taken back so\n"
    "too.\n"
    "\n"
    "Exit status: 0 every area converted exactly (or would be), 1 an area exists,\n"
    "is missing or failed, a listing not carried exactly (an entry not carried, a\n"
    "size that differs from its file: see its report; with --as-is a listing of\n"
    "another layout or with rule rows), 2 usage error, a DIR.LST that cannot be\n"
    "read or is not one, an area file that cannot be read, an OUTDIR another run\n"
    "uses, an OUTDIR, log or journal that cannot be made or written, 128+N a run\n"
    "ended by signal N.\n",
    "tolvboard (TOLVCONV) " TOLV_VERSION
    "\n"
    "Copyright (C) 2026 The TOLVCONV Authors\n",
};

struct Options {
  BoardSettings board;
  bool json = false;
  bool area_file = false;
  std::string list;  // the DIR.LST or the area file
};

// Takes the checked arguments into `options`; an empty string, or the usage
// error.
std::string take_arguments(const Arguments& arguments, Options& options) {
  for (std::string_view value : option_values(arguments, Map)) {
    DriveMap map;
    if (!parse_drive_map(value, map))
      return "--map '" + std::string(value) +
             "' is not DRIVE:=DIRECTORY (as C:=/srv/pcb) nor \\=DIRECTORY";
    options.board.maps.push_back(map);
  }
  options.board.dupe = has_option(arguments, Dupe);
  options.board.append = has_option(arguments, Append);
  options.board.wait = has_option(arguments, Wait);
  options.board.dry_run = has_option(arguments, DryRun);
  options.board.as_is = has_option(arguments, AsIs);
  options.board.normalize_options.describe = has_option(arguments, Describe);
  options.board.normalize_options.orphans = has_option(arguments, Orphans);
  options.json = has_option(arguments, Json);
  options.area_file = has_option(arguments, Areas);
  options.list = options.area_file ? option_value(arguments, Areas) : arguments.operands[0];
  options.board.out_dir = arguments.operands.back();
  options.board.converter = option_value(arguments, Converter);
  if (options.list.empty() || options.board.out_dir.empty()) return "an empty file name";
  return {};
}

bool read_areas(const Options& options, std::vector<Area>& areas) {
  std::string bytes, error;
  if (!read_whole_file(options.list, bytes, error)) {
    note(error);
    return false;
  }
  if (options.area_file) {
    int64_t bad_line = 0;
    areas = parse_area_file(bytes, bad_line);
    if (bad_line != 0)
      note("'" + options.list + "' line " + std::to_string(bad_line) +
           ": more than a listing, a description and a directory (fields separated by TABs)");
    return bad_line == 0;
  }
  std::string refusal;
  areas = parse_dir_list(bytes, refusal);
  if (refusal.empty()) return true;
  note(quoted(options.list) + " is not a DIR.LST: " + refusal);
  return false;
}

void start_output(Summary& summary, Output& out, const Options& options) {
  std::string error;
  summary.out = &out;
  summary.json = options.json;
  summary.dry_run = options.board.dry_run;
  summary.as_is = options.board.as_is;
  summary.utf8 = options.json || locale_is_utf8();
  if (!open_decoder(summary.cp437, summary.utf8 ? Encoding::Cp437 : Encoding::Raw, error)) {
    note(error);
    open_decoder(summary.cp437, Encoding::Latin1, error);
  }
}

// The table's width: --width, else COLUMNS or the terminal's, within the
// widths the table can take, else kColumnsElsewhere.
int table_columns(const Arguments& arguments) {
  int64_t given = option_number(arguments, Width, 0);
  if (given > 0) return static_cast<int>(given);
  int found = environment_columns();
  return found > 0 ? std::clamp(found, kNarrowestTable, kWidestTable) : kColumnsElsewhere;
}

// Where a run stopped, when a signal stopped it.
struct Stop {
  int signal = 0;
  std::string where;  // "before area 3", "during area 3 (LISTING), whose converter was ended"
};

// Converts (or previews) the areas in turn, each row written when its area
// is done; stops at an interruption.
Stop run_areas(std::vector<AreaResult>& results, BoardSettings& board, Summary& summary) {
  Stop stop;
  for (AreaResult& result : results) {
    std::string area = "area " + std::to_string(result.area->number);
    if (!board.dry_run && (stop.signal = interruption()) != 0) {
      stop.where = "before " + area;
      return stop;
    }
    if (board.dry_run)
      preview_area(result, board);
    else
      convert_area(result, board);
    print_area(summary, result);
    if ((stop.signal = result.interrupted) != 0) {
      stop.where = "during " + area + " (" + escape_controls(result.listing) +
                   "), whose converter was ended";
      return stop;
    }
  }
  return stop;
}

int run_board(const Arguments& arguments) {
  if (has_option(arguments, Undo)) return run_undo(arguments);
  Options options;
  if (std::string error = take_arguments(arguments, options); !error.empty())
    return usage_error(error);
  BoardSettings& board = options.board;
  // A converter named by --converter is the one, even for a dry run, which
  // runs none: it is checked here and no other is looked for.
  if (!board.converter.empty() && !is_executable_file(board.converter))
    return complain("--converter '" + board.converter + "' is not an executable file");
  std::vector<Area> areas;
  if (!read_areas(options, areas)) return kExitTrouble;
  if (std::string missing = missing_map_directories(board.maps); !missing.empty())
    return complain(missing + "; nothing done");
  RunFiles files;
  std::string error;
  if (!board.dry_run && !start_run(files, options.list, board, arguments, areas.size(), error)) {
    end_run(files, board);
    return complain(error);
  }
  if (std::string unmapped = unmapped_drives(areas, board.maps); !unmapped.empty()) note(unmapped);

  Output out;
  Summary summary;
  start_output(summary, out, options);
  std::vector<AreaResult> results = plan_areas(areas, board);
  start_summary(summary, results, table_columns(arguments));
  Stop stop = run_areas(results, board, summary);
  // The journal is whole whatever signal stopped the run: every area it
  // names has its outcome.
  std::string ending = std::string("interrupted by ") + signal_name(stop.signal) + " " +
                       stop.where + "; tolvboard --undo " + escape_controls(board.out_dir) +
                       " takes the run back";
  if (stop.signal == 0) print_totals(summary, results);
  if (board.log_fd >= 0)
    log_text(board,
             "== " + (stop.signal != 0 ? ending : totals_text(results, false, board.as_is, 0)) +
                 " ==\n");
  end_run(files, board);
  flush(out);
  if (stop.signal != 0) {
    note(ending);
    return kExitSignalBase + stop.signal;
  }
  if (!board.stopped.empty())
    return complain("the run stopped: " + board.stopped +
                    "; tolvboard --undo takes back the areas journaled before");
  bool exact = std::all_of(results.begin(), results.end(), area_is_exact);
  return finish(out, exact ? kExitConverted : kExitAreaFailed);
}

}  // namespace

const Program& tolvboard_program() {
  return kTolvboard;
}

}  // namespace tolv
