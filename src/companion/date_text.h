// A packed date-time as the companions show it.
#pragma once

#include <cstdint>
#include <string>

namespace tolv {

// The packed date-time as YYYY-MM-DD, then " HH:MM:SS" unless the time of
// day is 00:00:00. Fields are shown as stored, even when out of range
// (a month of 0 shows as 00).
std::string date_time_text(uint32_t packed);

// Its two parts: YYYY-MM-DD and HH:MM:SS.
std::string date_text(uint32_t packed);
std::string time_text(uint32_t packed);

}  // namespace tolv
