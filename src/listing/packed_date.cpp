#include "listing/packed_date.h"

namespace tolv {

namespace {

// A field of the packed value: its lowest bit and its width in bits.
struct Bits {
  unsigned shift;
  unsigned width;
};
constexpr Bits kYear{25, 7}, kMonth{21, 4}, kDay{16, 5}, kHour{11, 5}, kMinute{5, 6},
    kHalfSecond{0, 5};
constexpr int32_t kFirstYear = 1980;

unsigned get(uint32_t packed, Bits bits) {
  return packed >> bits.shift & ((1u << bits.width) - 1);
}

}  // namespace

uint32_t pack_date_time(uint16_t year, uint16_t month, uint16_t day, uint16_t hour, uint16_t minute,
                        uint16_t second) {
  uint32_t years = static_cast<uint32_t>(int32_t{year} - kFirstYear);
  return (years << kYear.shift) + (uint32_t{month} << kMonth.shift) +
         (uint32_t{day} << kDay.shift) + (uint32_t{hour} << kHour.shift) +
         (uint32_t{minute} << kMinute.shift) + second / 2;
}

DateTimeFields unpack_date_time(uint32_t packed) {
  DateTimeFields f;
  f.year = kFirstYear + get(packed, kYear);
  f.month = get(packed, kMonth);
  f.day = get(packed, kDay);
  f.hour = get(packed, kHour);
  f.minute = get(packed, kMinute);
  f.second = get(packed, kHalfSecond) * 2;
  return f;
}

}  // namespace tolv
