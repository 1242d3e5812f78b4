// tolvboard --undo OUTDIR: the last run into OUTDIR that is not undone yet,
// taken back base by base from its journal (journal.h).
//
// A base the run changed is cut back to its size before the run, under its
// lock (companion/base_cut.h), only when it is still as the journal last
// left it: the same files, sizes and modification times; for an area the
// run was stopped in (an intent, no outcome), the same files, no smaller.
// Its first record after the cut must have its text where the base's text
// ended before, and the records kept theirs before it: a journal whose
// sizes do not fit the base is not acted on. A file the run made is
// removed, so OUTDIR holds what it held before. A base another program
// wrote into during the run, or changed since, is named with the reason
// and left as it is.
//
// The undo is journaled too: UNDO, then for each base its target (synced)
// before it is cut and UNDONE (synced) once the cut is on the disk, then
// UNDO_END. An undo cut short is finished by the next --undo, which takes
// up a base cut half way, and never moves on to an earlier run while the
// last is not whole. With --dry-run it says what it would do and writes
// nothing. Every record it writes fits in the room the run kept, so it
// works on a disk that has filled.
//
// Exit status: 0 every base of the run undone (or unchanged by it), 1 a
// base left alone, or nothing left to undo; 2 a usage error, no journal or
// one that cannot be used (damaged, written for another directory, by the
// earlier release), or a base or the journal that could not be written.
#pragma once

#include "companion/command_line.h"

namespace tolv {

int run_undo(const Arguments& arguments);

}  // namespace tolv
