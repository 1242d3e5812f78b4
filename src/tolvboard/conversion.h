// An area's conversion between its two journal records: the base's state
// taken under its lock and journaled (the intent, synced) before tolvconv
// starts; once it has ended, the base put on the disk and how it ended
// journaled (the outcome, synced). Only what tolvconv says it appended
// counts as the run's: records another program wrote into the base
// meanwhile are counted apart, and --undo leaves such a base alone.
#pragma once

#include "tolvboard/area_result.h"

namespace tolv {

struct Conversion {
  bool ended = false;  // tolvconv ran to an exit status
};

// Converts the planned, accepted area from `input` (the listing tolvconv
// reads on its standard input), setting its outcome, counts and message. A
// journal that cannot be written stops the run (board.stopped).
Conversion convert_journaled(AreaResult& result, BoardSettings& board, int input);

}  // namespace tolv
