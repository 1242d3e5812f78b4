// Listing lines laid out in the columns the reader expects.
#pragma once

#include <cstdio>
#include <string>

namespace tolv::test {

// Name padded to 12, size right-aligned in columns 13-21, date in 24-31,
// text from column 34.
inline std::string entry_line(const std::string& name, const std::string& size,
                              const std::string& date, const std::string& text) {
  char head[64];
  snprintf(head, sizeof head, "%-12s%9s  %-8s  ", name.c_str(), size.c_str(), date.c_str());
  return std::string(head) + text;
}

// '|' in column 32, text from column 34.
inline std::string continuation_line(const std::string& text) {
  return std::string(31, ' ') + "| " + text;
}

}  // namespace tolv::test
