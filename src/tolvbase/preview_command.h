// `tolvbase preview`: the preview's base loading and its printing. LISTING
// "-" is standard input. Exit status: 0 no finding, 1 findings, 2 usage
// error or a listing or base that cannot be read.
#pragma once

#include "companion/command_line.h"

namespace tolv {

int run_preview(const Arguments& arguments);

}  // namespace tolv
