// The two conversions of listing fields: integers and MM-DD-YY dates.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tolv {

// Parses [blanks][+|-][$|%]digits, in base 10, 16 ('$') or 2 ('%'). Any
// error, an empty text included, gives 0. Eight hex digits read as a 32-bit
// pattern: $FFFFFFFF is -1.
int32_t parse_integer(std::string_view text);

// The same parse, telling an error apart from a value of 0: false for a text
// that is not a well-formed integer (`value` is then 0).
bool read_integer(std::string_view text, int32_t& value);

// Where the numbers of MM-DD-YY sit in a date text: characters 1-2, 4-5 and
// 7-8, shorter or empty when the text ends earlier.
struct DateText {
  std::string_view month, day, year;
};
DateText date_text(std::string_view text);

// The years a two-digit listing year stands for: 80-99 are 1980-1999 and
// 00-79 are 2000-2079.
inline constexpr unsigned kFirstListingYear = 1980;
inline constexpr unsigned kLastListingYear = kFirstListingYear + 99;

// The year a listing's two-digit year `yy` stands for (0-99 give
// 1980-2079); other values are carried along as the converter does, modulo
// 2^16.
inline constexpr uint16_t listing_year(uint16_t yy) {
  constexpr unsigned kCenturyOfFirst = kFirstListingYear / 100 * 100;
  return static_cast<uint16_t>(
      yy + (yy < kFirstListingYear % 100 ? kCenturyOfFirst + 100 : kCenturyOfFirst));
}

// True for a year a listing date can hold.
inline constexpr bool is_listing_year(unsigned year) {
  return year >= kFirstListingYear && year <= kLastListingYear;
}

// Converts MM-DD-YY into a packed date-time (listing/packed_date.h),
// 00:00:00; characters 3 and 6 are not read. No range is enforced.
uint32_t convert_date(std::string_view text);

// The inverses, for writing a listing that reads back as stored:
//  - a text for the 9 size columns that parse_integer reads as `value`:
//    decimal when it fits, otherwise '$' and eight hex digits;
//  - the MM-DD-YY text that convert_date reads as this date, for a year from
//    kFirstListingYear to kLastListingYear and a month and day below 100.
std::string integer_text(int32_t value);
std::string date_text_of(unsigned year, unsigned month, unsigned day);

}  // namespace tolv
