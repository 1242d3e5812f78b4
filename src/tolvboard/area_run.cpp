#include "tolvboard/area_run.h"

#include <sys/stat.h>

#include <algorithm>
#include <utility>

#include "companion/output.h"
#include "companion/read_only_file.h"
#include "companion/text.h"
#include "filebase/base_path.h"
#include "filebase/record.h"
#include "normalize/preview.h"
#include "runtime/syscall.h"
#include "tolvboard/base_name.h"
#include "tolvboard/converter.h"
#include "tolvboard/journal.h"

namespace tolv {

namespace {

constexpr int kConverterMissing = 1;  // tolvconv's status for a listing it cannot open

// Whole records in the record file; 0 when it does not exist.
int64_t whole_records(const std::string& record_file) {
  struct stat st;
  if (sys_stat(record_file.c_str(), &st) < 0 || !S_ISREG(st.st_mode)) return 0;
  return st.st_size / kRecordSize;
}

bool exists(const std::string& path) {
  struct stat st;
  return sys_stat(path.c_str(), &st) == 0;
}

bool is_symbolic_link(const std::string& path) {
  struct stat st;
  return sys_lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// Whether the area's base may be written (or, for a dry run, previewed):
// tolvconv would follow a file of it that is a symbolic link wherever it
// leads, and would append to records already there the listing they may
// well come from. Else the outcome and message say why not.
bool base_accepted(AreaResult& result, const BoardSettings& board) {
  BasePaths paths = derive_base_paths(result.base);
  for (const std::string& file : {paths.record_file, paths.description_file}) {
    if (!is_symbolic_link(file)) continue;
    result.outcome = Outcome::Failed;
    result.message = quoted(file) + " is a symbolic link; nothing is written through it";
    return false;
  }
  int64_t records = whole_records(paths.record_file);
  if (records == 0 || board.dupe || board.append) return true;
  result.outcome = Outcome::Exists;
  result.message = "holds " + counted(records, "record") +
                   "; --dupe skips files it holds, --append appends regardless";
  return false;
}

// Writes `text` and a line end to the log; `text` is the program's own,
// with what came from the board or the disk already escaped.
void log_line(const BoardSettings& board, const std::string& text) {
  Output log;
  log.fd = board.log_fd;
  put(log, text + "\n");
  flush(log);
}

// Entries and findings of the listing, as its preview read them in
// process; false when it could not be read.
bool count_entries(AreaResult& result, const PreviewResult& preview, int64_t& entries,
                   int64_t& appended) {
  if (preview.failed) {
    result.message = preview.error;
    return false;
  }
  result.findings = preview.counts.findings;
  entries = preview.counts.entries;
  appended = preview.counts.appended_with_dupe;
  return true;
}

// Takes what the normalizer made of the area; false, with the outcome set,
// when it cannot be converted.
bool normalized(AreaResult& result, NormalizedArea normal) {
  result.normalized = std::move(normal);
  if (result.normalized.done) return true;
  result.outcome = result.normalized.missing ? Outcome::Missing : Outcome::Failed;
  result.message = result.normalized.message;
  return false;
}

// The converted base against the directory of the area's files, when the
// area has one; why it could not be checked goes to the log.
void check_files(AreaResult& result, const BoardSettings& board) {
  std::string dir = result.normalized.files, error;
  if (!board.normalize && !listed_files_directory(*result.area, board.maps, dir, error)) {
    log_line(board, "tolvboard: files not checked: " + escape_controls(error));
    return;
  }
  if (dir.empty()) return;
  result.files = check_area_files(result.base, dir, result.listing, board.log_fd);
  if (!result.files.checked)
    log_line(board, "tolvboard: files not checked: " + escape_controls(result.files.error));
}

}  // namespace

const char* outcome_name(Outcome outcome) {
  switch (outcome) {
    case Outcome::Converted:
      return "converted";
    case Outcome::Exists:
      return "exists";
    case Outcome::Missing:
      return "missing";
    case Outcome::Failed:
      break;
  }
  return "failed";
}

AreaResult plan_area(const Area& area, const BoardSettings& board) {
  AreaResult result;
  result.area = &area;
  result.listing = area.listing_path;
  AreaBase base = area_base(board.out_dir, area.number, area.listing_path);
  if (!base.refusal.empty()) {
    result.message = base.refusal;
    return result;
  }
  result.base = base.path;
  // A DIR.LST is the board's: its paths do not climb out of their directory.
  const char* climbing = !area.cp437                               ? nullptr
                         : has_parent_component(area.listing_path) ? "listing path"
                         : has_parent_component(area.disk_path)    ? "DskPath"
                                                                   : nullptr;
  if (climbing != nullptr) {
    result.message = std::string("its ") + climbing + " has a '..' component; it is not followed";
    return result;
  }
  ListingPath path = resolve_listing_path(area.listing_path, board.maps, area.cp437);
  if (!path.resolved) {
    result.message = path.error;
    return result;
  }
  result.listing = path.path;
  // Only a regular file is converted: tolvconv would read a directory as an
  // empty listing and report success, and wait on a FIFO or read /dev/zero
  // for ever. A listing that is not there is left to the run to report.
  ReadOnlyFile listing;
  if (!open_read_only(listing, result.listing) && !listing.missing) {
    result.message = listing.error;
    return result;
  }
  close_read_only(listing);
  result.planned = true;
  return result;
}

void convert_area(AreaResult& result, const BoardSettings& board) {
  std::string header =
      "== area " + std::to_string(result.area->number) + ": " + escape_controls(result.listing);
  if (!result.planned || !base_accepted(result, board)) {
    log_line(board, header + " ==\ntolvboard: not converted: " + escape_controls(result.message));
    return;
  }
  if (board.normalize &&
      !normalized(result, normalize_area(*result.area, result.listing, result.base, board.maps,
                                         board.normalize_options))) {
    log_line(board, header + " ==\ntolvboard: not converted: " + escape_controls(result.message));
    return;
  }
  // With --normalize tolvconv converts what the normalizer wrote.
  const std::string& input = board.normalize ? result.normalized.listing : result.listing;
  int64_t entries = 0, unused = 0;
  bool readable =
      count_entries(result, preview_listing(input, nullptr, PreviewSink{}, false), entries, unused);
  std::string record_file = derive_base_paths(result.base).record_file;
  int64_t before = whole_records(record_file);
  std::vector<std::string> args{input, result.base};
  if (board.dupe) args.push_back("-DUPE");
  if (board.normalize)
    header += " as " + result.normalized.layout + ", normalized into " + escape_controls(input);
  log_line(board,
           header + " -> " + escape_controls(result.base) + (board.dupe ? " -DUPE" : "") + " ==");
  BaseFiles files_before = base_files(result.base);
  ConverterRun run = run_converter(board.converter, args, board.log_fd);
  journal_area(board.journal, result.area->number, result.base, files_before);
  result.appended = std::max<int64_t>(0, whole_records(record_file) - before);
  result.exit = run.status;
  result.message = run.message;
  if (run.status == 0) {
    result.outcome = Outcome::Converted;
    result.skipped = !board.dupe ? 0
                     : readable  ? std::max<int64_t>(0, entries - result.appended)
                                 : -1;
    check_files(result, board);
  } else if (run.status == kConverterMissing) {
    result.outcome = Outcome::Missing;
    result.message = "tolvconv cannot open the listing";
  } else {
    result.outcome = Outcome::Failed;
    result.skipped = board.dupe ? -1 : 0;
    if (result.message.empty() && run.started)
      result.message = "tolvconv ended with status " + std::to_string(run.status);
  }
}

void preview_area(AreaResult& result, const BoardSettings& board) {
  if (!result.planned || !base_accepted(result, board)) return;
  NameIndex names;
  std::string record_file = derive_base_paths(result.base).record_file;
  if (board.dupe && exists(record_file)) {
    ReadOnlyBase base;
    std::string error;
    bool loaded = open_base(base, result.base, error) && load_base_names(base, names, error);
    close_base(base);
    if (!loaded) {
      result.message = error;
      return;
    }
  }
  int64_t entries = 0, with_dupe = 0;
  if (board.normalize) {
    PreviewResult preview;
    if (!normalized(result,
                    preview_normalized_area(*result.area, result.listing, result.base, board.maps,
                                            board.normalize_options, &names, preview)) ||
        !count_entries(result, preview, entries, with_dupe))
      return;
  } else if (!count_entries(result, preview_listing(result.listing, &names, PreviewSink{}, false),
                            entries, with_dupe)) {
    result.outcome = exists(result.listing) ? Outcome::Failed : Outcome::Missing;
    return;
  }
  result.outcome = Outcome::Converted;
  result.appended = board.dupe ? with_dupe : entries;
  result.skipped = entries - result.appended;
}

}  // namespace tolv
