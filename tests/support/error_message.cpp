#include "support/error_message.h"

#include <regex>

namespace tolv::test {

ErrorMessage parse_error_message(const std::string& output) {
  ErrorMessage message;
  size_t at = output.find("Runtime error ");
  if (at == std::string::npos) return message;
  static const std::regex kForm(
      "Runtime error ([1-9][0-9]*) at 0x([0-9A-F]{8})\n  0x\\2\n((?:  0x[0-9A-F]{8}\n)*)\n");
  std::smatch m;
  std::string tail = output.substr(at);
  if (!std::regex_match(tail, m, kForm)) return message;
  message.found = true;
  message.console = output.substr(0, at);
  message.code = std::stoi(m[1]);
  message.position = m[2];
  std::string lines = m[3];
  for (size_t i = 0; i < lines.size(); i += 13) message.trace.push_back(lines.substr(i + 4, 8));
  return message;
}

}  // namespace tolv::test
