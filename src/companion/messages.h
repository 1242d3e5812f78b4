// A companion program's messages on standard error, as GNU tools write
// them: "NAME: MESSAGE". The name (and the usage a usage error shows) is the
// running program's, set when run_program starts.
#pragma once

#include <string>
#include <string_view>

#include "companion/output.h"

namespace tolv {

// Exit status for trouble: a usage error, a file that cannot be read.
inline constexpr int kExitTrouble = 2;

// Names the running program, and the usage a usage error shows.
void set_running_program(std::string_view name, std::string usage);
// Narrows the usage a usage error shows to one command's, and points to
// that command's --help.
void set_running_command(std::string_view command, std::string usage);

void note(std::string_view message);

// The message; gives kExitTrouble.
int complain(std::string_view message);

// The message, the usage and a pointer to NAME [COMMAND] --help; gives
// kExitTrouble.
int usage_error(std::string_view message);

// Flushes `out`; a failed write of standard output is complained about and
// gives kExitTrouble, else `status`.
int finish(Output& out, int status);

}  // namespace tolv
