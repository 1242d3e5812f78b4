// Where an area's listing lies on this system, from the path the board's
// area list spells.
//
// A DOS path's drive ("C:") is replaced by the directory mapped to it, and
// its backslashes become '/'; a path without a drive is taken as a path of
// this system (relative to the working directory unless it starts with '/').
// Each component that does not exist in its exact letter case is matched
// against its directory's entries without regard to the case of ASCII
// letters: boards were written on a file system that ignores case, and their
// files often reach this one in another case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolv {

struct DriveMap {
  char drive = 0;  // 'A' to 'Z'
  std::string directory;
};

// Parses "C:=/srv/pcb" (the drive letter in either case); false when the
// text is not a drive, ":=" and a non-empty directory.
bool parse_drive_map(std::string_view text, DriveMap& map);

struct ListingPath {
  bool resolved = false;  // false: the area cannot be converted, `error` says why
  std::string path;       // when resolved: the path to open (may not exist)
  std::string error;
};

// Resolves `spelled`. A component found in no letter case is kept as it is
// spelled, and so are those after it: the path then names no file, and the
// conversion reports the listing as missing. Two entries that match one
// component in different cases make the area fail, naming both.
ListingPath resolve_listing_path(std::string_view spelled, const std::vector<DriveMap>& maps);

// The last component of `spelled`, after its last '\', '/' or drive colon.
std::string_view last_component(std::string_view spelled);

}  // namespace tolv
