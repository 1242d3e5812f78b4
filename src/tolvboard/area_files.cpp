#include "tolvboard/area_files.h"

#include <errno.h>
#include <sys/stat.h>

#include "companion/base.h"
#include "companion/disk_check.h"
#include "companion/file_directory.h"
#include "companion/output.h"
#include "companion/text.h"
#include "runtime/syscall.h"

namespace tolv {

bool listed_files_directory(const Area& area, const std::vector<DriveMap>& maps, std::string& dir,
                            std::string& error) {
  dir.clear();
  if (area.disk_path.empty()) return true;
  ListingPath path = resolve_listing_path(area.disk_path, maps, area.cp437);
  if (!path.resolved) {
    error = "its files' directory: " + path.error;
    return false;
  }
  struct stat st {};
  if (sys_stat(path.path.c_str(), &st) < 0) {
    error = system_error == ENOENT || system_error == ENOTDIR
                ? "its files' directory " + quoted(path.path) + " does not exist"
                : cannot("reach", path.path, system_error);
    return false;
  }
  if (!S_ISDIR(st.st_mode)) {
    error = "its files' directory " + quoted(path.path) + " is not a directory";
    return false;
  }
  dir = path.path;
  return true;
}

AreaFiles check_area_files(const std::string& base_path, const std::string& directory,
                           const std::string& listing, int log_fd) {
  AreaFiles files;
  struct stat st {};
  bool listed = sys_stat(listing.c_str(), &st) == 0;
  FileDirectory dir;
  if (!read_file_directory(directory, dir, files.error, listed ? st.st_dev : 0,
                           listed ? st.st_ino : 0))
    return files;
  ReadOnlyBase base;
  if (!open_base(base, base_path, files.error)) return files;
  Output log;
  log.fd = log_fd;
  DiskCheck check = check_files_on_disk(base, dir, [&](const DiskFinding& finding) {
    if (log_fd < 0) return;
    put(log, "tolvboard: files: ");
    if (finding.record >= 0) put(log, "record " + std::to_string(finding.record) + ": ");
    put(log, finding.text + "\n");
  });
  close_base(base);
  flush(log);
  if (!check.error.empty()) {
    files.error = check.error;
    return files;
  }
  files.checked = true;
  files.missing = check.missing;
  files.sizes_differ = check.size_differs;
  files.orphans = check.orphans;
  return files;
}

}  // namespace tolv
