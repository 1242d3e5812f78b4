// tolvbase, a companion of tolvconv that lists, verifies and exports a file
// base and never writes it, and previews a listing before it is converted:
//
//   tolvbase list BASE...      one block per record
//   tolvbase check BASE...     problems and notes; status 1 for a problem
//   tolvbase export BASE       the records as a listing, JSON Lines or CSV
//   tolvbase preview LISTING [BASE]
//                              the lines tolvconv reads otherwise than a
//                              person would
//
// Its commands and their options are one table (command.cpp); results go
// to standard output, errors to standard error. Exit status: 0 done, 1 a
// problem, an inexact record or a finding, 2 usage error or a file that
// cannot be opened or read.
#pragma once

#include "companion/command_line.h"
#include "tolvbase/options.h"

namespace tolv {

// The program's table: run_program(tolvbase_program(), argc, argv) runs it.
const Program& tolvbase_program();

}  // namespace tolv
