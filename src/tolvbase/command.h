// The command line of tolvbase, a companion of tolvconv that lists and
// verifies a file base and never writes it:
//
//   tolvbase list BASE     one block per record
//   tolvbase check BASE    problems and notes; status 1 when a problem is found
//   tolvbase --help | --version
//
// Exit status: 0 done (for check: the base is sound), 1 check found a
// problem, 2 usage error or a file of the base that cannot be opened or read.
// Results go to standard output, errors to standard error.
#pragma once

namespace tolv {

inline constexpr int kExitSound = 0;
inline constexpr int kExitProblem = 1;
inline constexpr int kExitTrouble = 2;

// Runs the command and gives the exit status.
int tolvbase_main(int argc, char** argv);

}  // namespace tolv
