#include "tolvboard/board_check.h"

#include <sys/stat.h>

#include <algorithm>
#include <map>

#include "companion/text.h"
#include "runtime/syscall.h"

namespace tolv {

namespace {

std::string map_text(const DriveMap& map) {
  std::string drive = map.drive == kRootWithoutDrive ? "\\" : std::string(1, map.drive) + ":";
  return "--map " + escape_controls(drive + "=" + map.directory);
}

// "area 4", "areas 4, 7, 9-12": runs of numbers in a row as ranges.
std::string area_numbers(const std::vector<int>& numbers) {
  std::string text = numbers.size() == 1 ? "area " : "areas ";
  for (size_t i = 0; i < numbers.size();) {
    size_t last = i;
    while (last + 1 < numbers.size() && numbers[last + 1] == numbers[last] + 1) ++last;
    if (i > 0) text += ", ";
    text += std::to_string(numbers[i]);
    if (last > i) text.append(1, '-').append(std::to_string(numbers[last]));
    i = last + 1;
  }
  return text;
}

}  // namespace

std::string missing_map_directories(const std::vector<DriveMap>& maps) {
  std::string text;
  for (const DriveMap& map : maps) {
    struct stat st;
    std::string why;
    if (sys_stat(map.directory.c_str(), &st) < 0)
      why = system_error == ENOENT ? quoted(map.directory) + " does not exist"
                                   : cannot("examine", map.directory, system_error);
    else if (!S_ISDIR(st.st_mode))
      why = quoted(map.directory) + " is not a directory";
    if (!why.empty()) text.append(text.empty() ? "" : "; ").append(map_text(map) + ": " + why);
  }
  return text;
}

std::string unmapped_drives(const std::vector<Area>& areas, const std::vector<DriveMap>& maps) {
  std::map<char, std::vector<int>> needing;  // by the --map key, in area order
  for (const Area& area : areas)
    for (const std::string* path : {&area.listing_path, &area.disk_path}) {
      char key = map_key(*path, area.cp437);
      bool mapped = std::any_of(maps.begin(), maps.end(),
                                [&](const DriveMap& map) { return map.drive == key; });
      std::vector<int>& numbers = needing[key];
      if (key != 0 && !mapped && (numbers.empty() || numbers.back() != area.number))
        numbers.push_back(area.number);
    }
  std::string text, adds;
  for (const auto& [key, numbers] : needing) {
    if (key == 0 || numbers.empty()) continue;
    std::string drive = key == kRootWithoutDrive ? "paths rooted without a drive"
                                                 : "drive " + std::string(1, key) + ":";
    text.append(text.empty() ? "" : ", ").append(drive + " (" + area_numbers(numbers) + ")");
    adds.append(adds.empty() ? "add " : " and ")
        .append(key == kRootWithoutDrive ? "--map '\\=DIRECTORY'"
                                         : "--map " + std::string(1, key) + ":=DIRECTORY");
  }
  if (text.empty()) return {};
  return "no --map for " + text + "; " + adds + " for their areas";
}

}  // namespace tolv
