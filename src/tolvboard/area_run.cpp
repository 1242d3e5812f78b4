#include "tolvboard/area_run.h"

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <utility>

#include "companion/output.h"
#include "companion/read_only_file.h"
#include "companion/text.h"
#include "filebase/base_path.h"
#include "filebase/record.h"
#include "normalize/preview.h"
#include "runtime/syscall.h"
#include "tolvboard/base_name.h"
#include "tolvboard/conversion.h"

namespace tolv {

namespace {

// Whole records in the record file; 0 when it does not exist.
int64_t whole_records(const std::string& record_file) {
  struct stat st;
  if (sys_lstat(record_file.c_str(), &st) < 0 || !S_ISREG(st.st_mode)) return 0;
  return st.st_size / kRecordSize;
}

bool is_symbolic_link(const std::string& path) {
  struct stat st;
  return sys_lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool refuse(AreaResult& result, Outcome outcome, std::string message) {
  result.outcome = outcome;
  result.message = std::move(message);
  return false;
}

// Whether the area's base may be written (or, for a dry run, previewed):
// tolvconv would follow a file of it that is a symbolic link wherever it
// leads, would append to a base another listing made, and would append to
// records already there the listing they may well come from. Else the
// outcome and message say why not.
bool base_accepted(AreaResult& result, const BoardSettings& board) {
  BasePaths paths = derive_base_paths(result.base);
  for (const std::string& file : {paths.record_file, paths.description_file})
    if (is_symbolic_link(file))
      return refuse(result, Outcome::Failed,
                    quoted(file) + " is a symbolic link; nothing is written through it");
  int64_t records = whole_records(paths.record_file);
  std::string name = result.base.substr(result.base.rfind('/') + 1);
  auto maker = board.makers.find(name);
  if (records > 0 && maker != board.makers.end() && maker->second.listing != result.listing &&
      !equal_ignoring_case(maker->second.spelled, result.area->listing_path))
    return refuse(result, Outcome::Failed,
                  "its base " + quoted(paths.stem) + " was made from " +
                      quoted(maker->second.listing) + ", not from this area's listing " +
                      quoted(result.listing));
  if (records == 0 || board.dupe || board.append) return true;
  return refuse(result, Outcome::Exists,
                "holds " + counted(records, "record") +
                    "; --dupe skips files it holds, --append appends regardless");
}

// Writes `text` and a line end to the log; `text` is the program's own,
// with what came from the board or the disk already escaped.
void log_line(const BoardSettings& board, const std::string& text) {
  Output log;
  log.fd = board.log_fd;
  put(log, text + "\n");
  flush(log);
}

std::string header_of(const AreaResult& result) {
  return "== area " + std::to_string(result.area->number) + ": " + escape_controls(result.listing);
}

void log_refusal(const AreaResult& result, const BoardSettings& board) {
  log_line(board,
           header_of(result) + " ==\ntolvboard: not converted: " + escape_controls(result.message));
}

// Opens the area's listing, now that it is used: a regular file, inside
// the tree its --map names. False, with the outcome set.
bool open_area_listing(AreaResult& result, ReadOnlyFile& listing) {
  if (!open_read_only(listing, result.listing))
    return refuse(result, listing.missing ? Outcome::Missing : Outcome::Failed, listing.error);
  std::string error;
  if (result.tree.empty() || opened_inside(listing.fd, result.listing, result.tree, error))
    return true;
  close_read_only(listing);
  return refuse(result, Outcome::Failed, error);
}

// The area's files, as read before the conversion, against its base.
void check_files(AreaResult& result, AreaReading& reading, const BoardSettings& board) {
  if (!reading.unchecked.empty())
    log_line(board, "tolvboard: files not checked: " + escape_controls(reading.unchecked));
  if (!reading.has_directory) return;
  // The listed names the directory does not hold: the normalizer looked up
  // every entry of the listing; as it stands, the check looks up the
  // records the listing became.
  int64_t listed = reading.directory.missed;
  result.files = check_area_files(result.base, reading.directory, board.log_fd);
  result.files.listed_missing =
      reading.normalized.done ? listed : reading.directory.missed - listed;
  if (!result.files.checked)
    log_line(board, "tolvboard: files not checked: " + escape_controls(result.files.error));
}

AreaInput input_of(AreaResult& result, ReadOnlyFile& listing, BoardSettings& board,
                   NameIndex* names) {
  AreaInput input{result.area, &listing, result.base, &board.maps,
                  &board.kept, names,    board.as_is, board.dry_run};
  input.passed = &board.normalize_options;
  return input;
}

// Reads the area's listing; false, with the outcome set.
bool read_listing(AreaResult& result, AreaReading& reading, const AreaInput& input) {
  bool read = read_area(reading, input);
  result.normalized = reading.normalized;
  result.as_is = reading.as_is;
  if (!read) return refuse(result, Outcome::Failed, reading.error);
  result.findings = reading.preview.counts.findings;
  return true;
}

}  // namespace

std::vector<AreaResult> plan_areas(const std::vector<Area>& areas, BoardSettings& board) {
  std::vector<AreaResult> results(areas.size());
  std::vector<BaseSource> sources;
  std::vector<AreaResult*> named;
  for (size_t i = 0; i < areas.size(); ++i) {
    const Area& area = areas[i];
    AreaResult& result = results[i];
    result.area = &area;
    result.listing = area.listing_path;
    // A DIR.LST is the board's: its paths do not climb out of their directory.
    const std::string* climbing = !area.cp437                               ? nullptr
                                  : has_parent_component(area.listing_path) ? &area.listing_path
                                  : has_parent_component(area.disk_path)    ? &area.disk_path
                                                                            : nullptr;
    if (climbing != nullptr) {
      result.message = std::string("its ") +
                       (climbing == &area.listing_path ? "listing path " : "DskPath ") +
                       quoted_cp437(*climbing) + " has a '..' component; it is not followed";
      continue;
    }
    ListingPath path = resolve_listing_path(area.listing_path, board.maps, area.cp437);
    if (!path.resolved) {
      result.message = "its listing " + quoted_cp437(area.listing_path) + ": " + path.error;
      continue;
    }
    result.listing = path.path;
    result.tree = path.tree;
    sources.push_back({area.listing_path, path.path});
    named.push_back(&result);
  }
  std::vector<AreaBase> bases = name_bases(sources);
  std::map<std::string, const AreaResult*> first_of;  // by listing found
  for (size_t i = 0; i < named.size(); ++i) {
    AreaResult& result = *named[i];
    if (!bases[i].refusal.empty()) {
      result.message = bases[i].refusal;
      continue;
    }
    result.base = base_path(board.out_dir, bases[i].name);
    auto [first, is_first] = first_of.emplace(result.listing, &result);
    if (!is_first) {
      result.message = "it lists area " + std::to_string(first->second->area->number) +
                       "'s listing again; its base is converted once";
      continue;
    }
    result.planned = true;
    // Nothing the run writes may be a listing or a base of the board.
    BasePaths paths = derive_base_paths(result.base);
    std::string area = "area " + std::to_string(result.area->number) + "'s ";
    keep_path(board.kept, result.listing, area + "listing");
    keep_path(board.kept, paths.record_file, area + "record file");
    keep_path(board.kept, paths.description_file, area + "description file");
  }
  return results;
}

void convert_area(AreaResult& result, BoardSettings& board) {
  if (result.planned && !board.stopped.empty())
    refuse(result, Outcome::Failed, "the run stopped before it: " + board.stopped);
  if (!result.planned || !board.stopped.empty()) return log_refusal(result, board);
  ReadOnlyFile listing;
  if (!open_area_listing(result, listing)) return log_refusal(result, board);
  AreaReading reading;
  bool ready = base_accepted(result, board) &&
               read_listing(result, reading, input_of(result, listing, board, nullptr));
  if (!ready) {
    close_read_only(listing);
    return log_refusal(result, board);
  }
  // tolvconv reads what the normalizer wrote, or with --as-is the listing,
  // from the very file opened here, whatever its path names by now.
  int input = board.as_is ? listing.fd : reading.converted.fd;
  std::string header = header_of(result);
  if (!board.as_is)
    header += " as " + result.normalized.layout + ", normalized into " +
              escape_controls(result.normalized.listing);
  log_line(board,
           header + " -> " + escape_controls(result.base) + (board.dupe ? " -DUPE" : "") + " ==");
  Conversion conversion = convert_journaled(result, board, input);
  close_output(reading.converted, board.kept);
  close_read_only(listing);
  const PreviewCounts& counts = reading.preview.counts;
  result.skipped = !board.dupe ? 0
                   : conversion.ended && !reading.preview.failed
                       ? std::max<int64_t>(0, counts.entries - result.appended)
                       : -1;
  if (result.outcome == Outcome::Converted) check_files(result, reading, board);
}

void preview_area(AreaResult& result, BoardSettings& board) {
  ReadOnlyFile listing;
  if (!result.planned || !open_area_listing(result, listing)) return;
  NameIndex names;
  std::string record_file = derive_base_paths(result.base).record_file;
  bool ready = base_accepted(result, board);
  if (ready && board.dupe && whole_records(record_file) > 0) {
    ReadOnlyBase base;
    std::string error;
    ready = open_base(base, result.base, error) && load_base_names(base, names, error);
    close_base(base);
    if (!ready) refuse(result, Outcome::Failed, error);
  }
  AreaReading reading;
  ready = ready && read_listing(result, reading, input_of(result, listing, board, &names));
  close_output(reading.converted);
  close_read_only(listing);
  if (!ready) return;
  const PreviewCounts& counts = reading.preview.counts;
  result.outcome = Outcome::Converted;
  result.appended = board.dupe ? counts.appended_with_dupe : counts.entries;
  result.skipped = counts.entries - result.appended;
}

}  // namespace tolv
