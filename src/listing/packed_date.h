// The packed date-time: a 32-bit value in the MS-DOS file date-time layout,
// as the reader produces it and a file record stores it.
//
//   bits 31-25  year - 1980     bits 15-11  hour
//        24-21  month                10-5   minute
//        20-16  day                   4-0   second / 2
#pragma once

#include <cstdint>

namespace tolv {

struct DateTimeFields {
  unsigned year = 1980;  // 1980 to 2107
  unsigned month = 0;    // 0 to 15: the field as stored, in range or not
  unsigned day = 0;      // 0 to 31
  unsigned hour = 0;     // 0 to 31
  unsigned minute = 0;   // 0 to 63
  unsigned second = 0;   // 0 to 62, always even
};

// Packs a date and time. Nothing is masked: a value too wide for its field
// carries into the fields above, and the sum is taken modulo 2^32.
uint32_t pack_date_time(uint16_t year, uint16_t month, uint16_t day, uint16_t hour, uint16_t minute,
                        uint16_t second);

// The fields of a packed value, each as its bits hold it.
DateTimeFields unpack_date_time(uint32_t packed);

// True when the time of day (bits 15-0) is 00:00:00.
inline bool is_midnight(uint32_t packed) {
  return (packed & 0xFFFF) == 0;
}

}  // namespace tolv
