#include "tolvboard/area_files.h"

#include "companion/base.h"
#include "companion/disk_check.h"
#include "companion/file_directory.h"
#include "companion/output.h"
#include "companion/read_only_file.h"
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
  int fd = open_directory(path.path, error);
  bool inside = fd >= 0 && (path.tree.empty() || opened_inside(fd, path.path, path.tree, error));
  if (fd >= 0) sys_close(fd);
  if (!inside) {
    error = "its files' directory" + std::string(fd >= 0 ? ": " : " ") + error;
    return false;
  }
  dir = path.path;
  return true;
}

AreaFiles check_area_files(const std::string& base_path, FileDirectory& dir, int log_fd) {
  AreaFiles files;
  files.directory = dir.path;
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
