#include "companion/date_text.h"

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

}  // namespace tolv
