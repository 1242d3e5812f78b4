// JSON strings (RFC 8259) for tolvbase's JSON Lines output.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tolv {

// Appends `text` (UTF-8) as a JSON string, quotes included: '"' and '\' are
// escaped, and so is every control byte 0x00-0x1F, as \b \f \n \r \t or
// \u00XX. Other bytes pass unchanged.
void append_json_string(std::string& out, std::string_view text);

// Appends one more member of an object: `, "name": ` and the value, a
// string or a number (null when `value` is negative and `negative_is_null`).
void append_json_text_member(std::string& out, const char* name, std::string_view text);
void append_json_number_member(std::string& out, const char* name, int64_t value,
                               bool negative_is_null = false);

}  // namespace tolv
