// Buffered text output on a descriptor, written through the system-call
// layer. A failed write stops all further output; the caller reports it.
#pragma once

#include <string>
#include <string_view>

namespace tolv {

struct Output {
  int fd = 1;
  std::string pending;
  bool failed = false;
  int error = 0;  // errno of the failed write
};

void put(Output& out, std::string_view text);

// Writes what is pending; false when this or an earlier write failed.
bool flush(Output& out);

// Writes `text` to standard error at once; a failure is not reported.
void write_standard_error(std::string_view text);

// A command-line program's messages on standard error, as GNU tools write
// them: "NAME: MESSAGE".
struct Program {
  std::string_view name;
  std::string_view usage;  // shown after a usage error
};

// Exit status for trouble: a usage error, a file that cannot be read.
inline constexpr int kExitTrouble = 2;

void note(const Program& program, std::string_view message);

// The message; gives kExitTrouble.
int complain(const Program& program, std::string_view message);

// The message, the usage text and a pointer to NAME --help; gives
// kExitTrouble.
int usage_error(const Program& program, std::string_view message);

}  // namespace tolv
