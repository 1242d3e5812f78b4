#include "listing/packed_date.h"

namespace tolv {

namespace {

constexpr unsigned kYearShift = 25;
constexpr unsigned kMonthShift = 21;
constexpr unsigned kDayShift = 16;
constexpr unsigned kHourShift = 11;
constexpr unsigned kMinuteShift = 5;
constexpr int32_t kFirstYear = 1980;

}  // namespace

uint32_t pack_date_time(uint16_t year, uint16_t month, uint16_t day, uint16_t hour, uint16_t minute,
                        uint16_t second) {
  uint32_t years = static_cast<uint32_t>(int32_t{year} - kFirstYear);
  return (years << kYearShift) + (uint32_t{month} << kMonthShift) + (uint32_t{day} << kDayShift) +
         (uint32_t{hour} << kHourShift) + (uint32_t{minute} << kMinuteShift) + second / 2;
}

DateTimeFields unpack_date_time(uint32_t packed) {
  DateTimeFields f;
  f.year = kFirstYear + (packed >> kYearShift);
  f.month = packed >> kMonthShift & 0xF;
  f.day = packed >> kDayShift & 0x1F;
  f.hour = packed >> kHourShift & 0x1F;
  f.minute = packed >> kMinuteShift & 0x3F;
  f.second = (packed & 0x1F) * 2;
  return f;
}

}  // namespace tolv
