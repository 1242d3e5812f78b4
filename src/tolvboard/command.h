// The command line of tolvboard, which migrates every file area of a
// PCBoard board at once:
//
//   tolvboard [--map DRIVE:=DIR]... [--dupe] [--dry-run] [--normalize]
//             [--json] [--converter PROGRAM] DIR.LST OUTDIR
//   tolvboard [options] --areas FILE OUTDIR
//   tolvboard --help | --version
//
// Each area's listing is converted by tolvconv into OUTDIR/N-NAME, its
// console output kept in OUTDIR/tolvboard.log; standard output gets a
// summary row per area and the totals; with --normalize each listing is
// first rewritten by the normalizer (normalize_area.h). Exit status: 0 every
// area converted (or, for a dry run, would be), 1 an area missing or failed
// or a normalized listing not carried exactly, 2 usage error, or an area
// list, OUTDIR or its log that cannot be read or made.
#pragma once

#include "companion/command_line.h"
#include "tolvboard/options.h"

namespace tolv {

// The program's table: run_program(tolvboard_program(), argc, argv) runs it.
const Program& tolvboard_program();

}  // namespace tolv
