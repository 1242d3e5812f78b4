// `tolvbase list`: one block per record, blocks separated by an empty line:
//
//   record 0
//     name    SQZ204.ZIP
//     size    202574
//     date    1993-02-01
//     origin  TOLVCONV
//     flags   0x00
//     lines   3 at byte 0
//     | Squeezer 2.04 - the file compression utility
//     | ...
//
// A record the check would find fault with is still listed, as far as it can
// be read, with a line "  ! ..." for each problem.
#pragma once

#include "tolvbase/base.h"
#include "tolvbase/output.h"

namespace tolv {

// Lists every whole record. False when a read of the base failed (the failing
// file's `error` says why); what was listed before stays written.
bool list_base(ReadOnlyBase& base, Output& out);

}  // namespace tolv
