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

}  // namespace tolv
