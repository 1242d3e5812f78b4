#include "companion/file_directory.h"

#include <dirent.h>
#include <errno.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>

#include "companion/text.h"
#include "runtime/syscall.h"

namespace tolv {

namespace {

// A status query that failed because the entry is not there to describe: it
// was removed after the directory was read, or it is a link that leads
// nowhere (a missing target, a path through a file, a circle of links).
bool gone(int error) {
  return error == ENOENT || error == ENOTDIR || error == ELOOP;
}

void take_date(DirectoryFile& file, time_t modified) {
  struct tm local;
  if (localtime_r(&modified, &local) == nullptr || local.tm_year < 1 - 1900) return;
  file.year = static_cast<unsigned>(local.tm_year + 1900);
  file.month = static_cast<unsigned>(local.tm_mon + 1);
  file.day = static_cast<unsigned>(local.tm_mday);
}

// Orders the folded names by text, then by file, and finds one text among
// them.
struct ByFolded {
  using Name = FileDirectory::FoldedName;
  bool operator()(const Name& a, const Name& b) const {
    int order = a.folded.compare(b.folded);
    return order != 0 ? order < 0 : a.file < b.file;
  }
  bool operator()(const Name& a, std::string_view b) const { return a.folded < b; }
  bool operator()(std::string_view a, const Name& b) const { return a < b.folded; }
};

void index_names(FileDirectory& dir) {
  std::sort(dir.files.begin(), dir.files.end(),
            [](const DirectoryFile& a, const DirectoryFile& b) { return a.name < b.name; });
  dir.by_folded_name.reserve(dir.files.size());
  for (size_t i = 0; i < dir.files.size(); ++i)
    dir.by_folded_name.push_back({folded(dir.files[i].name), static_cast<uint32_t>(i)});
  std::sort(dir.by_folded_name.begin(), dir.by_folded_name.end(), ByFolded{});
}

DirectoryFile* exact_file(FileDirectory& dir, std::string_view name) {
  auto at = std::lower_bound(dir.files.begin(), dir.files.end(), name,
                             [](const DirectoryFile& file, std::string_view n) {
                               return std::string_view(file.name) < n;
                             });
  return at != dir.files.end() && at->name == name ? &*at : nullptr;
}

// The files `name` equals in some letter case, as a range of the index.
auto same_in_any_case(const FileDirectory& dir, std::string_view name) {
  std::string key = folded(name);
  return std::equal_range(dir.by_folded_name.begin(), dir.by_folded_name.end(),
                          std::string_view(key), ByFolded{});
}

// The spellings a listed name is tried in, in order: as written, then
// without a bare trailing dot ("NAME." for NAME; "NAME.." has none). An
// empty spelling is skipped.
struct Spellings {
  std::string_view as_written, without_dot;
};
Spellings spellings_of(std::string_view listed) {
  bool bare_dot = listed.size() >= 2 && listed.back() == '.' && listed[listed.size() - 2] != '.';
  return {listed, bare_dot ? listed.substr(0, listed.size() - 1) : std::string_view()};
}

}  // namespace

bool read_file_directory(const std::string& path, FileDirectory& dir, std::string& error,
                         dev_t exclude_dev, ino_t exclude_ino) {
  FileIdentity listing{exclude_dev, exclude_ino};
  bool excluding = exclude_dev != 0 || exclude_ino != 0;
  return read_file_directory(path, dir, error,
                             std::span<const FileIdentity>(&listing, excluding ? 1 : 0));
}

bool read_file_directory(const std::string& path, FileDirectory& dir, std::string& error,
                         std::span<const FileIdentity> exclude) {
  dir = FileDirectory{};
  dir.path = path;
  DIR* handle = sys_opendir(path.c_str());
  if (handle == nullptr) {
    error = system_error == ENOTDIR ? "'" + path + "' is not a directory"
                                    : cannot("read directory", path, system_error);
    return false;
  }
  std::string entry_path = path.ends_with('/') ? path : path + '/';
  const size_t stem = entry_path.size();
  bool read = true;
  while (true) {
    struct dirent* entry = sys_readdir(handle);
    if (entry == nullptr) {
      if (system_error != 0) {
        error = cannot("read directory", path, system_error);
        read = false;
      }
      break;
    }
    std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    entry_path.resize(stem);
    entry_path.append(name);
    struct stat st;
    if (retry_interrupted([&] { return sys_stat(entry_path.c_str(), &st); }) < 0) {
      if (gone(system_error)) continue;
      error = cannot("examine", entry_path, system_error);
      read = false;
      break;
    }
    if (!S_ISREG(st.st_mode)) continue;
    if (std::any_of(exclude.begin(), exclude.end(), [&](const FileIdentity& f) {
          return st.st_dev == f.device && st.st_ino == f.inode;
        })) {
      dir.left_out.emplace_back(name);
      continue;
    }
    DirectoryFile& file = dir.files.emplace_back();
    file.name = name;
    file.size = st.st_size;
    take_date(file, st.st_mtime);
  }
  sys_closedir(handle);
  if (!read) {
    dir.files.clear();
    return false;
  }
  index_names(dir);
  std::sort(dir.left_out.begin(), dir.left_out.end());
  return true;
}

FileLookup find_file(FileDirectory& dir, std::string_view listed, DirectoryFile*& file) {
  file = nullptr;
  Spellings tried = spellings_of(listed);
  for (std::string_view name : {tried.as_written, tried.without_dot}) {
    if (name.empty()) continue;
    file = exact_file(dir, name);
    if (file != nullptr) break;
    auto [first, last] = same_in_any_case(dir, name);
    if (last - first > 1) return FileLookup::Ambiguous;
    if (last - first == 1) {
      file = &dir.files[first->file];
      break;
    }
  }
  if (file == nullptr) {
    ++dir.missed;
    return FileLookup::Missing;
  }
  file->named = true;
  return FileLookup::Found;
}

bool directory_holds(const FileDirectory& dir, std::string_view listed) {
  Spellings tried = spellings_of(listed);
  for (std::string_view name : {tried.as_written, tried.without_dot}) {
    if (name.empty()) continue;
    auto [first, last] = same_in_any_case(dir, name);
    if (first != last) return true;
  }
  return false;
}

std::vector<const DirectoryFile*> files_matching(const FileDirectory& dir,
                                                 std::string_view listed) {
  std::vector<const DirectoryFile*> found;
  Spellings tried = spellings_of(listed);
  for (std::string_view name : {tried.as_written, tried.without_dot}) {
    if (name.empty()) continue;
    auto [first, last] = same_in_any_case(dir, name);
    for (auto at = first; at != last; ++at) found.push_back(&dir.files[at->file]);
    if (!found.empty()) break;
  }
  return found;
}

std::vector<const DirectoryFile*> unnamed_files(const FileDirectory& dir) {
  std::vector<const DirectoryFile*> unnamed;
  for (const DirectoryFile& file : dir.files)
    if (!file.named) unnamed.push_back(&file);
  return unnamed;
}

}  // namespace tolv
