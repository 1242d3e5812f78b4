#include "tolvboard/normalize_area.h"

#include <sys/stat.h>

#include <utility>

#include "companion/name_doubts.h"
#include "companion/text.h"
#include "filebase/base_path.h"
#include "listing/reader.h"
#include "normalize/listing_source.h"
#include "normalize/normalize.h"
#include "normalize/normalize_report.h"
#include "runtime/io_error.h"
#include "runtime/syscall.h"
#include "tolvboard/area_files.h"

namespace tolv {

namespace {

constexpr const char* kPcboard = "pcboard";

bool fail(AreaReading& reading, std::string message) {
  reading.error = std::move(message);
  return false;
}

std::string directory_of(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The listing's identity, so the directory of its files does not count it.
struct stat identity_of(const ReadOnlyFile& listing) {
  struct stat st {};
  if (sys_fstat(listing.fd, &st) != 0) st = {};
  return st;
}

bool read_directory(AreaReading& reading, const std::string& dir, const AreaInput& input) {
  struct stat listing = identity_of(*input.listing);
  std::string error;
  if (!read_file_directory(dir, reading.directory, error, listing.st_dev, listing.st_ino))
    return fail(reading, error);
  reading.has_directory = true;
  reading.normalized.files = dir;
  return true;
}

// A source over the listing tolvboard opened, from its first line; it
// stays the caller's to close.
ListingSource source_of(const ReadOnlyFile& listing) {
  ListingSource source;
  source.file = listing;
  return source;
}

bool rewind(AreaReading& reading, const ReadOnlyFile& file, const std::string& path) {
  if (sys_lseek(file.fd, 0, SEEK_SET) == 0) return true;
  return fail(reading, cannot("read", path, system_error));
}

// What tolvconv will make of the normalized listing, counted as the
// normalizer writes it, entry by entry, without reading it again: every
// entry is converted, a name the base (or an entry before it) holds is one
// a -DUPE run skips, and a name written twice is a repeat, the one finding
// a preview of a clean listing can make.
struct WrittenCounts {
  NameIndex own;  // when the caller gives no base's names
  NameIndex* names = nullptr;
  NameRepeats repeats;
  PreviewCounts counts;
};

void count_written(WrittenCounts& w, std::string_view lines) {
  std::string_view name = entry_fields(lines.substr(0, lines.find('\r'))).name;
  PreviewCounts& c = w.counts;
  ++c.entries;
  if (!index_holds_entry_name(*w.names, name)) {
    ++c.appended_with_dupe;
    FileRecord record;
    record.FileName.assign(name);
    index_note_append(*w.names, w.names->records, record);
  }
  if (note_name(w.repeats, name, c.entries).kind != Repeat::First) {
    ++c.findings;
    ++c.by_kind[static_cast<int>(Doubt::Repeat)];
  }
}

// --as-is: the listing as it stands, and what converting it so loses.
bool read_as_is(AreaReading& reading, const AreaInput& input) {
  const ReadOnlyFile& listing = *input.listing;
  ListingSource source = source_of(listing);
  reading.preview = preview_source(source, listing.path, input.names, PreviewSink{});
  if (reading.preview.failed) return fail(reading, reading.preview.error);
  // As it stands, a listing needs no files: without them only the check
  // of the base is left out.
  if (!read_listed_directory(reading, input)) {
    reading.unchecked = reading.error;
    reading.error.clear();
  }
  const PreviewCounts& counts = reading.preview.counts;
  AsIsArea& as_is = reading.as_is;
  as_is.done = true;
  if (counts.by_kind[static_cast<int>(Doubt::Layout)] > 0)
    as_is.layout = reading.preview.layout.empty() || reading.preview.layout == kPcboard
                       ? "another layout"
                       : reading.preview.layout;
  as_is.rule_rows = counts.by_kind[static_cast<int>(Doubt::Separator)];
  as_is.sizes_lost = counts.by_kind[static_cast<int>(Doubt::SizeUnreadable)];
  as_is.dates_lost = counts.by_kind[static_cast<int>(Doubt::DateImpossible)];
  as_is.exact = as_is.layout.empty() && as_is.rule_rows == 0;
  return true;
}

// Opens what the normalizer writes: OUTDIR/NAME.lst and .report, or for a
// dry run an unnamed file and no report.
bool open_outputs(AreaReading& reading, const AreaInput& input, OutputFile& report) {
  NormalizedArea& normal = reading.normalized;
  std::string stem = derive_base_paths(input.base).stem;
  normal.listing = stem + ".lst";
  normal.report = stem + ".report";
  bool opened =
      input.dry_run
          ? open_scratch_output(reading.converted, "the normalized listing")
          : open_output(reading.converted, normal.listing, OutputMode::Replace, *input.kept) &&
                open_output(report, normal.report, OutputMode::Replace, *input.kept);
  if (opened) return true;
  std::string error = !reading.converted.error.empty() ? reading.converted.error : report.error;
  close_output(reading.converted, *input.kept);
  return fail(reading, error);
}

bool read_normalized(AreaReading& reading, const AreaInput& input) {
  const ReadOnlyFile& listing = *input.listing;
  ListingSource source = source_of(listing);
  std::string error;
  LayoutChoice choice = recognize_layout(source, error);
  if (!error.empty()) return fail(reading, error);
  if (choice.model.layout == nullptr && !choice.empty) return fail(reading, choice.refusal);
  // The listing's own directory, for a layout that gives no sizes and lies
  // among its files, when the area list names none.
  if (!read_listed_directory(reading, input)) return false;
  if (!reading.has_directory && choice.model.layout != nullptr &&
      choice.model.layout->family == Family::NameText &&
      !read_directory(reading, directory_of(listing.path), input))
    return false;

  OutputFile report;
  if (!open_outputs(reading, input, report)) return false;
  NormalizeOptions options = *input.passed;
  options.directory = reading.has_directory ? &reading.directory : nullptr;
  WrittenCounts written_counts;
  written_counts.names = input.names != nullptr ? input.names : &written_counts.own;
  if (!written_counts.names->valid) index_complete(*written_counts.names);
  NormalSink sink{[&](std::string_view lines) {
                    write_output(reading.converted, lines);
                    count_written(written_counts, lines);
                  },
                  [&](const NormalFinding& f) {
                    // A dry run writes no report: the table says what it would hold.
                    if (!input.dry_run) write_output(report, normal_finding_line(f, false));
                  }};
  NormalizeResult normalized = normalize_as(source, choice, options, sink);
  if (normalized.error.empty() && !input.dry_run)
    write_output(report, normal_summary_line(normalized.counts, false));
  bool written =
      flush_output(reading.converted) && (input.dry_run || close_output(report, *input.kept));
  if (!normalized.error.empty()) return fail(reading, normalized.error);
  if (!written)
    return fail(reading, !reading.converted.error.empty() ? reading.converted.error : report.error);
  // The directory's files are looked up again by the check of the base.
  for (DirectoryFile& file : reading.directory.files) file.named = false;

  NormalizedArea& normal = reading.normalized;
  normal.done = true;
  normal.layout = normalized.counts.layout;
  normal.not_carried = normalized.counts.not_carried;
  normal.dropped = normalized.counts.dropped;
  normal.dates_differ = normalized.counts.by_kind[static_cast<int>(NormalKind::DateDiffers)];
  normal.exact = normalize_status(normalized) == 0;
  if (options.directory != nullptr && options.describe)
    normal.described = normalized.counts.described;
  if (options.directory != nullptr && options.orphans)
    normal.orphans_written = normalized.counts.orphans_written;
  reading.preview.counts = written_counts.counts;
  return true;
}

}  // namespace

bool read_listed_directory(AreaReading& reading, const AreaInput& input) {
  std::string dir, error;
  if (!listed_files_directory(*input.area, *input.maps, dir, error)) return fail(reading, error);
  return dir.empty() || read_directory(reading, dir, input);
}

bool read_area(AreaReading& reading, const AreaInput& input) {
  reading = AreaReading{};
  if (!rewind(reading, *input.listing, input.listing->path)) return false;
  bool read = input.as_is ? read_as_is(reading, input) : read_normalized(reading, input);
  if (!read) close_output(reading.converted, *input.kept);
  return read;
}

}  // namespace tolv
