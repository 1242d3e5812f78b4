#include "tolvboard/command.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <string>
#include <string_view>
#include <vector>

#include "companion/command_line.h"
#include "companion/messages.h"
#include "companion/output.h"
#include "companion/read_only_file.h"
#include "companion/text.h"
#include "runtime/syscall.h"
#include "tolv_version.h"
#include "tolvboard/area_list.h"
#include "tolvboard/area_run.h"
#include "tolvboard/converter.h"
#include "tolvboard/journal.h"
#include "tolvboard/outdir_lock.h"
#include "tolvboard/run_stamp.h"
#include "tolvboard/summary.h"
#include "tolvboard/undo.h"

namespace tolv {

namespace {

constexpr int kExitConverted = 0;
constexpr int kExitAreaFailed = 1;
constexpr const char* kLogName = "tolvboard.log";
constexpr int kColumnsElsewhere = 80;  // the table's width when output is not a terminal

int run_board(const Arguments& arguments);

using enum BoardOption;

// --undo takes back a run; what a run is told does not apply to it.
constexpr OptionId kNotWithUndo[] = {Map,  Dupe,     Append,  DryRun, Normalize,
                                     Json, Describe, Orphans, Areas,  Converter};

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
     .help = "write nothing and run nothing: report what would be appended"},
    {.id = Normalize,
     .name = "normalize",
     .help = "rewrite each listing of any layout first (tolvbase normalize)"},
    {.id = Describe,
     .name = "describe",
     .help = "--normalize, entries without text described from their archives"},
    {.id = Orphans,
     .name = "orphans",
     .help = "--normalize, the files no entry names written as entries too"},
    {.id = Json, .name = "json", .help = "one JSON object per area, then one with the totals"},
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
    "area N's DIR listing becomes OUTDIR/N-NAME.{dir,des}, NAME the listing's\n"
    "file name, each converted by tolvconv. A summary row per area and the\n"
    "totals go to standard output, tolvconv's own output to OUTDIR/tolvboard.log.\n",
    kBoard,
    "An area file (--areas) has one area a line: the listing's path, a TAB, a\n"
    "description, a TAB and the directory of the area's files; '#' starts a\n"
    "comment. A listing path's backslashes become '/', and a component that does\n"
    "not exist in its exact letter case is looked up in any case. A path that\n"
    "starts with '\\' and names no drive (in a DIR.LST also '/') is looked up\n"
    "only under the directory --map '\\=DIR' gives.\n"
    "\n"
    "An area whose base already holds records is not converted (outcome exists)\n"
    "unless --dupe, which skips the files the base holds, or --append, which\n"
    "appends regardless, is given; with both, --dupe wins. One run at a time\n"
    "uses an OUTDIR: another exits with status 2, or waits with --wait.\n"
    "\n"
    "With --normalize each listing is rewritten first, as tolvbase normalize\n"
    "does, into OUTDIR/N-NAME.lst with its report in OUTDIR/N-NAME.report, and\n"
    "that is converted. The area's files (sizes and dates a listing lacks) are\n"
    "the DIR.LST's DskPath or the area file's directory, else, for a FILES.BBS\n"
    "or DESCRIPT.ION, the listing's own directory. --describe and --orphans\n"
    "(which imply --normalize) act there as for tolvbase normalize.\n"
    "\n"
    "Every run appends to OUTDIR/tolvboard.journal what it did to each base.\n"
    "--undo cuts every base of the last run not yet undone back to its size\n"
    "before that run, or removes it when the run made it, where the base is\n"
    "still as the run left it; any other base is named and left alone (status 1).\n"
    "\n"
    "Exit status: 0 every area converted (or would be), 1 an area exists, is\n"
    "missing or failed, or with --normalize a listing not carried exactly (an\n"
    "entry not carried, a size or date that differs from its file: see its\n"
    "report), 2 usage error, a DIR.LST that cannot be read or is not one, an\n"
    "area file that cannot be read, an OUTDIR another run uses, or an OUTDIR,\n"
    "log or journal that cannot be made.\n",
    "tolvboard (TOLVCONV) " TOLV_VERSION
    "\n"
    "Copyright (C) 2026 The TOLVCONV Authors\n",
};

struct Options {
  BoardSettings board;
  bool json = false;
  bool area_file = false;
  bool wait = false;  // for another run's lock on OUTDIR
  std::string list;   // the DIR.LST or the area file
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
  options.wait = has_option(arguments, Wait);
  options.board.dry_run = has_option(arguments, DryRun);
  options.board.normalize_options.describe = has_option(arguments, Describe);
  options.board.normalize_options.orphans = has_option(arguments, Orphans);
  options.board.normalize = has_option(arguments, Normalize) ||
                            options.board.normalize_options.describe ||
                            options.board.normalize_options.orphans;
  options.json = has_option(arguments, Json);
  options.area_file = has_option(arguments, Areas);
  options.list = options.area_file ? option_value(arguments, Areas) : arguments.operands[0];
  options.board.out_dir = arguments.operands.back();
  options.board.converter = option_value(arguments, Converter);
  if (options.list.empty() || options.board.out_dir.empty()) return "an empty file name";
  return {};
}

// Makes OUTDIR when it is missing (its parent must exist), takes its lock
// and opens the log for appending; false, with `error` saying why, when one
// of them fails.
bool open_out_dir(const Options& options, BoardSettings& board, OutdirLock& lock,
                  const RunStamp& run, std::string& error) {
  const std::string& dir = board.out_dir;
  if (sys_mkdir(dir.c_str(), 0777) < 0 && system_error != EEXIST) {
    error = cannot("make", dir, system_error);
    return false;
  }
  struct stat st;
  if (sys_stat(dir.c_str(), &st) < 0 || !S_ISDIR(st.st_mode)) {
    error = "'" + dir + "' is not a directory";
    return false;
  }
  if (!take_outdir_lock(lock, dir, holder_text(run), options.wait, error)) return false;
  // Read as well: the run-time error message of a conversion is read back.
  board.log_fd = open_own_file(dir + "/" + kLogName, O_RDWR | O_APPEND | O_CREAT, error);
  return board.log_fd >= 0;
}

void log_text(const BoardSettings& board, const std::string& text) {
  Output log;
  log.fd = board.log_fd;
  put(log, text);
  flush(log);
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

  std::string error;
  Journal journal;
  OutdirLock lock;
  if (!board.dry_run) {
    RunStamp run = stamp_this_run(arguments.words);
    if ((board.converter.empty() && !find_converter(board.converter, error)) ||
        !open_out_dir(options, board, lock, run, error) ||
        !open_journal(journal, board.out_dir, arguments, error))
      return complain(error);
    board.journal = &journal;
    log_text(board, "== " + run.started + ": " + run.command + " ==\n== tolvboard: " +
                        escape_controls(options.list) + " into " + escape_controls(board.out_dir) +
                        ", by " + escape_controls(board.converter) + " ==\n");
  }

  Output out;
  Summary summary;
  summary.out = &out;
  summary.json = options.json;
  summary.dry_run = board.dry_run;
  summary.normalize = board.normalize;
  summary.utf8 = options.json || locale_is_utf8();
  if (!open_decoder(summary.cp437, summary.utf8 ? Encoding::Cp437 : Encoding::Raw, error)) {
    note(error);
    open_decoder(summary.cp437, Encoding::Latin1, error);
  }

  std::vector<AreaResult> results;
  for (const Area& area : areas) results.push_back(plan_area(area, board));
  int columns = terminal_columns();
  start_summary(summary, results, columns > 0 ? columns : kColumnsElsewhere);
  bool all_converted = true;
  for (AreaResult& result : results) {
    if (board.dry_run)
      preview_area(result, board);
    else
      convert_area(result, board);
    print_area(summary, result);
    // As tolvbase normalize exits 1, so does a run that did not carry a
    // listing exactly.
    all_converted = all_converted && result.outcome == Outcome::Converted &&
                    (!board.normalize || result.normalized.exact);
  }
  print_totals(summary, results);
  if (board.log_fd >= 0) {
    log_text(board, "== " + totals_text(results, false, board.normalize, 0) + " ==\n");
    sys_close(board.log_fd);
  }
  close_journal(journal);
  release_outdir_lock(lock);
  if (!journal.failed.empty()) {
    flush(out);
    return complain(journal.failed + ": --undo cannot take back the areas converted since");
  }
  return finish(out, all_converted ? kExitConverted : kExitAreaFailed);
}

}  // namespace

const Program& tolvboard_program() {
  return kTolvboard;
}

}  // namespace tolv
