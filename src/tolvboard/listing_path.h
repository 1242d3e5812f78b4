// Where an area's listing lies on this system, from the path the board's
// area list spells.
//
// A DOS path's drive ("C:") is replaced by the directory mapped to it, and
// its backslashes become '/'. A DOS path rooted without a drive ("\PCB\DIR1")
// lies on whatever drive the board ran from: it is resolved only through the
// directory mapped to '\', never against this system's root. A relative
// path is relative to the working directory. In an area file, whose paths
// are this system's, a path starting with '/' is this system's own; one
// starting with '\' is the board's, and needs the same mapping.
// Each component that does not exist in its exact letter case is matched
// against its directory's entries without regard to the case of ASCII
// letters: boards were written on a file system that ignores case, and their
// files often reach this one in another case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolv {

// The key of the directory that stands for a path rooted without a drive.
inline constexpr char kRootWithoutDrive = '\\';

struct DriveMap {
  char drive = 0;  // 'A' to 'Z', or kRootWithoutDrive
  std::string directory;
};

// Parses "C:=/srv/pcb" (the drive letter in either case) or "\=/srv/pcb";
// false when the text is not a drive and ":=", or '\' and '=', then a
// non-empty directory.
bool parse_drive_map(std::string_view text, DriveMap& map);

// Whether one of the path's components is "..": a board's paths that climb
// out of their directory are not followed.
bool has_parent_component(std::string_view spelled);

// The key of the --map a path needs: its drive letter in upper case,
// kRootWithoutDrive for a path rooted without a drive, 0 for a path of this
// system. `dos`: a DIR.LST's path, for which '/' roots a path as '\' does.
char map_key(std::string_view spelled, bool dos);

struct ListingPath {
  bool resolved = false;  // false: the area cannot be converted, `error` says why
  std::string path;       // when resolved: the path to open (may not exist)
  std::string tree;       // the --map directory the path lies under; empty: none
  std::string error;
};

// Resolves `spelled`. A component found in no letter case is kept as it is
// spelled, and so are those after it: the path then names no file, and the
// conversion reports the listing as missing. Two entries that match one
// component in different cases make the area fail, naming both.
// `dos`: a DIR.LST's path, for which '/' roots a path as '\' does.
ListingPath resolve_listing_path(std::string_view spelled, const std::vector<DriveMap>& maps,
                                 bool dos);

// Whether the file open on `fd` (`path`, for the message) lies inside the
// directory `tree`, symbolic links followed in both: the board's paths are
// followed nowhere out of the tree a --map names. False, with `error`, when
// it lies elsewhere or either cannot be placed.
bool opened_inside(int fd, const std::string& path, const std::string& tree, std::string& error);

// The last component of `spelled`, after its last '\', '/' or drive colon.
std::string_view last_component(std::string_view spelled);

}  // namespace tolv
