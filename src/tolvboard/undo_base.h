// One base of a run taken back by --undo (undo.h): what the journal says
// of it checked against itself and against the base, then the cut, with
// its target journaled before and its end after.
#pragma once

#include <cstddef>
#include <string>

#include "tolvboard/journal.h"

namespace tolv {

enum class Verdict {
  Undone,     // cut back, or its files removed (for a dry run: would be)
  Unchanged,  // the run did not change it
  LeftAlone,  // changed by another program: it is theirs now
  Refused,    // the journal's word on it does not hold together, a cut failed, or a
              // program holds its lock: the run stays to be undone
};

struct BaseUndo {
  Verdict verdict = Verdict::LeftAlone;
  std::string text;  // what was done, or why not
};

// Takes back area `index` of the journal's areas. `journal` null: a dry
// run, which only says what it would do.
BaseUndo undo_area(const JournalContents& contents, size_t index, const std::string& out_dir,
                   Journal* journal);

}  // namespace tolv
