// The command line of tolvbase, a companion of tolvconv that lists, verifies
// and exports a file base and never writes it:
//
//   tolvbase list [--encoding E] BASE
//                          one block per record
//   tolvbase check [--strict] BASE
//                          problems and notes; status 1 when a problem is found
//                          (with --strict also for a doubtful record)
//   tolvbase export BASE [--format pcboard|json|csv] [--encoding E]
//                          every record as a listing, JSON Lines or CSV; status
//                          1 when a record cannot be written as stored
//   tolvbase preview LISTING [BASE] [--entries] [--json] [--encoding E]
//                          what tolvconv would make of a listing, and the lines
//                          it reads otherwise than a person would
//   tolvbase --help | --version
//
// Exit status: 0 done (for check: the base is sound; for preview: no
// finding), 1 check found a problem, export a record it could not write
// exactly or preview a finding, 2 usage error or a file that cannot be
// opened or read.
// Results go to standard output, errors to standard error.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tolvbase/base.h"
#include "tolvbase/output.h"

namespace tolv {

inline constexpr int kExitSound = 0;
inline constexpr int kExitProblem = 1;

// Runs the command and gives the exit status.
int tolvbase_main(int argc, char** argv);

// For every command: "tolvbase: MESSAGE" on standard error. note() lets the
// command go on; complain() gives status 2, and usage_error() adds the usage
// and a pointer to --help.
void note(std::string_view message);
int complain(std::string_view message);
int usage_error(std::string_view message);

// "3 records": a count and its noun, in the plural but for one.
std::string counted(int64_t n, const char* noun);

// Opens the base named by `argument`, noting when a conversion holds it;
// false, after complaining, when it cannot be opened.
bool open_command_base(ReadOnlyBase& base, std::string_view argument,
                       Descriptions descriptions = Descriptions::Required);

// Flushes standard output; a failed write makes the run fail with status 2.
int finish(Output& out, int status);

}  // namespace tolv
