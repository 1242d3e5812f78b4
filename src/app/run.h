// The converter's whole control flow: banner, arguments, listing, file base,
// the pass over the listing with the progress line, "DONE.". Every way out
// passes through the exit sequence (runtime/exit.h); this never returns.
#pragma once

#include <string_view>

namespace tolv {

// Starts the run-time services and the console, then runs the conversion.
[[noreturn]] void run_program(int argc, char** argv);

// True for "-DUPE" in any letter case; nothing else turns the check on.
bool is_dupe_switch(std::string_view argument);

}  // namespace tolv
