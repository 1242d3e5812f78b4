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
// be read, with a line "  ! ..." for each problem. Control bytes in texts
// are shown as \xHH (CP437 shows bytes 1-31 as glyphs, but here they stay
// escaped), then the texts are decoded.
#pragma once

#include "companion/base.h"
#include "companion/output.h"
#include "companion/text_encoding.h"

namespace tolv {

// Lists every whole record. False when a read of the base failed (the failing
// file's `error` says why); what was listed before stays written.
bool list_base(ReadOnlyBase& base, const Decoder& decoder, Output& out);

}  // namespace tolv
