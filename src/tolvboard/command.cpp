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
#include "tolvboard/summary.h"
#include "tolvboard/undo.h"

namespace tolv {

namespace {

constexpr int kExitConverted = 0;
constexpr int kExitAreaFailed = 1;
constexpr const char* kLogName = "tolvboard.log";

int run_board(const Arguments& arguments);

constexpr Option kOptions[] = {
    {"map", 0, "DRIVE:=DIR", {}, "the directory that stands for DOS drive D: (repeatable)", true},
    {"dupe", 0, {}, {}, "convert with -DUPE: files a base already holds are skipped"},
    {"dry-run", 0, {}, {}, "write nothing and run nothing: report what would be appended"},
    {"normalize", 0, {}, {}, "rewrite each listing of any layout first (tolvbase normalize)"},
    {"json", 0, {}, {}, "one JSON object per area, then one with the totals"},
    {"areas", 0, "FILE", {}, "the areas from FILE instead of a DIR.LST (see below)"},
    {"converter", 0, "PROGRAM", {}, "run PROGRAM, not the tolvconv beside this program or on PATH"},
    {"undo", 0, {}, {}, "take back the last run into OUTDIR (see below)"},
};

constexpr Operands kOperands[] = {
    {{}, "DIR.LST OUTDIR", 2, 2, "needs a DIR.LST and an OUTDIR", "needs a DIR.LST and an OUTDIR"},
    {"areas", "OUTDIR", 1, 1, "--areas FILE takes one OUTDIR", "--areas FILE takes one OUTDIR"},
    {"undo", "OUTDIR", 1, 1, "--undo takes one OUTDIR", "--undo takes one OUTDIR"},
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
    "not exist in its exact letter case is looked up in any case.\n"
    "\n"
    "With --normalize each listing is rewritten first, as tolvbase normalize\n"
    "does, into OUTDIR/N-NAME.lst with its report in OUTDIR/N-NAME.report, and\n"
    "that is converted. The area's files (sizes and dates a listing lacks) are\n"
    "the DIR.LST's DskPath or the area file's directory, else, for a FILES.BBS\n"
    "or DESCRIPT.ION, the listing's own directory.\n"
    "\n"
    "Every run appends to OUTDIR/tolvboard.journal what it did to each base.\n"
    "--undo cuts every base of the last run not yet undone back to its size\n"
    "before that run, or removes it when the run made it, where the base is\n"
    "still as the run left it; any other base is named and left alone (status 1).\n"
    "\n"
    "Exit status: 0 every area converted (or would be), 1 an area missing or\n"
    "failed, or with --normalize a listing not carried exactly (an entry not\n"
    "carried, a size or date that differs from its file: see its report), 2\n"
    "usage error, or a DIR.LST, area file, OUTDIR, log or journal that cannot be\n"
    "read or made.\n",
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
  for (std::string_view value : option_values(arguments, "map")) {
    DriveMap map;
    if (!parse_drive_map(value, map))
      return "--map '" + std::string(value) + "' is not DRIVE:=DIRECTORY (as C:=/srv/pcb)";
    options.board.maps.push_back(map);
  }
  options.board.dupe = has_option(arguments, "dupe");
  options.board.dry_run = has_option(arguments, "dry-run");
  options.board.normalize = has_option(arguments, "normalize");
  options.json = has_option(arguments, "json");
  options.area_file = has_option(arguments, "areas");
  options.list = options.area_file ? option_value(arguments, "areas") : arguments.operands[0];
  options.board.out_dir = arguments.operands.back();
  options.board.converter = option_value(arguments, "converter");
  if (has_option(arguments, "converter") && options.board.converter.empty())
    return "--converter needs a value (PROGRAM)";
  if (options.list.empty() || options.board.out_dir.empty()) return "an empty file name";
  return {};
}

// Makes OUTDIR when it is missing (its parent must exist) and opens the log
// for appending; false, with `error` saying why, when either fails.
bool open_log(BoardSettings& board, std::string& error) {
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
  std::string log = dir + "/" + kLogName;
  // Read as well: the run-time error message of a conversion is read back.
  board.log_fd = sys_open(log.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (board.log_fd < 0) {
    error = cannot("open", log, system_error);
    return false;
  }
  return true;
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
  size_t short_tail = 0;
  areas = parse_dir_list(bytes, short_tail);
  if (short_tail != 0)
    note("'" + options.list + "' ends in a short record of " + std::to_string(short_tail) +
         " bytes (a record has " + std::to_string(kDirListRecordSize) + "); it is ignored");
  return true;
}

int run_board(const Arguments& arguments) {
  if (has_option(arguments, "undo")) return run_undo(arguments);
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
  if (!board.dry_run) {
    if ((board.converter.empty() && !find_converter(board.converter, error)) ||
        !open_log(board, error) || !open_journal(journal, board.out_dir, arguments, error))
      return complain(error);
    board.journal = &journal;
    Output log;
    log.fd = board.log_fd;
    put(log, "== tolvboard: " + options.list + " into " + board.out_dir + ", by " +
                 board.converter + " ==\n");
    flush(log);
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
  start_summary(summary, results, terminal_columns());
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
  if (board.log_fd >= 0) sys_close(board.log_fd);
  close_journal(journal);
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
