// The entry: one file of a listing as the reader yields it and the file base
// stores it, with the capacities of its texts. The file base and the run
// sequence take entries from the listing reader.
#pragma once

#include <cstdint>

#include "runtime/short_string.h"

namespace tolv {

inline constexpr size_t kLineCapacity = 255;
inline constexpr size_t kDescLineCapacity = 50;
inline constexpr int kMaxDescLines = 99;

struct Entry {
  ShortString<kLineCapacity> file_name;  // at most 254 bytes, possibly empty
  int32_t size = 0;
  uint32_t date_time = 0;  // packed date-time, time of day 00:00:00
  int desc_count = 0;      // 1 to 99
  ShortString<kDescLineCapacity> desc[kMaxDescLines];
};

}  // namespace tolv
