// What is checked of a board before its first area is converted, so that a
// mistake in the command line that every area on a drive would meet is
// found before any work, in one line: a directory --map names that is not
// there, a drive the areas' listings or files lie on that has no --map.
#pragma once

#include <string>
#include <vector>

#include "tolvboard/area_list.h"
#include "tolvboard/listing_path.h"

namespace tolv {

// Each --map whose directory does not exist or is not a directory, and
// why ("--map C:=/srv/pcb: '/srv/pcb' does not exist"), in one line;
// empty when every one is a directory.
std::string missing_map_directories(const std::vector<DriveMap>& maps);

// The drives, and the root of paths without a drive, that the areas'
// listings or files (DskPath, an area file's third field) need a --map for
// and have none, each with the areas that need it, in one line; empty
// when there is none.
std::string unmapped_drives(const std::vector<Area>& areas, const std::vector<DriveMap>& maps);

}  // namespace tolv
