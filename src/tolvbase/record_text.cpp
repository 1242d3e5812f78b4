#include "tolvbase/record_text.h"

#include <cstdio>

#include "listing/packed_date.h"

namespace tolv {

std::string date_text(uint32_t packed) {
  DateTimeFields f = unpack_date_time(packed);
  char text[40];
  snprintf(text, sizeof text, "%04u-%02u-%02u", f.year, f.month, f.day);
  return text;
}

std::string time_text(uint32_t packed) {
  DateTimeFields f = unpack_date_time(packed);
  char text[40];
  snprintf(text, sizeof text, "%02u:%02u:%02u", f.hour, f.minute, f.second);
  return text;
}

std::string date_time_text(uint32_t packed) {
  if (is_midnight(packed)) return date_text(packed);
  return date_text(packed) + " " + time_text(packed);
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

std::string quoted(std::string_view text) {
  std::string out(1, '\'');
  out += escape_controls(text);
  out += '\'';
  return out;
}

}  // namespace tolv
