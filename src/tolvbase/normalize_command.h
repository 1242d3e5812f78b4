// `tolvbase normalize`: a listing of any known layout rewritten on standard
// output as a PCBoard listing that tolvconv reads exactly; the report (one
// finding a line, then a summary) on standard error or into --report FILE,
// as text or JSON Lines. Exit status: 0 every entry written with the
// listing's own values, 1 not so, 2 usage error, a listing or directory
// that cannot be read, or no layout recognised.
#pragma once

#include "companion/command_line.h"

namespace tolv {

int run_normalize(const Arguments& arguments);

}  // namespace tolv
