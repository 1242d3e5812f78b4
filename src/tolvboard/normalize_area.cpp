#include "tolvboard/normalize_area.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <utility>

#include "companion/file_directory.h"
#include "companion/output.h"
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

bool fail(NormalizedArea& normal, std::string message) {
  normal.message = std::move(message);
  return false;
}

std::string directory_of(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The directory of the area's files, into `dir` (empty: none): the one the
// area list names, else for a listing that gives no sizes its own. False
// when the area list names one that cannot be used.
bool files_directory(NormalizedArea& normal, const Area& area, const std::string& listing,
                     const std::vector<DriveMap>& maps, const LayoutInfo* layout,
                     std::string& dir) {
  std::string error;
  if (!listed_files_directory(area, maps, dir, error)) return fail(normal, error);
  if (dir.empty() && layout != nullptr && layout->family == Family::NameText)
    dir = directory_of(listing);
  return true;
}

// Opens a file the run writes in OUTDIR: created or emptied, never through
// a symbolic link, and never the listing being read. -1 with `error`.
int open_output(const std::string& path, const ListingSource& source, std::string& error) {
  struct stat listing {
  }, target{};
  if (sys_fstat(source.file.fd, &listing) == 0 && sys_stat(path.c_str(), &target) == 0 &&
      listing.st_dev == target.st_dev && listing.st_ino == target.st_ino) {
    error = quoted(path) + " is the area's listing itself; it is left as it is";
    return -1;
  }
  int fd = retry_interrupted([&] {
    return sys_open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
  });
  if (fd < 0)
    error = system_error == ELOOP ? quoted(path) + " is a symbolic link; it is not followed"
                                  : cannot("open", path, system_error);
  return fd;
}

// An unnamed file in TMPDIR (else /tmp) to hold a dry run's listing.
int open_held(std::string& error) {
  const char* tmp = getenv("TMPDIR");
  std::string where = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
  int fd = sys_open(where.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0)
    error =
        "cannot hold the normalized listing in " + quoted(where) + ": " + errno_text(system_error);
  return fd;
}

bool written(Output& out, const std::string& path, std::string& error) {
  if (!flush(out) && error.empty()) error = cannot("write", path, out.error);
  if (sys_close(out.fd) != 0 && error.empty()) error = cannot("close", path, system_error);
  return error.empty();
}

// Normalizes the area's listing. A run writes the listing and the report
// into OUTDIR; a dry run (`held` not null) writes the listing into an
// unnamed file whose descriptor `held` receives, and no report.
bool normalize_into(NormalizedArea& normal, const Area& area, const std::string& path,
                    const std::string& base, const std::vector<DriveMap>& maps,
                    const NormalizeOptions& passed, int* held) {
  ListingSource source;
  // "-" would be standard input to the normalizer; here it names a file.
  if (!open_listing_source(source, path == "-" ? "./-" : path)) {
    normal.missing = source.file.missing;
    return fail(normal, source.error);
  }
  std::string error;
  LayoutChoice choice = recognize_layout(source, error);
  std::string dir;
  FileDirectory directory;
  struct stat listing {};
  bool known = sys_fstat(source.file.fd, &listing) == 0;
  bool ready = !error.empty() ? fail(normal, error)
               : choice.model.layout == nullptr && !choice.empty
                   ? fail(normal, choice.refusal)
                   : files_directory(normal, area, path, maps, choice.model.layout, dir);
  if (ready && !dir.empty() &&
      !read_file_directory(dir, directory, error, known ? listing.st_dev : 0,
                           known ? listing.st_ino : 0))
    ready = fail(normal, error);

  std::string stem = derive_base_paths(base).stem;
  normal.listing = stem + ".lst";
  normal.report = stem + ".report";
  Output out, report;
  out.fd = report.fd = -1;
  if (ready && held != nullptr) out.fd = *held = open_held(error);
  if (ready && held == nullptr && (out.fd = open_output(normal.listing, source, error)) >= 0)
    report.fd = open_output(normal.report, source, error);
  if (ready && !error.empty()) ready = fail(normal, error);
  if (!ready) {
    if (out.fd >= 0) sys_close(out.fd);
    if (held != nullptr) *held = -1;
    close_listing_source(source);
    return false;
  }

  NormalizeOptions options = passed;
  options.directory = dir.empty() ? nullptr : &directory;
  NormalSink sink{[&](std::string_view lines) { put(out, lines); },
                  [&](const NormalFinding& f) {
                    if (report.fd >= 0) put(report, normal_finding_line(f, false));
                  }};
  NormalizeResult normalized = normalize_as(source, choice, options, sink);
  close_listing_source(source);
  if (normalized.error.empty() && report.fd >= 0)
    put(report, normal_summary_line(normalized.counts, false));
  error = normalized.error;
  if (held != nullptr) {
    if (!flush(out) && error.empty()) error = cannot("write", "the held listing", out.error);
  } else {
    written(out, normal.listing, error);
    written(report, normal.report, error);
  }
  if (!error.empty()) return fail(normal, error);
  normal.done = true;
  normal.files = dir;
  normal.layout = normalized.counts.layout;
  normal.not_carried = normalized.counts.not_carried;
  normal.dropped = normalized.counts.dropped;
  normal.exact = normalize_status(normalized) == 0;
  if (options.directory != nullptr && options.describe)
    normal.described = normalized.counts.described;
  if (options.directory != nullptr && options.orphans)
    normal.orphans_written = normalized.counts.orphans_written;
  return true;
}

}  // namespace

NormalizedArea normalize_area(const Area& area, const std::string& listing, const std::string& base,
                              const std::vector<DriveMap>& maps, const NormalizeOptions& passed) {
  NormalizedArea normal;
  normalize_into(normal, area, listing, base, maps, passed, nullptr);
  return normal;
}

NormalizedArea preview_normalized_area(const Area& area, const std::string& listing,
                                       const std::string& base, const std::vector<DriveMap>& maps,
                                       const NormalizeOptions& passed, NameIndex* names,
                                       PreviewResult& preview) {
  NormalizedArea normal;
  int held = -1;
  bool normalized = normalize_into(normal, area, listing, base, maps, passed, &held);
  if (normalized && sys_lseek(held, 0, SEEK_SET) != 0)
    normalized = fail(normal, "cannot read the held listing back: " + errno_text(system_error));
  if (!normalized) {
    if (held >= 0) sys_close(held);
    normal.done = false;
    return normal;
  }
  error_code_query();
  Listing reader;
  start_listing(reader, File{held, true, false});
  preview = preview_open_listing(reader, normal.listing, names, PreviewSink{});
  close_listing(reader);
  return normal;
}

}  // namespace tolv
