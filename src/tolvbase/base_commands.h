// The commands that read bases: `list` and `check` (each over one or more
// bases), and what every command that opens a base shares.
#pragma once

#include <string_view>

#include "companion/base.h"
#include "companion/command_line.h"

namespace tolv {

inline constexpr int kExitSound = 0;
inline constexpr int kExitProblem = 1;

int run_list(const Arguments& arguments);
int run_check(const Arguments& arguments);

// Opens the base named by `argument`, noting when a conversion holds it
// (and that the command goes on `reading` it as it stands); false, after
// complaining, when it cannot be opened.
bool open_command_base(ReadOnlyBase& base, std::string_view argument,
                       Descriptions descriptions = Descriptions::Required,
                       std::string_view reading = "reading it as it stands now");

}  // namespace tolv
