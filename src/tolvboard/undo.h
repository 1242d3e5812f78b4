// tolvboard --undo OUTDIR: the last run into OUTDIR that is not undone yet,
// taken back base by base from its journal.
//
// A base the run changed is cut back to its size before the run, under its
// lock (companion/base_cut.h), only when it is still exactly as the journal
// last left it: the same files, sizes and modification times. A file the
// run made is removed, so OUTDIR holds what it held before. Any other base
// is named with the reason and left as it is. Each base cut back gets its
// "undone" line at once; the run's "undo" line comes last, so the next
// --undo goes to the run before, and an undo cut short by a failure takes
// up where it stopped.
//
// Exit status: 0 every base of the run undone (or unchanged by it), 1 a
// base left alone, or nothing left to undo; 2 a usage error, no journal or
// one that cannot be used (damaged, written for another directory), or a
// base or the journal that could not be written.
#pragma once

#include "companion/command_line.h"

namespace tolv {

int run_undo(const Arguments& arguments);

}  // namespace tolv
