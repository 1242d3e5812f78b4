// What the summary says of an area on the lines under its row: why it was
// not converted, and what reading its listing and checking its files found.
// Plain text, one line each, to be escaped and wrapped where it is shown.
#pragma once

#include <string>
#include <vector>

#include "tolvboard/area_result.h"

namespace tolv {

// Why an area is not converted (empty when it is): tolvconv's status and
// what its code means, from the converter's own table of its codes, then
// the message, unless the message is tolvconv's "Runtime error N at 0x..."
// line (kept in the log and the JSON) or says no more than the status.
std::string reason_text(const AreaResult& area);

// What the normalizer made of the listing ("spitfire: 1 entry not carried,
// 2 lines dropped"), or with --as-is what converting it as it stands loses,
// what --describe and --orphans did, what another program wrote into the
// base meanwhile, and what the check of the files found ("files: 2 listed
// files are not in 'DIR', 0 sizes differ, 3 orphans"), a line each.
std::vector<std::string> detail_lines(const AreaResult& area);

}  // namespace tolv
