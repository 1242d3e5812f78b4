// The run-time error message that ends a failed run's standard output, taken
// apart so tests can check each line.
#pragma once

#include <string>
#include <vector>

namespace tolv::test {

struct ErrorMessage {
  bool found = false;              // the output ends with one well-formed message
  std::string console;             // the bytes before "Runtime error"
  int code = -1;                   // the error code as printed
  std::string position;            // the 8 digits of the first line
  std::vector<std::string> trace;  // the 8 digits of each trace line
};

// Finds "Runtime error N at 0xPPPPPPPP\n  0xPPPPPPPP\n" + trace lines
// "  0xTTTTTTTT\n" + "\n" at the end of `output`. `found` stays false when
// anything about it is off: lower-case or missing digits, a second line that
// does not repeat the position, no final empty line, bytes after it.
ErrorMessage parse_error_message(const std::string& output);

}  // namespace tolv::test
