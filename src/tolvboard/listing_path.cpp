#include "tolvboard/listing_path.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "companion/text.h"
#include "runtime/syscall.h"

namespace tolv {

namespace {

bool has_drive(std::string_view spelled) {
  char c = upper_case(spelled.size() >= 2 ? spelled[0] : 0);
  return c >= 'A' && c <= 'Z' && spelled[1] == ':';
}

bool exists(const std::string& path) {
  struct stat st;
  return sys_stat(path.c_str(), &st) == 0;
}

// The entries of `directory` that spell `name` in another case; reads the
// whole directory, as two of them are an error.
std::vector<std::string> entries_matching(const std::string& directory, std::string_view name) {
  std::vector<std::string> found;
  DIR* dir = sys_opendir(directory.empty() ? "." : directory.c_str());
  if (dir == nullptr) return found;
  while (struct dirent* entry = sys_readdir(dir))
    if (equal_ignoring_case(entry->d_name, name)) found.emplace_back(entry->d_name);
  sys_closedir(dir);
  return found;
}

std::string joined(const std::string& directory, std::string_view name) {
  if (directory.empty()) return std::string(name);
  return directory + (directory.back() == '/' ? "" : "/") + std::string(name);
}

// Where the file open on `fd` lies, links resolved, as the kernel names it.
bool real_path(int fd, std::string& path) {
  char buf[4096];
  std::string link = "/proc/self/fd/" + std::to_string(fd);
  ssize_t n = sys_readlink(link.c_str(), buf, sizeof buf);
  if (n <= 0 || static_cast<size_t>(n) == sizeof buf) return false;
  path.assign(buf, static_cast<size_t>(n));
  return true;
}

}  // namespace

bool opened_inside(int fd, const std::string& path, const std::string& tree, std::string& error) {
  int top = sys_open(tree.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC, 0);
  std::string real, real_tree;
  bool placed = top >= 0 && real_path(top, real_tree) && real_path(fd, real);
  int why = system_error;
  if (top >= 0) sys_close(top);
  if (!placed) {
    error = "cannot tell where " + quoted(path) + " lies: " + errno_text(why);
    return false;
  }
  if (real_tree == "/" || real == real_tree || real.starts_with(real_tree + "/")) return true;
  error = quoted(path) + " leads out of " + quoted(tree) + " (to " + quoted(real) +
          "); it is not followed";
  return false;
}

bool parse_drive_map(std::string_view text, DriveMap& map) {
  if (text.size() >= 3 && text[0] == kRootWithoutDrive && text[1] == '=') {
    map.drive = kRootWithoutDrive;
    map.directory = text.substr(2);
    return true;
  }
  if (!has_drive(text) || text.size() < 4 || text[2] != '=') return false;
  map.drive = upper_case(text[0]);
  map.directory = text.substr(3);
  return true;
}

bool has_parent_component(std::string_view spelled) {
  if (has_drive(spelled)) spelled.remove_prefix(2);
  while (!spelled.empty()) {
    size_t cut = spelled.find_first_of("\\/");
    if (spelled.substr(0, cut) == "..") return true;
    spelled.remove_prefix(cut == std::string_view::npos ? spelled.size() : cut + 1);
  }
  return false;
}

std::string_view last_component(std::string_view spelled) {
  size_t cut = spelled.find_last_of(has_drive(spelled) ? "\\/:" : "\\/");
  return cut == std::string_view::npos ? spelled : spelled.substr(cut + 1);
}

char map_key(std::string_view spelled, bool dos) {
  if (has_drive(spelled)) return upper_case(spelled[0]);
  bool rooted = !spelled.empty() && (spelled[0] == '\\' || (dos && spelled[0] == '/'));
  return rooted ? kRootWithoutDrive : 0;
}

ListingPath resolve_listing_path(std::string_view spelled, const std::vector<DriveMap>& maps,
                                 bool dos) {
  ListingPath result;
  std::string path;  // resolved so far; empty: the working directory
  std::string_view rest = spelled;
  char key = map_key(spelled, dos);
  char drive = key != kRootWithoutDrive ? key : 0;
  if (key != 0) {
    const DriveMap* map = nullptr;
    for (const DriveMap& m : maps)
      if (m.drive == key) map = &m;
    if (map == nullptr) {
      result.error = drive != 0 ? std::string("drive ") + drive + ": has no --map (add --map " +
                                      drive + ":=DIRECTORY)"
                                : "a path rooted without a drive has no --map (add --map "
                                  "'\\=DIRECTORY')";
      return result;
    }
    path = map->directory;
    result.tree = map->directory;
    rest.remove_prefix(drive != 0 ? 2 : 1);
  } else if (!rest.empty() && rest[0] == '/') {
    path.assign(1, '/');
  }
  bool found = true;
  while (!rest.empty()) {
    size_t cut = rest.find_first_of("\\/");
    std::string_view name = rest.substr(0, cut);
    rest.remove_prefix(cut == std::string_view::npos ? rest.size() : cut + 1);
    if (name.empty()) continue;
    std::string exact = joined(path, name);
    if (!found || exists(exact) || name == "." || name == "..") {
      path = exact;
      continue;
    }
    std::vector<std::string> matches = entries_matching(path, name);
    if (matches.size() > 1) {
      result.error.append("'").append(joined(path, matches[0])).append("' and '");
      result.error.append(joined(path, matches[1])).append("' both match '").append(name);
      result.error.append("' in other letter cases");
      return result;
    }
    found = matches.size() == 1;
    path = found ? joined(path, matches[0]) : exact;
  }
  result.resolved = true;
  result.path = path;
  return result;
}

}  // namespace tolv
