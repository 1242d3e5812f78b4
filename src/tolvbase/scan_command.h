// `tolvbase scan DIR`: the listing of a folder that has none, every file an
// entry in name order, described from its archive. It is the normalize run
// of an empty listing with --dir DIR --orphans --describe, so each file
// meets the same rules and findings as in a listing.
#pragma once

#include "companion/command_line.h"

namespace tolv {

int run_scan(const Arguments& arguments);

}  // namespace tolv
