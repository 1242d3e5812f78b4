#include "tolvboard/area_files.h"

#include <errno.h>
#include <fcntl.h>
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
  if (!path.tree.empty()) {
    int fd = sys_open(path.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    bool inside = fd >= 0 && opened_inside(fd, path.path, path.tree, error);
    if (fd < 0) error = cannot("open", path.path, system_error);
    if (fd >= 0) sys_close(fd);
    if (!inside) {
      error = "its files' directory: " + error;
      return false;
    }
  }
  dir = path.path;
  return true;
}

AreaFiles check_area_files(const std::string& base_path, FileDirectory& dir, int log_fd) {
  AreaFiles files;
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
