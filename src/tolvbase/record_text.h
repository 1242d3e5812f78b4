// How tolvbase shows the fields of a record as text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tolv {

// The packed date-time as YYYY-MM-DD, then " HH:MM:SS" unless the time of
// day is 00:00:00. Fields are shown as stored, even when out of range
// (a month of 0 shows as 00).
std::string date_time_text(uint32_t packed);

// Its two parts: YYYY-MM-DD and HH:MM:SS.
std::string date_text(uint32_t packed);
std::string time_text(uint32_t packed);

// The bytes of a stored text with control characters (0-31, 127) written
// as \xHH, so a record cannot move the cursor or end a line early. Other
// bytes, those of 128 to 255 included, pass unchanged.
std::string escape_controls(std::string_view text);

// The text between single quotes, its control characters escaped.
std::string quoted(std::string_view text);

}  // namespace tolv
