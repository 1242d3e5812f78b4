// The report of a normalization as its lines: one per finding, then the
// summary, as text or as JSON Lines. `tolvbase normalize` writes it to
// standard error or --report, tolvboard beside each normalized area.
#pragma once

#include <string>

#include "normalize/normalize.h"

namespace tolv {

// "LINE: KIND: MESSAGE" (control bytes escaped), or its JSON object; with
// the line end.
std::string normal_finding_line(const NormalFinding& finding, bool json);

// "summary: layout ..." with every count, or its JSON object; with the line
// end.
std::string normal_summary_line(const NormalCounts& counts, bool json);

}  // namespace tolv
