#include "tolvbase/record_text.h"

#include <cstdio>

#include "listing/packed_date.h"

namespace tolv {

std::string date_time_text(uint32_t packed) {
  DateTimeFields f = unpack_date_time(packed);
  char text[32];
  if (is_midnight(packed))
    snprintf(text, sizeof text, "%04u-%02u-%02u", f.year, f.month, f.day);
  else
    snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", f.year, f.month, f.day, f.hour,
             f.minute, f.second);
  return text;
}

std::string escape_controls(std::string_view text) {
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
