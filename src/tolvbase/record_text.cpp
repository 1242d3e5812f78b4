#include "tolvbase/record_text.h"

#include <cstdio>

namespace tolv {

std::string date_time_text(uint32_t packed) {
  unsigned year = 1980 + (packed >> 25);
  unsigned month = packed >> 21 & 0xF;
  unsigned day = packed >> 16 & 0x1F;
  unsigned hour = packed >> 11 & 0x1F;
  unsigned minute = packed >> 5 & 0x3F;
  unsigned second = (packed & 0x1F) * 2;
  char text[32];
  if ((packed & 0xFFFF) == 0)
    snprintf(text, sizeof text, "%04u-%02u-%02u", year, month, day);
  else
    snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", year, month, day, hour, minute,
             second);
  return text;
}

std::string shown(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 32 || byte == 127) {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace tolv
