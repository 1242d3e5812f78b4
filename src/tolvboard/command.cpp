#include "tolvboard/command.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/syscall.h"
#include "tolv_version.h"
#include "tolvbase/output.h"
#include "tolvboard/area_list.h"
#include "tolvboard/area_run.h"
#include "tolvboard/converter.h"
#include "tolvboard/summary.h"

namespace tolv {

namespace {

constexpr int kExitConverted = 0;
constexpr int kExitAreaFailed = 1;
constexpr const char* kLogName = "tolvboard.log";

constexpr std::string_view kUsage =
    "Usage: tolvboard [--map DRIVE:=DIR]... [--dupe] [--dry-run] [--json]\n"
    "                 [--converter PROGRAM] DIR.LST OUTDIR\n"
    "       tolvboard [options] --areas FILE OUTDIR\n";

constexpr std::string_view kHelp =
    "Converts every file area of a PCBoard board into a Tolvane BBS file base:\n"
    "area N's DIR listing becomes OUTDIR/N-NAME.{dir,des}, NAME the listing's\n"
    "file name, each converted by tolvconv. A summary row per area and the\n"
    "totals go to standard output, tolvconv's own output to OUTDIR/tolvboard.log.\n"
    "\n"
    "  --map D:=DIR  the directory that stands for DOS drive D: (repeatable)\n"
    "  --areas FILE  take the areas from FILE instead of a DIR.LST: one a line,\n"
    "                the listing's path, a TAB and a description; '#' comments\n"
    "  --dupe        convert with -DUPE: files a base already holds are skipped,\n"
    "                so a second run appends nothing\n"
    "  --dry-run     write nothing and run nothing: report what a conversion\n"
    "                would append, from a preview of each listing\n"
    "  --json        one JSON object per area, then one with the totals\n"
    "  --converter PROGRAM\n"
    "                run PROGRAM to convert each area instead of the tolvconv\n"
    "                beside this program (else on PATH); no other is tried\n"
    "  -h, --help    show this help and exit\n"
    "  -V, --version show the version and exit\n"
    "\n"
    "A listing path's backslashes become '/', and a component that does not\n"
    "exist in its exact letter case is looked up in any case.\n"
    "\n"
    "Exit status: 0 every area converted (or would be), 1 an area missing or\n"
    "failed, 2 usage error, or a DIR.LST, OUTDIR or log that cannot be read or\n"
    "made.\n";

constexpr std::string_view kVersion = "tolvboard (TOLVCONV) " TOLV_VERSION
                                      "\n"
                                      "Copyright (C) 2026 The TOLVCONV Authors\n";

struct Options {
  BoardSettings board;
  bool json = false;
  bool area_file = false;
  std::string list;  // the DIR.LST or the area file
};

constexpr Program kTolvboard{"tolvboard", kUsage};

int print_text(std::string_view text) {
  Output out;
  put(out, text);
  if (flush(out)) return kExitConverted;
  return complain(kTolvboard, std::string("cannot write standard output: ") + strerror(out.error));
}

// The value of an option given as "--name VALUE" or "--name=VALUE".
bool option_value(std::string_view name, int argc, char** argv, int& i, std::string& value) {
  std::string_view arg = argv[i];
  if (arg.size() > name.size() && arg.starts_with(name) && arg[name.size()] == '=') {
    value = arg.substr(name.size() + 1);
    return true;
  }
  if (arg != name || i + 1 >= argc) return false;
  value = argv[++i];
  return true;
}

// Parses the arguments; an empty string on success, else the usage error.
std::string parse_options(int argc, char** argv, Options& options) {
  std::vector<std::string> operands;
  bool options_end = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    std::string value;
    if (options_end || arg == "-" || !arg.starts_with("-")) {
      operands.emplace_back(arg);
    } else if (arg == "--") {
      options_end = true;
    } else if (arg == "--dupe") {
      options.board.dupe = true;
    } else if (arg == "--dry-run") {
      options.board.dry_run = true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--map" || arg.starts_with("--map=")) {
      DriveMap map;
      if (!option_value("--map", argc, argv, i, value)) return "--map needs DRIVE:=DIRECTORY";
      if (!parse_drive_map(value, map))
        return "--map '" + value + "' is not DRIVE:=DIRECTORY (as C:=/srv/pcb)";
      options.board.maps.push_back(map);
    } else if (arg == "--converter" || arg.starts_with("--converter=")) {
      if (!option_value("--converter", argc, argv, i, value) || value.empty())
        return "--converter needs a PROGRAM";
      options.board.converter = value;
    } else if (arg == "--areas" || arg.starts_with("--areas=")) {
      if (!option_value("--areas", argc, argv, i, value)) return "--areas needs a FILE";
      options.list = value;
      options.area_file = true;
    } else {
      return "unknown option '" + std::string(arg) + "'";
    }
  }
  size_t wanted = options.area_file ? 1 : 2;
  if (operands.size() != wanted)
    return options.area_file ? "--areas FILE takes one OUTDIR" : "needs a DIR.LST and an OUTDIR";
  if (!options.area_file) options.list = operands[0];
  options.board.out_dir = operands.back();
  if (options.list.empty() || options.board.out_dir.empty()) return "an empty file name";
  return {};
}

// Makes OUTDIR when it is missing (its parent must exist) and opens the log
// for appending; false, with `error` saying why, when either fails.
bool open_log(BoardSettings& board, std::string& error) {
  const std::string& dir = board.out_dir;
  if (sys_mkdir(dir.c_str(), 0777) < 0 && system_error != EEXIST) {
    error = "cannot make '" + dir + "': " + strerror(system_error);
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
    error = "cannot open '" + log + "': " + strerror(system_error);
    return false;
  }
  return true;
}

// The terminal's width when standard output is one, else 0.
int terminal_columns() {
  struct winsize ws {};
  if (sys_get_winsize(1, &ws) < 0) return 0;
  return ws.ws_col;
}

bool read_areas(const Options& options, std::vector<Area>& areas) {
  std::string bytes, error;
  if (!read_whole_file(options.list, bytes, error)) {
    note(kTolvboard, error);
    return false;
  }
  if (options.area_file) {
    areas = parse_area_file(bytes);
    return true;
  }
  size_t short_tail = 0;
  areas = parse_dir_list(bytes, short_tail);
  if (short_tail != 0)
    note(kTolvboard, "'" + options.list + "' ends in a short record of " +
                         std::to_string(short_tail) + " bytes (a record has " +
                         std::to_string(kDirListRecordSize) + "); it is ignored");
  return true;
}

}  // namespace

int tolvboard_main(int argc, char** argv) {
  for (int i = 1; i < argc && std::string_view(argv[i]) != "--"; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h")
      return print_text(std::string(kUsage) + "\n" + std::string(kHelp));
    if (arg == "--version" || arg == "-V") return print_text(kVersion);
  }
  Options options;
  if (std::string error = parse_options(argc, argv, options); !error.empty())
    return usage_error(kTolvboard, error);
  BoardSettings& board = options.board;
  // A converter named by --converter is the one, even for a dry run, which
  // runs none: it is checked here and no other is looked for.
  if (!board.converter.empty() && !is_executable_file(board.converter))
    return complain(kTolvboard, "--converter '" + board.converter + "' is not an executable file");
  std::vector<Area> areas;
  if (!read_areas(options, areas)) return kExitTrouble;

  std::string error;
  if (!board.dry_run) {
    if ((board.converter.empty() && !find_converter(board.converter, error)) ||
        !open_log(board, error))
      return complain(kTolvboard, error);
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
  summary.decode = options.json || locale_is_utf8();
  if (summary.decode && !open_decoder(summary.cp437, Encoding::Cp437, error)) {
    note(kTolvboard, error);
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
    all_converted = all_converted && result.outcome == Outcome::Converted;
  }
  print_totals(summary, results);
  if (board.log_fd >= 0) sys_close(board.log_fd);
  if (out.failed)
    return complain(kTolvboard,
                    std::string("cannot write standard output: ") + strerror(out.error));
  return all_converted ? kExitConverted : kExitAreaFailed;
}

}  // namespace tolv
