// The command line of tolvboard, which migrates every file area of a
// PCBoard board at once:
//
//   tolvboard [--map DRIVE:=DIR]... [--dupe] [--append] [--dry-run]
//             [--as-is] [--json | --width N] [--converter PROGRAM]
//             DIR.LST OUTDIR
//   tolvboard [options] --areas FILE OUTDIR
//   tolvboard --undo [--dry-run] [--wait] OUTDIR
//   tolvboard --help | --version
//
// Each area's listing is normalized into OUTDIR/NAME.lst (unless --as-is)
// and converted by tolvconv into OUTDIR/NAME, its console output kept in
// OUTDIR/tolvboard.log; standard output gets a summary row per area and
// the totals. Exit status: 0 every area converted exactly (or, for a dry
// run, would be), 1 an area exists, is missing or failed, or a listing not
// carried exactly, 2 usage error, or an area list, OUTDIR, its log or
// journal that cannot be read or made, 128+N a run ended by signal N.
#pragma once

#include "companion/command_line.h"
#include "tolvboard/options.h"

namespace tolv {

// The program's table: run_program(tolvboard_program(), argc, argv) runs it.
const Program& tolvboard_program();

}  // namespace tolv
