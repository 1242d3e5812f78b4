// One file area taken through the migration: planned (its listing found on
// this system, its base named), then read (normalized, or --as-is looked
// at), journaled and converted by tolvconv or, for a dry run, previewed in
// process.
#pragma once

#include <vector>

#include "tolvboard/area_list.h"
#include "tolvboard/area_result.h"

namespace tolv {

// Finds every area's listing and names its base. An area whose DIR.LST
// paths climb out of their directory ("..") is refused.
std::vector<AreaResult> plan_areas(const std::vector<Area>& areas, BoardSettings& board);

// Converts a planned area with tolvconv, its output under a header line in
// the log; an area refused by its plan, or whose base is refused (a file of
// it a symbolic link, records in it without --dupe or --append, another
// listing's), only gets its header and the reason.
void convert_area(AreaResult& result, BoardSettings& board);

// What converting the area would do, with nothing written and nothing run.
void preview_area(AreaResult& result, BoardSettings& board);

}  // namespace tolv
