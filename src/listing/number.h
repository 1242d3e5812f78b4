// The two conversions of listing fields: integers and MM-DD-YY dates.
#pragma once

#include <cstdint>
#include <string_view>

namespace tolv {

// Parses [blanks][+|-][$|%]digits, in base 10, 16 ('$') or 2 ('%'). Any
// error, an empty text included, gives 0. Eight hex digits read as a 32-bit
// pattern: $FFFFFFFF is -1.
int32_t parse_integer(std::string_view text);

// Packs a date and time into the MS-DOS layout: year-1980 in bits 31-25,
// month 24-21, day 20-16, hour 15-11, minute 10-5, second/2 4-0. Nothing is
// masked: a value too wide for its field carries into the fields above.
uint32_t pack_date_time(uint16_t year, uint16_t month, uint16_t day, uint16_t hour, uint16_t minute,
                        uint16_t second);

// Converts MM-DD-YY (characters 3 and 6 are not read); years 00-79 are
// 2000-2079 and 80-99 are 1980-1999. No range is enforced.
uint32_t convert_date(std::string_view text);

}  // namespace tolv
