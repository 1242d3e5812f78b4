// `tolvbase normalize`: a listing of any known layout rewritten on standard
// output as a PCBoard listing that tolvconv reads exactly; the report (one
// finding a line, then a summary) on standard error or into --report FILE,
// as text or JSON Lines. Exit status: 0 every entry written with the
// listing's own values, 1 not so, 2 usage error, a listing or directory
// that cannot be read, or no layout recognised.
#pragma once

#include <string>

#include "companion/command_line.h"
#include "normalize/normalize.h"

namespace tolv {

int run_normalize(const Arguments& arguments);

// The run both normalize and scan make, once `source` is open: the files of
// `dir` (none when null) read, leaving out the listing, standard output and
// the report when they lie there; the listing normalized with `options` to
// standard output; the report (--report, --json of `arguments`); the exit
// status. Closes `source`.
int normalize_into_output(const Arguments& arguments, ListingSource& source,
                          NormalizeOptions& options, const std::string* dir);

}  // namespace tolv
